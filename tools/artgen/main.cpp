// Writes the game's sprite sheets and background as BMP files.
//   finmaw_artgen <output folder> <sprite map folder>
// Output is the same byte for byte on every run and platform, so res/ can be
// checked against a fresh run.
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "background.hpp"
#include "bmp_writer.hpp"
#include "sheet_reader.hpp"

namespace fs = std::filesystem;

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: finmaw_artgen <output folder> <sprite map folder>\n";
        return 2;
    }
    const fs::path out_dir = argv[1];
    const fs::path map_dir = argv[2];
    try {
        fs::create_directories(out_dir);
        for (const char *map : {"shark.txt", "fish_01.txt", "font.txt"}) {
            const artgen::Sheet sheet = artgen::ReadSheet((map_dir / map).string());
            artgen::WriteBmp(sheet.image, (out_dir / sheet.file_name).string());
        }
        artgen::WriteBmp(artgen::DrawBackground(), (out_dir / "back.bmp").string());
    } catch (const std::exception &e) {
        std::cerr << "finmaw_artgen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

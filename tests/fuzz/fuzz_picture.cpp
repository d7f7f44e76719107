/* libFuzzer hands any bytes to the picture loader: they are written as
 * every sheet the game loads, and the manifest is loaded from them as at
 * start-up (the header check, SDL's reader, the colour key, the sprites
 * cut), then each sprite is drawn once. Run it with -malloc_limit_mb, so
 * that a header which makes SDL ask for more memory than the file can
 * describe is a finding rather than a pass. */
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ashare/share_utils.h"
#include "game.h"
#include "game_manifest.h"
#include "image.h"

namespace {

namespace fs = std::filesystem;

/* The folder the sheets are written to, for the process's life. */
struct Folder {
    fs::path dir = fs::temp_directory_path() / ("finmaw-fuzz-" + std::to_string(getpid()));
    Folder() {
        fs::create_directories(dir / "res");
        File_InitialiseResourcePathFrom((dir / "res/").c_str());
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
} g_folder;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    for (const ManifestSheet &sheet : kManifestSheets)
        std::ofstream(g_folder.dir / "res" / sheet.file, std::ios::binary)
            .write(reinterpret_cast<const char *>(data), size);
    if (Main_StartImage() == 0) {
        SDL_Surface *screen = SDL_CreateRGBSurfaceWithFormat(0, 800, 400, 32, SDL_PIXELFORMAT_RGB888);
        for (const ManifestSprite &m : kManifestSprites) {
            Sprite_t *sprite = Image_Get_Sprite(m.name, -1);
            SDL_UpperBlit(sprite->sheet, &sprite->rect, screen, nullptr);
        }
        SDL_FreeSurface(screen);
    }
    Image_FreeAll();
    return 0;
}

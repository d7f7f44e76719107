#include "bmp_writer.hpp"

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace artgen {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMaskBytes = 12;
constexpr std::uint32_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize + kMaskBytes;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dpi

// Little-endian byte by byte, so the file is the same on any host.
void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFFu));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

}  // namespace

void write_bmp(const Image& img, const std::string& path) {
    const auto w = static_cast<std::uint32_t>(img.width());
    const auto h = static_cast<std::uint32_t>(img.height());
    const std::uint32_t pixel_bytes = w * h * 4;

    std::vector<std::uint8_t> out;
    out.reserve(kPixelOffset + pixel_bytes);

    out.push_back('B');
    out.push_back('M');
    put32(out, kPixelOffset + pixel_bytes);
    put16(out, 0);
    put16(out, 0);
    put32(out, kPixelOffset);

    put32(out, kInfoHeaderSize);
    put32(out, w);
    put32(out, h);  // positive height: rows go bottom-up
    put16(out, 1);  // planes
    put16(out, 32);
    put32(out, kBiBitfields);
    put32(out, pixel_bytes);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, 0);  // colours used
    put32(out, 0);  // important colours

    put32(out, 0x00FF0000u);  // red
    put32(out, 0x0000FF00u);  // green
    put32(out, 0x000000FFu);  // blue

    for (int y = img.height() - 1; y >= 0; --y) {
        for (int x = 0; x < img.width(); ++x) {
            const Rgb c = img.get(x, y);
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
            out.push_back(0);
        }
    }

    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) throw std::runtime_error("cannot open " + path + " for writing");
    f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!f) throw std::runtime_error("failed writing " + path);
}

}  // namespace artgen

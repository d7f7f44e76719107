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
constexpr std::uint32_t kPixelsPerMetre = 2835; // 72 dpi

// Little-endian byte by byte, so the file is the same on any host.
void Put16(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFFu));
}

void Put32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    Put16(out, v & 0xFFFFu);
    Put16(out, v >> 16);
}

} // namespace

void WriteBmp(const Image &img, const std::string &path)
{
    const auto w = static_cast<std::uint32_t>(img.width());
    const auto h = static_cast<std::uint32_t>(img.height());
    const std::uint32_t pixel_bytes = w * h * 4;

    std::vector<std::uint8_t> out;
    out.reserve(kPixelOffset + pixel_bytes);

    out.push_back('B');
    out.push_back('M');
    Put32(out, kPixelOffset + pixel_bytes);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, kPixelOffset);

    Put32(out, kInfoHeaderSize);
    Put32(out, w);
    Put32(out, h); // positive height: rows go bottom-up
    Put16(out, 1); // planes
    Put16(out, 32);
    Put32(out, kBiBitfields);
    Put32(out, pixel_bytes);
    Put32(out, kPixelsPerMetre);
    Put32(out, kPixelsPerMetre);
    Put32(out, 0); // colours used
    Put32(out, 0); // important colours

    Put32(out, 0x00FF0000u); // red
    Put32(out, 0x0000FF00u); // green
    Put32(out, 0x000000FFu); // blue

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
    if (!f)
        throw std::runtime_error("cannot open " + path + " for writing");
    f.write(reinterpret_cast<const char *>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!f)
        throw std::runtime_error("failed writing " + path);
}

} // namespace artgen

// Boulders half-buried in the sand, with their shadows.
#include <array>
#include <vector>

#include "intmath.hpp"
#include "layer.hpp"
#include "scene_parts.hpp"

namespace artgen {
namespace {

struct Rock {
    int cx, rx, ry;
};

constexpr std::array<Rock, 7> kRocks{{
    {128, 38, 38},
    {174, 18, 18},
    {520, 26, 24},
    {550, 12, 12},
    {708, 48, 42},
    {655, 15, 15},
    {332, 8, 8},
}};

// Tones: highlight, light, mid, shade, deep shade, moss.
const std::vector<Rgb> kRockPalette{{140, 152, 160}, {110, 124, 138}, {86, 98, 116},
                                    {64, 74, 94},    {46, 54, 76},    {78, 116, 90}};
constexpr Rgb kRockOutline{28, 36, 54};
constexpr int kMoss = 6;

// The ellipsoid's centre sits a little under the sand.
int RockBase(const Rock &r)
{
    return SandTop(r.cx) + r.ry / 5;
}

void StampRock(Layer &layer, const Rock &r, XorShift32 &rng)
{
    const int base = RockBase(r);
    const Noise1D lumps(static_cast<std::uint32_t>(r.cx * 131 + 7), 2 * r.rx + 2, 7, 2);
    for (int dx = -r.rx; dx <= r.rx; ++dx) {
        const int rise = r.ry * ISqrt(r.rx * r.rx - dx * dx) / r.rx;
        if (rise <= 0)
            continue;
        const int top = base - rise + lumps.at(dx + r.rx);
        // Down to well under the sand line; the sand drawn later hides the foot.
        for (int y = top; y <= base + 8; ++y) {
            // Surface normal in 1/256ths, lit from the upper left.
            const int nx = dx * 256 / r.rx;
            const int ny = ClampInt((y - base) * 256 / r.ry, -256, 256);
            const int nz = ISqrt(ClampInt(65536 - nx * nx - ny * ny, 0, 65536));
            const int light = (-nx * 150 - ny * 70 + nz * 110) / 256 + rng.range(-10, 10);
            int tone = light > 140 ? 1 : light > 100 ? 2 : light > 55 ? 3 : light > 15 ? 4 : 5;
            if (y - top < 2 && dx < r.rx / 2 && rng.range(0, 2) == 0)
                tone = kMoss;
            layer.stamp(r.cx + dx, y, tone);
        }
    }
}

// A flat dark patch on the sand at the rock's foot, offset away from the light.
void ShadeSandUnder(Image &img, const Rock &r)
{
    const int rx = r.rx + 6;
    const int ry = 4;
    const int cy = SandTop(r.cx) + 2;
    for (int dy = -ry; dy <= ry; ++dy) {
        for (int dx = -rx; dx <= rx; ++dx) {
            if (dx * dx * ry * ry + dy * dy * rx * rx > rx * rx * ry * ry)
                continue;
            const int x = r.cx + 5 + dx;
            const int y = cy + dy;
            if (!img.contains(x, y) || y < SandTop(x))
                continue;
            img.set(x, y, Mix(img.get(x, y), Rgb{40, 44, 52}, 80));
        }
    }
}

} // namespace

void PaintRocks(Image &img)
{
    XorShift32 rng(0x0C0Au);
    Layer layer(kSceneW, kSceneH);
    for (const Rock &r : kRocks)
        StampRock(layer, r, rng);
    layer.composite(img, kRockPalette, kRockOutline, 36);
}

void PaintRockShadows(Image &img)
{
    for (const Rock &r : kRocks)
        ShadeSandUnder(img, r);
}

} // namespace artgen

// The floor of the scene: distant ridges and the sand.
#include <array>

#include "intmath.hpp"
#include "scene_parts.hpp"

namespace artgen {
namespace {

constexpr int kSandLevel = 352;

const Noise1D &SandSwell()
{
    static const Noise1D n(0x5A4D1u, kSceneW, 110, 6);
    return n;
}
const Noise1D &SandBumps()
{
    static const Noise1D n(0xB0A7u, kSceneW, 19, 1);
    return n;
}

struct Ridge {
    std::uint32_t seed;
    int level, cell, amplitude;
    Rgb tint;
    int strength; // how far the water colour moves toward the tint, /256
};

// Two rows of far-off rock: the farther is fainter.
constexpr std::array<Ridge, 2> kRidges{{
    {0xF00Du, 296, 140, 24, {26, 58, 96}, 70},
    {0xBEEFu, 324, 90, 16, {16, 42, 76}, 110},
}};

void PaintRidge(Image &img, const Ridge &r)
{
    const Noise1D big(r.seed, kSceneW, r.cell, r.amplitude);
    const Noise1D small(r.seed * 7u + 1u, kSceneW, r.cell / 4, r.amplitude / 5);
    for (int x = 0; x < kSceneW; ++x) {
        const int top = r.level + big.at(x) + small.at(x);
        for (int y = ClampInt(top, 0, kSceneH); y < kSceneH; ++y) {
            // Half strength on the crest softens the edge.
            const int strength = y == top ? r.strength / 2 : r.strength;
            img.set(x, y, Mix(img.get(x, y), r.tint, strength));
        }
    }
}

constexpr Rgb kSandTop{172, 162, 120};
constexpr Rgb kSandBottom{126, 114, 86};

} // namespace

int SandTop(int x)
{
    x = ClampInt(x, 0, kSceneW - 1);
    return kSandLevel + SandSwell().at(x) + SandBumps().at(x);
}

void PaintFarRidges(Image &img)
{
    for (const Ridge &r : kRidges)
        PaintRidge(img, r);
}

void PaintSand(Image &img)
{
    XorShift32 rng(0x5A5Du);
    const Noise1D patches(0x9A7Cu, kSceneW, 60, 6);
    for (int x = 0; x < kSceneW; ++x) {
        const int top = SandTop(x);
        for (int y = top; y < kSceneH; ++y) {
            const int d = y - top;
            Rgb c = Mix(kSandTop, kSandBottom, d * 256 / (kSceneH - kSandLevel + 6));
            if (d == 0)
                c = Brighten(c, 16);
            else if (d == 1)
                c = Brighten(c, 7);
            // Slanted ripples, broad patches and fine grain.
            const int ripple = ISin(x * 6 + d * 50 + ISin(x * 2) / 20);
            c = Brighten(c, ripple * 6 / 1024 + patches.at(x));
            const std::uint32_t roll = rng.next() % 100u;
            int grain = rng.range(-4, 4);
            if (roll < 2)
                grain -= 18;
            else if (roll < 4)
                grain += 12;
            img.set(x, y, Brighten(c, grain));
        }
    }
}

} // namespace artgen

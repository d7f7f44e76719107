// Open water: a depth gradient with light rays slanting down from the surface.
#include <array>

#include "intmath.hpp"
#include "scene_parts.hpp"

namespace artgen {
namespace {

struct Stop {
    int y;
    Rgb c;
};

// Lighter near the surface, deep blue toward the floor.
constexpr std::array<Stop, 5> kDepth{{
    {0, {84, 166, 194}},
    {50, {64, 146, 182}},
    {160, {38, 104, 152}},
    {280, {22, 64, 114}},
    {kSceneH, {12, 38, 80}},
}};

Rgb DepthColour(int y)
{
    for (std::size_t i = 1; i < kDepth.size(); ++i) {
        const Stop &a = kDepth[i - 1];
        const Stop &b = kDepth[i];
        if (y <= b.y)
            return Mix(a.c, b.c, (y - a.y) * 256 / (b.y - a.y));
    }
    return kDepth.back().c;
}

struct Ray {
    int x;        // centre where it leaves the surface
    int half_w;   // half width at the surface
    int strength; // peak brightening, out of 256
    int length;   // depth where it has faded out
};

constexpr std::array<Ray, 7> kRays{{
    {-60, 26, 44, 300},
    {90, 14, 34, 240},
    {250, 30, 40, 330},
    {360, 10, 26, 200},
    {470, 22, 38, 300},
    {620, 16, 32, 260},
    {730, 28, 40, 320},
}};

constexpr Rgb kLight{196, 238, 246};

// Sun from the upper left: rays drift right by 3 px every 8 rows and widen.
int RayLight(int x, int y)
{
    int total = 0;
    for (const Ray &r : kRays) {
        if (y >= r.length)
            continue;
        const int centre = r.x + y * 3 / 8;
        const int half = r.half_w + y / 10;
        int d = x - centre;
        if (d < 0)
            d = -d;
        if (d >= half)
            continue;
        const int across = (half - d) * 256 / half;
        const int soft = across * across / 256;
        const int fade = (r.length - y) * 256 / r.length;
        total += r.strength * soft / 256 * fade / 256;
    }
    return total;
}

// Gentle shimmer just under the surface.
int SurfaceLight(int x, int y)
{
    constexpr int kBand = 14;
    if (y >= kBand)
        return 0;
    const int wave = ISin(x * 5 + ISin(x * 2) / 40) + ISin(x * 11 + 40) / 2; // -1536..1536
    const int edge = (kBand - y) * 256 / kBand;
    return (40 + wave * 14 / 1536) * edge / 256;
}

} // namespace

void PaintWater(Image &img)
{
    for (int y = 0; y < kSceneH; ++y) {
        const Rgb base = DepthColour(y);
        for (int x = 0; x < kSceneW; ++x) {
            const int light = RayLight(x, y) + SurfaceLight(x, y);
            img.set(x, y, Mix(base, kLight, light));
        }
    }
}

} // namespace artgen

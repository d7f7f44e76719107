// Seaweed growing from the floor, bent in the current: flat twisting
// ribbons, and kelp stalks with blades.
#include <array>
#include <vector>

#include "intmath.hpp"
#include "layer.hpp"
#include "scene_parts.hpp"

namespace artgen {
namespace {

enum class Kind { Ribbon, Kelp };

struct Strand {
    Kind kind;
    int x, height;
    int phase, wave; // degrees at the root, degrees per pixel of height
    int sway;        // side-to-side swing at the tip
    int width;       // ribbon width at the root, or kelp blade length
};

constexpr std::array<Strand, 7> kFar{{
    {Kind::Kelp, 24, 180, 0, 3, 14, 15},
    {Kind::Ribbon, 156, 120, 90, 4, 10, 8},
    {Kind::Kelp, 306, 200, 200, 3, 16, 16},
    {Kind::Ribbon, 452, 140, 120, 3, 12, 8},
    {Kind::Kelp, 610, 210, 260, 3, 14, 16},
    {Kind::Ribbon, 628, 110, 10, 4, 9, 7},
    {Kind::Kelp, 772, 170, 180, 3, 12, 15},
}};

constexpr std::array<Strand, 11> kNear{{
    {Kind::Ribbon, 40, 96, 40, 4, 10, 8},
    {Kind::Ribbon, 56, 130, 160, 3, 14, 10},
    {Kind::Ribbon, 70, 70, 300, 5, 7, 7},
    {Kind::Kelp, 238, 140, 300, 3, 12, 14},
    {Kind::Ribbon, 256, 64, 80, 5, 6, 7},
    {Kind::Ribbon, 404, 86, 220, 4, 8, 8},
    {Kind::Ribbon, 586, 120, 100, 3, 12, 10},
    {Kind::Ribbon, 602, 76, 10, 5, 7, 7},
    {Kind::Kelp, 752, 150, 140, 3, 12, 14},
    {Kind::Ribbon, 770, 90, 260, 4, 9, 8},
    {Kind::Ribbon, 784, 60, 30, 6, 6, 6},
}};

// Tones: lit edge, body, shaded edge.
const std::vector<Rgb> kWeedPalette{{110, 176, 100}, {58, 130, 76}, {34, 92, 62}};
constexpr Rgb kWeedOutline{14, 44, 40};

int CentreAt(const Strand &s, int t)
{
    return s.x + s.sway * ISin(s.phase + t * s.wave) / 1024 * t / s.height;
}

// A flat blade that twists as it rises: its width pulses and tapers.
void StampRibbon(Layer &layer, const Strand &s, int root)
{
    for (int t = 0; t < s.height; ++t) {
        const int taper = s.width * (s.height - t) / s.height;
        int twist = ISin(s.phase * 2 + t * 6);
        if (twist < 0)
            twist = -twist;
        const int w = 1 + taper * (400 + twist * 5 / 8) / 1024 + (t < 6 ? 0 : 1);
        const int left = CentreAt(s, t) - w / 2;
        for (int i = 0; i < w; ++i) {
            const int tone = i == 0 ? 1 : (i == w - 1 && w > 2 ? 3 : 2);
            layer.stamp(left + i, root - t, tone);
        }
    }
}

// One leaf: rises out from the stalk and droops toward its tip.
void StampBlade(Layer &layer, int x, int y, int side, int length)
{
    for (int i = 0; i <= length; ++i) {
        const int bx = x + side * (i * 3 / 4);
        const int by = y - i * 2 / 3 + i * i / (length * 3);
        const int half = 4 * ISin(i * 180 / length) / 1024 / 2 + 1;
        for (int d = -half + 1; d <= half; ++d) {
            const int tone = d == -half + 1 ? 1 : (d == half && half > 1 ? 3 : 2);
            layer.stamp(bx, by + d, tone);
        }
    }
}

void StampKelp(Layer &layer, const Strand &s, int root)
{
    constexpr int kGap = 13;
    for (int t = 0; t < s.height; ++t) {
        const int cx = CentreAt(s, t);
        layer.stamp(cx, root - t, 1);
        layer.stamp(cx + 1, root - t, 3);
        if (t > 8 && t % kGap == 0) {
            const int side = (t / kGap) % 2 == 0 ? 1 : -1;
            const int length = s.width - (t * 4 / s.height);
            StampBlade(layer, side > 0 ? cx + 2 : cx - 1, root - t, side, length);
        }
    }
    // A topmost blade finishing the stalk.
    const int top = s.height - 1;
    StampBlade(layer, CentreAt(s, top), root - top, 1, s.width / 2 + 2);
}

} // namespace

void PaintWeed(Image &img, bool near_row)
{
    Layer layer(kSceneW, kSceneH);
    auto draw = [&layer](const Strand &s) {
        const int root = SandTop(s.x) + 3; // rooted a little under the sand
        if (s.kind == Kind::Ribbon)
            StampRibbon(layer, s, root);
        else
            StampKelp(layer, s, root);
    };
    if (near_row) {
        for (const Strand &s : kNear)
            draw(s);
    } else {
        for (const Strand &s : kFar)
            draw(s);
    }
    layer.composite(img, kWeedPalette, kWeedOutline, near_row ? 24 : 150);
}

} // namespace artgen

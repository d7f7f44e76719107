// Small bubbles rising from the floor; none near the score at the top.
#include <array>

#include "intmath.hpp"
#include "scene_parts.hpp"

namespace artgen {
namespace {

struct Trail {
    int x, y; // lowest bubble
    int count;
};

constexpr std::array<Trail, 4> kTrails{{
    {150, 300, 5},
    {540, 320, 4},
    {690, 290, 6},
    {262, 250, 3},
}};

constexpr Rgb kFoam{210, 240, 250};

void DrawBubble(Image &img, int cx, int cy, int r)
{
    for (int dy = -r - 1; dy <= r + 1; ++dy) {
        for (int dx = -r - 1; dx <= r + 1; ++dx) {
            const int d2 = dx * dx + dy * dy;
            const int x = cx + dx;
            const int y = cy + dy;
            if (!img.contains(x, y))
                continue;
            if (d2 >= r * r - r + 1 && d2 <= r * r + r) {
                img.set(x, y, Mix(img.get(x, y), kFoam, 140));
            } else if (d2 < r * r - r + 1) {
                img.set(x, y, Mix(img.get(x, y), kFoam, 30));
            }
        }
    }
    // Glint on the lit side.
    if (r >= 2)
        img.plot(cx - r / 2, cy - r / 2, Mix(img.get(cx - r / 2, cy - r / 2), kFoam, 220));
}

} // namespace

void PaintBubbles(Image &img)
{
    for (const Trail &t : kTrails) {
        int y = t.y;
        for (int i = 0; i < t.count; ++i) {
            const int r = 1 + (i + 1) / 2; // bubbles grow as they rise
            const int x = t.x + 4 * ISin(i * 80 + t.x) / 1024;
            DrawBubble(img, x, y, r > 3 ? 3 : r);
            y -= 9 + i * 5;
        }
    }
}

} // namespace artgen

#include "background.hpp"

#include "scene_parts.hpp"

namespace artgen {

Image DrawBackground()
{
    Image img(kSceneW, kSceneH, Rgb{0, 0, 0});
    PaintWater(img);
    PaintFarRidges(img);
    PaintWeed(img, false);
    PaintRocks(img);
    PaintSand(img);
    PaintRockShadows(img);
    PaintWeed(img, true);
    PaintBubbles(img);
    return img;
}

} // namespace artgen

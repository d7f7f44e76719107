#include "background.hpp"

#include "scene_parts.hpp"

namespace artgen {

Image draw_background() {
    Image img(kSceneW, kSceneH, Rgb{0, 0, 0});
    paint_water(img);
    paint_far_ridges(img);
    paint_weed(img, false);
    paint_rocks(img);
    paint_sand(img);
    paint_rock_shadows(img);
    paint_weed(img, true);
    paint_bubbles(img);
    return img;
}

}  // namespace artgen

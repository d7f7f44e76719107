// A scratch mask for one kind of scenery (rocks, weed...). Shapes are stamped
// with tone numbers, then laid on the picture in one go with a dark rim, so
// overlapping shapes merge into one outlined silhouette.
#pragma once

#include <cstdint>
#include <vector>

#include "image.hpp"

namespace artgen {

class Layer {
public:
    Layer(int width, int height);

    // tone 1..n picks a colour from the palette given to composite(); 0 clears.
    void stamp(int x, int y, int tone);
    int tone(int x, int y) const;

    // Draws the marked pixels with palette[tone - 1] and a rim of `outline`
    // around them, letting the water behind show through by haze/256 so
    // farther scenery sinks into the distance.
    void composite(Image &img, const std::vector<Rgb> &palette, Rgb outline, int haze) const;

private:
    int w_, h_;
    std::vector<std::uint8_t> tone_;
};

} // namespace artgen

#include "layer.hpp"

#include "intmath.hpp"

namespace artgen {

Layer::Layer(int width, int height)
    : w_(width), h_(height), tone_(static_cast<std::size_t>(width * height), 0)
{}

void Layer::stamp(int x, int y, int t)
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_)
        return;
    tone_[static_cast<std::size_t>(y * w_ + x)] = static_cast<std::uint8_t>(t);
}

int Layer::tone(int x, int y) const
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_)
        return 0;
    return tone_[static_cast<std::size_t>(y * w_ + x)];
}

void Layer::composite(Image &img, const std::vector<Rgb> &palette, Rgb outline, int haze) const
{
    for (int y = 0; y < h_ && y < img.height(); ++y) {
        for (int x = 0; x < w_ && x < img.width(); ++x) {
            const int t = tone(x, y);
            Rgb c;
            if (t > 0) {
                c = palette[static_cast<std::size_t>(t - 1)];
            } else if (tone(x - 1, y) || tone(x + 1, y) || tone(x, y - 1) || tone(x, y + 1)) {
                c = outline;
            } else {
                continue;
            }
            img.set(x, y, Mix(c, img.get(x, y), haze));
        }
    }
}

} // namespace artgen

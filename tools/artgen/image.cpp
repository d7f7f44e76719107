#include "image.hpp"

#include <stdexcept>

namespace artgen {

Image::Image(int width, int height, Rgb fill) : w_(width), h_(height)
{
    if (width <= 0 || height <= 0)
        throw std::invalid_argument("image size must be positive");
    px_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

} // namespace artgen

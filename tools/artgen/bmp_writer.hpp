// Saves an Image as a 32-bit BI_BITFIELDS BMP, the layout the game loads.
#pragma once

#include <string>

#include "image.hpp"

namespace artgen {

// Throws std::runtime_error when the file cannot be written.
void WriteBmp(const Image &img, const std::string &path);

} // namespace artgen

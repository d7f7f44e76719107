// The 800x400 underwater scene behind everything, drawn from code.
#pragma once

#include "image.hpp"

namespace artgen {

Image DrawBackground();

} // namespace artgen

// Turns a text pixel-map file into a sprite sheet.
//
// File layout, one statement per line ('#' starts a comment line; words
// after a statement's numbers are ignored, so they can name the colour):
//   sheet  <output file> <width> <height>
//   colour <char> <r> <g> <b>
//   sprite <name> <x> <y> <w> <h>
//   ...followed by exactly <h> rows of exactly <w> characters.
// '.' is the see-through colour (magenta); every other character must have
// a colour. Sprites may not overlap, so each rectangle holds one sprite only.
#pragma once

#include <string>

#include "image.hpp"

namespace artgen {

struct Sheet {
    std::string file_name;
    Image image;
};

// Throws std::runtime_error with file and line on any mistake in the map.
Sheet ReadSheet(const std::string &path);

} // namespace artgen

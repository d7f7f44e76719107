// The pieces of the background, painted back to front by draw_background().
#pragma once

#include "image.hpp"

namespace artgen {

inline constexpr int kSceneW = 800;
inline constexpr int kSceneH = 400;

// Water colour by depth plus soft light rays from the surface.
void paint_water(Image& img);

// Row where the sand starts in column x.
int sand_top(int x);

// Hazy rock ridges far behind, for depth.
void paint_far_ridges(Image& img);
// The sandy floor with its grain and ripples.
void paint_sand(Image& img);
// Boulders, painted before the sand so the sand covers their feet,
// and their shadows, painted after it.
void paint_rocks(Image& img);
void paint_rock_shadows(Image& img);
// Swaying weed; the far row is faded into the water, the near row is not.
void paint_weed(Image& img, bool near_row);
// A few rising bubbles, kept clear of the score.
void paint_bubbles(Image& img);

}  // namespace artgen

// The pieces of the background, painted back to front by DrawBackground().
#pragma once

#include "image.hpp"

namespace artgen {

inline constexpr int kSceneW = 800;
inline constexpr int kSceneH = 400;

// Water colour by depth plus soft light rays from the surface.
void PaintWater(Image &img);

// Row where the sand starts in column x.
int SandTop(int x);

// Hazy rock ridges far behind, for depth.
void PaintFarRidges(Image &img);
// The sandy floor with its grain and ripples.
void PaintSand(Image &img);
// Boulders, painted before the sand so the sand covers their feet,
// and their shadows, painted after it.
void PaintRocks(Image &img);
void PaintRockShadows(Image &img);
// Swaying weed; the far row is faded into the water, the near row is not.
void PaintWeed(Image &img, bool near_row);
// A few rising bubbles, kept clear of the score.
void PaintBubbles(Image &img);

} // namespace artgen

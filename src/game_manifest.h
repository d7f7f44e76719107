/* The asset manifest: the sheets the game loads and the sprites it cuts
 * from them, in load order. Main_StartImage loads it; the tests read the
 * same table rather than keeping their own copy. */
#ifndef FINMAW_GAME_MANIFEST_H
#define FINMAW_GAME_MANIFEST_H

#include <SDL.h>
#include <stdint.h>

typedef struct ManifestSheet {
    const char *file; /* in the resource folder */
    const char *name; /* what the other modules know it by */
    int colour_key;   /* 1: pixels of r, g, b are see-through */
    uint8_t r, g, b;
} ManifestSheet;

typedef struct ManifestSprite {
    const char *name;
    const char *sheet; /* the sheet's name */
    SDL_Rect rect;     /* area within the sheet */
} ManifestSprite;

/* Magenta marks the see-through pixels; the background is drawn whole. */
inline constexpr ManifestSheet kManifestSheets[] = {
    {"shark.bmp", "shark", 1, 255, 0, 255},
    {"back.bmp", "background1", 0, 255, 255, 255},
    {"fish_01.bmp", "fish1", 1, 255, 0, 255},
    {"font.bmp", "font", 1, 255, 0, 255},
};

/* The shark's two first, then two columns of fish, at x 0 and x 38. The
 * order is the order of the sprite handles. One row per sprite, kept so by
 * hand: clang-format would pack two to a line. */
// clang-format off
inline constexpr ManifestSprite kManifestSprites[] = {
    {"shark_idle", "shark", {0, 40, 110, 40}},
    {"shark_bite", "shark", {0, 0, 110, 40}},
    {"fish_pink", "fish1", {0, 0, 32, 14}},
    {"fish_barri", "fish1", {0, 14, 38, 9}},
    {"fish_sword", "fish1", {0, 182, 50, 9}},
    {"fish_crab", "fish1", {0, 28, 31, 21}},
    {"fish_puffer", "fish1", {0, 56, 31, 24}},
    {"fish_slow", "fish1", {38, 0, 35, 14}},
    {"fish_purp", "fish1", {38, 14, 30, 13}},
    {"fish_red", "fish1", {38, 28, 34, 11}},
    {"fish_green", "fish1", {38, 42, 32, 15}},
};
// clang-format on

#endif

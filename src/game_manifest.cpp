/* The game's pictures: which sheets are loaded and which sprites are cut from
 * them. Other modules know these entries only by the names given here. */
#include "game.h"

#include "image.h"

#define FM_LOG_FILE "game"
#include "ashare/log.h"

namespace {

struct SheetEntry {
    const char *file;
    const char *name;
    int colour_key;
    uint8_t r, g, b;
};

struct SpriteEntry {
    const char *name;
    int x, y, w, h;
};

/* Magenta marks the see-through pixels; the background is drawn whole. */
const SheetEntry kSheets[] = {
    {"shark.bmp", "shark", 1, 255, 0, 255},
    {"back.bmp", "background1", 0, 255, 255, 255},
    {"fish_01.bmp", "fish1", 1, 255, 0, 255},
    {"font.bmp", "font", 1, 255, 0, 255},
};

const SpriteEntry kSharkSprites[] = {
    {"shark_idle", 0, 40, 110, 40},
    {"shark_bite", 0, 0, 110, 40},
};

/* Two columns of fish, at x 0 and x 38. */
const SpriteEntry kFishSprites[] = {
    {"fish_pink", 0, 0, 32, 14},
    {"fish_barri", 0, 14, 38, 9},
    {"fish_sword", 0, 182, 50, 9},
    {"fish_crab", 0, 28, 31, 21},
    {"fish_puffer", 0, 56, 31, 24},
    {"fish_slow", 38, 0, 35, 14},
    {"fish_purp", 38, 14, 30, 13},
    {"fish_red", 38, 28, 34, 11},
    {"fish_green", 38, 42, 32, 15},
};

/* Stops at the first sprite the store refuses. */
template <size_t N>
int add_sprites(const SpriteEntry (&sprites)[N], int sheet)
{
    for (const SpriteEntry &s : sprites) {
        if (Image_AddSprite(s.name, sheet, s.x, s.y, s.w, s.h) != 0)
            return -1;
    }
    return 0;
}

} // namespace

int Main_StartImage(void)
{
    /* A missing array shows up as the first load or add that needs it. */
    (void)Image_Init(10, 100, 100);
    LOG_INFO(" Initialised core image data.");
    LOG_DEBUG_FLUSH();

    for (const SheetEntry &s : kSheets) {
        if (Image_LoadSpriteSheet(s.file, s.name, s.colour_key, s.r, s.g, s.b) != 0) {
            /* The store has named the cause; this marks where loading stopped. */
            LOG_ERR("%s", "");
            return -1;
        }
    }
    LOG_INFO(" Loaded sprite sheet data.");
    LOG_DEBUG_FLUSH();

    const int shark = Image_Find_SpriteSheet("shark");
    if (shark < 0) {
        LOG_ERR("Invalid sprite handle provided.");
        return -1;
    }
    LOG_DEBUG_FLUSH();
    if (add_sprites(kSharkSprites, shark) != 0) {
        LOG_ERR("%s", "");
        return -1;
    }
    LOG_INFO(" Creating Sprites from data.");
    LOG_DEBUG_FLUSH();

    const int fish = Image_Find_SpriteSheet("fish1");
    if (fish < 0) {
        LOG_ERR("Invalid sprite handle provided.");
        return -1;
    }
    if (add_sprites(kFishSprites, fish) != 0) {
        LOG_ERR("%s", "");
        return -1;
    }

    LOG_INFO(" All loaded, finishing.");
    LOG_DEBUG_FLUSH();
    return 0;
}

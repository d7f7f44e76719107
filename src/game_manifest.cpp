/* Loads the game's pictures: the sheets and sprites of the manifest
 * (game_manifest.h). Other modules know them only by the names given there. */
#include <cstring>

#include "game.h"
#include "game_manifest.h"
#include "image.h"

#define FM_LOG_FILE "game"
#include "ashare/log.h"

namespace {

/* Adds the manifest's sprites cut from the named sheet, in table order;
 * stops at the first one the store refuses. */
int AddSprites(const char *sheet_name, int sheet)
{
    for (const ManifestSprite &s : kManifestSprites) {
        if (strcmp(s.sheet, sheet_name) != 0)
            continue;
        if (Image_AddSprite(s.name, sheet, s.rect.x, s.rect.y, s.rect.w, s.rect.h) != 0)
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

    for (const ManifestSheet &s : kManifestSheets) {
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
    if (AddSprites("shark", shark) != 0) {
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
    if (AddSprites("fish1", fish) != 0) {
        LOG_ERR("%s", "");
        return -1;
    }

    LOG_INFO(" All loaded, finishing.");
    LOG_DEBUG_FLUSH();
    return 0;
}

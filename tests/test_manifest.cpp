/* The asset manifest loaded from the game's own pictures: every sheet and
 * sprite in order, each sheet keyed as listed, each sprite showing what the
 * art draws there. */

#include "game_manifest.h"
#include "test_support.h"

namespace {

using fmtest::Lines;

/* What a sprite shows when drawn over the key colour: an FNV-1a hash of its pixels. */
uint32_t Fingerprint(const Sprite_t *sp) {
    SDL_Surface *t = SDL_CreateRGBSurfaceWithFormat(0, sp->rect.w, sp->rect.h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(t, nullptr, 0xFFFF00FF);
    SDL_Rect src = sp->rect;
    SDL_UpperBlit(sp->sheet, &src, t, nullptr);
    uint32_t hash = 2166136261u;
    for (int y = 0; y < t->h; ++y)
        for (int x = 0; x < t->w; ++x)
            hash = (hash ^ static_cast<Uint32 *>(t->pixels)[y * t->pitch / 4 + x]) * 16777619u;
    SDL_FreeSurface(t);
    return hash;
}

/* The sprites' fingerprints in manifest order: a rectangle off by one pixel
 * shows something else. When the art changes, take the new values from the
 * failure messages. */
const uint32_t kFingerprints[] = {2717261920u, 2827522167u, 2303318187u, 504107764u, 2867699798u, 2001103485u,
    2120584811u, 2540866619u, 267064780u, 1128898868u, 2064303719u};

TEST(Manifest, LoadsEverySheetAndSpriteInOrder) {
    fmtest::LogCapture log;
    ASSERT_EQ(File_InitialiseResourcePathFrom(FINMAW_SOURCE_RES_DIR), 0);
    ASSERT_EQ(Main_StartImage(), 0);
    Lines want = {"[INFO]  Initialised core image data."};
    for (int i = 0; i < 4; ++i) {
        const ManifestSheet &s = kManifestSheets[i];
        SDL_Surface *sheet = Image_Get_SpriteSheet(nullptr, i),
                    *file = SDL_LoadBMP((std::string(FINMAW_SOURCE_RES_DIR) + s.file).c_str());
        ASSERT_TRUE(sheet && file) << s.file;
        EXPECT_TRUE(sheet->w == file->w && sheet->h == file->h && Image_Find_SpriteSheet(s.name) == i) << s.file;
        SDL_FreeSurface(file);
        Uint32 key = 0; /* magenta is see-through on all but the background */
        const bool keyed = SDL_GetColorKey(sheet, &key) == 0 && key == SDL_MapRGB(sheet->format, 255, 0, 255);
        EXPECT_EQ(keyed, std::string(s.name) != "background1") << s.name;
        want.push_back(std::string("[INFO] Loaded Sprite Sheet: ") + s.name);
    }
    want.push_back("[INFO]  Loaded sprite sheet data.");
    for (int i = 0; i < 11; ++i) {
        const ManifestSprite &m = kManifestSprites[i];
        const Sprite_t *sp = Image_Get_Sprite(nullptr, i);
        ASSERT_TRUE(sp && sp->sheet) << m.name;
        const SDL_Rect &r = sp->rect;
        EXPECT_TRUE(Image_Find_Sprite(m.name) == i && sp->sheet == Image_Get_SpriteSheet(m.sheet, -1)) << m.name;
        EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= sp->sheet->w && r.y + r.h <= sp->sheet->h) << m.name;
        EXPECT_EQ(Fingerprint(sp), kFingerprints[i]) << m.name;
        if (i == 2) want.push_back("[INFO]  Creating Sprites from data.");
        want.push_back(std::string("[INFO] Loaded Sprite: ") + m.name);
    }
    want.push_back("[INFO]  All loaded, finishing.");
    Lines info;
    for (const std::string &l : log.Take())
        if (l.rfind("[INFO]", 0) == 0) info.push_back(l);
    EXPECT_EQ(info, want);
    Image_FreeAll();
}

} // namespace

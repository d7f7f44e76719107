#include <gtest/gtest.h>

#include <SDL.h>

#include <regex>

#include "game.h"
#include "game_manifest.h"
#include "image.h"
#include "ashare/share_utils.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

/* All but the background are keyed. */
const auto &kSheets = kManifestSheets;

/* The first two on the "shark" sheet, the rest on "fish1". */
const auto &kSprites = kManifestSprites;

/* How many of the sprite's pixels show when drawn over the key colour. */
int Shown(const Sprite_t *sp)
{
    SDL_Surface *t = SDL_CreateRGBSurfaceWithFormat(0, sp->rect.w, sp->rect.h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(t, nullptr, 0xFFFF00FF);
    SDL_Rect src = sp->rect;
    SDL_UpperBlit(sp->sheet, &src, t, nullptr);
    int shown = 0;
    for (int y = 0; y < t->h; ++y)
        for (int x = 0; x < t->w; ++x)
            shown += static_cast<Uint32 *>(t->pixels)[y * t->pitch / 4 + x] != 0xFFFF00FF;
    SDL_FreeSurface(t);
    return shown;
}

/* The game's own pictures in a temporary res/ that the resource path points at. */
class ManifestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bstring_destroy(RESOURCE_PATH);
        RESOURCE_PATH = nullptr;
        const fs::path res = dir_.path() / "res";
        ASSERT_EQ(File_InitialiseResourcePathFrom(((dir_.path() / "bin").string() + "/").c_str()), 0);
        if (reinterpret_cast<char *>(RESOURCE_PATH->data) != res.string() + "/")
            GTEST_SKIP() << "temporary folder name itself holds \"bin\"";
        fs::copy(FINMAW_SOURCE_RES_DIR, res);
    }
    void TearDown() override { Image_FreeAll(); }

    fmtest::LogCapture log_;
    fmtest::TempDir dir_;
};

TEST_F(ManifestTest, LoadsEverySheetAndSpriteInOrder)
{
    ASSERT_EQ(Main_StartImage(), 0);
    std::vector<std::string> want = {" Initialised core image data."}, info;
    for (int i = 0; i < 4; ++i) {
        SDL_Surface *sheet = Image_Get_SpriteSheet(nullptr, i),
                    *file = SDL_LoadBMP((std::string(FINMAW_SOURCE_RES_DIR) + kSheets[i].file).c_str());
        EXPECT_TRUE(sheet && file && sheet->w == file->w && sheet->h == file->h) << kSheets[i].file;
        SDL_FreeSurface(file);
        EXPECT_EQ(Image_Find_SpriteSheet(kSheets[i].name), i);
        EXPECT_EQ(SDL_HasColorKey(sheet) == SDL_TRUE, i != 1) << kSheets[i].name;
        want.push_back(std::string("Loaded Sprite Sheet: ") + kSheets[i].name);
    }
    want.push_back(" Loaded sprite sheet data.");
    for (int i = 0; i < 11; ++i) {
        const Sprite_t *sp = Image_Get_Sprite(nullptr, i);
        ASSERT_TRUE(sp && sp->sheet);
        const SDL_Rect &r = sp->rect;
        EXPECT_EQ(Image_Find_Sprite(kSprites[i].name), i);
        EXPECT_EQ(sp->sheet, Image_Get_SpriteSheet(i < 2 ? "shark" : "fish1", -1)) << kSprites[i].name;
        EXPECT_TRUE(SDL_RectEquals(&r, &kSprites[i].rect)) << kSprites[i].name;
        EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= sp->sheet->w && r.y + r.h <= sp->sheet->h) << kSprites[i].name;
        EXPECT_GT(Shown(sp), 0) << kSprites[i].name << " is all see-through";
        if (i == 2)
            want.push_back(" Creating Sprites from data.");
        want.push_back(std::string("Loaded Sprite: ") + kSprites[i].name);
    }
    want.push_back(" All loaded, finishing.");
    for (const auto &l : log_.lines())
        if (l.rfind("[INFO]", 0) == 0)
            info.push_back(l.substr(l.find(") ") + 2));
    EXPECT_EQ(info, want);
}

TEST_F(ManifestTest, MissingBackgroundStopsLoading)
{
    fs::remove(dir_.path() / "res" / "back.bmp");
    EXPECT_EQ(Main_StartImage(), -1);
    const auto lines = log_.lines();
    ASSERT_GE(lines.size(), 3u);
    const size_t n = lines.size();
    EXPECT_NE(lines[n - 3].find(") Failed to create SDL_Surface: "), std::string::npos) << lines[n - 3];
    EXPECT_NE(lines[n - 2].find(") Failed to load Sprite Sheet: background1"), std::string::npos) << lines[n - 2];
    /* The manifest's own line, with no message, ends the log: loading stopped. */
    EXPECT_TRUE(std::regex_match(lines[n - 1], std::regex(R"(\[ERROR\] \(game:Main_StartImage\(\):\d+: errno: \w+\) )")))
        << lines[n - 1];
    EXPECT_EQ(Image_Find_SpriteSheet("shark"), 0);
}

} // namespace

#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include "game.h"
#include "image.h"
#include "share_utils.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

void WriteSheet(const fs::path &file, int w, int h)
{
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    ASSERT_NE(s, nullptr) << SDL_GetError();
    SDL_FillRect(s, nullptr, 0xFF808080);
    ASSERT_EQ(SDL_SaveBMP(s, file.string().c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(s);
}

/* The release build writes the same lines as the debug build minus the
 * DEBUG ones, and lookups there behave alike. */
TEST(ManifestRelease, WritesNoDebugLines)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    fmtest::TempDir dir;
    fs::create_directories(dir.path() / "res");
    ASSERT_EQ(File_InitialiseResourcePathFrom(((dir.path() / "bin").string() + "/").c_str()), 0);
    const std::string got(reinterpret_cast<char *>(RESOURCE_PATH->data),
                          static_cast<size_t>(RESOURCE_PATH->length));
    if (got != (dir.path() / "res").string() + "/")
        GTEST_SKIP() << "temporary folder name itself holds \"bin\": " << got;
    WriteSheet(dir.path() / "res" / "shark.bmp", 110, 80);
    WriteSheet(dir.path() / "res" / "back.bmp", 800, 400);
    WriteSheet(dir.path() / "res" / "fish_01.bmp", 80, 192);
    WriteSheet(dir.path() / "res" / "font.bmp", 100, 12);

    {
        fmtest::LogCapture log;
        ASSERT_EQ(Main_StartImage(), 0);
        EXPECT_EQ(Image_Find_Sprite("fish_green"), 10);
        EXPECT_EQ(Image_Get_Sprite("nope", -1), nullptr);
        const auto lines = log.lines();
        EXPECT_TRUE(fmtest::InOrder(lines, {")  Initialised core image data.", ")  Loaded sprite sheet data.",
                                            ")  Creating Sprites from data.", ")  All loaded, finishing.",
                                            "Could not get sprite: nope"}));
        for (const auto &l : lines)
            EXPECT_NE(l.rfind("DEBUG", 0), 0u) << l;
        Image_FreeAll();
    }
    SDL_Quit();
}

} // namespace

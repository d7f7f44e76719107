/* What the played scenarios cannot reach: the hitbox view on screens of
 * other pixel formats, and the window step without a video driver. */
#include "test_support.h"

using namespace fmtest;

namespace {

/* Pixel values of a rectangle, row by row (all surfaces here share the screen's 32-bit format). */
std::vector<Uint32> Region(SDL_Surface *s, SDL_Rect r) {
    std::vector<Uint32> out;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            out.push_back(static_cast<const Uint32 *>(s->pixels)[y * s->pitch / 4 + x]);
    return out;
}

} // namespace

/* The hitbox view follows the window's pixel format, 3-byte ones included,
 * for which SDL has no blended fill. */
TEST(HitboxView, RedBoxOnBlackInEveryScreenFormat) {
    for (Uint32 format : {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_RGB24}) {
        Game_t g{};
        g.screen = SDL_CreateRGBSurfaceWithFormat(0, 800, 400, 0, format);
        g.hitbox_view = 1;
        Main_CreateHitboxRenderer(&g);
        ASSERT_NE(g.renderer, nullptr);
        Game_DrawFrameStart(&g);
        Object_t o{};
        o.hitbox = SDL_Rect{100, 50, 30, 20};
        EXPECT_EQ(Game_DrawHitbox(&g, &o), 0);
        SDL_RenderFlush(g.renderer);
        SDL_Surface *want = SDL_ConvertSurfaceFormat(g.hitbox_surface, SDL_PIXELFORMAT_RGB888, 0),
                    *got = SDL_ConvertSurfaceFormat(g.hitbox_surface, SDL_PIXELFORMAT_RGB888, 0);
        SDL_FillRect(want, nullptr, 0);
        SDL_FillRect(want, &o.hitbox, SDL_MapRGB(want->format, 255, 0, 0));
        EXPECT_TRUE(Region(got, {0, 0, 800, 400}) == Region(want, {0, 0, 800, 400})) << SDL_GetPixelFormatName(format);
        SDL_DestroyRenderer(g.renderer);
        for (SDL_Surface *s : {want, got, g.hitbox_surface, g.screen}) SDL_FreeSurface(s);
    }
}

/* Without a video driver the window step fails with -1, and the steps that
 * need a game or a window refuse a null one. */
TEST(ShellSteps, RefuseWithoutAWindow) {
    setenv("SDL_VIDEODRIVER", "nonexistent", 1);
    SDL_Surface *screen = nullptr;
    LogCapture log;
    EXPECT_EQ(Main_InitWindow(&screen), -1);
    EXPECT_EQ(log.Take().back().rfind("[ERROR] Failed to initialise SDL_Window: ", 0), 0u);
    EXPECT_EQ(Main_CreateHitboxRenderer(nullptr), nullptr);
    EXPECT_EQ(Main_CloseAll(nullptr), 0);
}

/* What the played scenarios cannot reach: the hitbox view on a screen of
 * another pixel format, and the window step without a video driver. */
#include "test_support.h"

using namespace fmtest;

/* The hitbox view follows the window's pixel format, 3-byte ones included,
 * for which SDL has no blended fill (the 4-byte one is the scenarios'). */
TEST(HitboxView, RedBoxOnBlackOnAThreeByteScreen) {
    Transcript t("shell_hitbox");
    Game_t g{};
    g.screen = SDL_CreateRGBSurfaceWithFormat(0, 800, 400, 0, SDL_PIXELFORMAT_RGB24);
    g.hitbox_view = 1;
    SAY(t, Main_CreateHitboxRenderer(&g));
    Game_DrawFrameStart(&g);
    Object_t o{};
    o.hitbox = SDL_Rect{100, 50, 30, 20};
    SAY(t, Game_DrawHitbox(&g, &o));
    SDL_RenderFlush(g.renderer);
    SDL_Surface *want = SDL_ConvertSurfaceFormat(g.hitbox_surface, SDL_PIXELFORMAT_RGB888, 0);
    SDL_Surface *got = SDL_ConvertSurfaceFormat(g.hitbox_surface, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FillRect(want, nullptr, 0);
    SDL_FillRect(want, &o.hitbox, SDL_MapRGB(want->format, 255, 0, 0));
    SAY(t, memcmp(got->pixels, want->pixels, static_cast<size_t>(got->h * got->pitch)) == 0);
    SDL_DestroyRenderer(g.renderer);
    for (SDL_Surface *s : {want, got, g.hitbox_surface, g.screen}) SDL_FreeSurface(s);
}

/* Without a video driver the window step fails with -1 (SDL's reason after
 * the line's own words varies by version), and the steps that need a game
 * or a window refuse a null one. */
TEST(ShellSteps, RefuseWithoutAWindow) {
    setenv("SDL_VIDEODRIVER", "nonexistent", 1);
    SDL_Surface *screen = nullptr;
    LogCapture log;
    EXPECT_EQ(Main_InitWindow(&screen), -1);
    EXPECT_NE(log.text().find(") Failed to initialise SDL_Window: "), std::string::npos);
    EXPECT_EQ(Main_CreateHitboxRenderer(nullptr), nullptr);
    EXPECT_EQ(Main_CloseAll(nullptr), 0);
}

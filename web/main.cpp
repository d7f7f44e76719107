/* The browser's entry. Start-up and shutdown are the desktop's; so is the
 * frame loop, except that a page must not spin: the browser calls Tick once
 * per animation frame, and each call drains SDL's queue and runs the frames
 * that are due at the desktop's pace (pace.h).
 *
 * With "--bench N" (the page passes it for ?bench=N) the game is first
 * loaded as the frame benchmark loads it (load/full_load.h), and N frames
 * are timed with the browser's clock before play goes on. */
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>
#include <cstring>

#include "game.h"
#include "game_main.h"
#include "load/full_load.h"
#include "pace.h"

namespace {

Game_t g_game;
Pace_t g_pace;
int g_frames = 0;
bool g_ended = false;

/* The page's hooks; a page without them just does not hear. */
EM_JS(void, NotifyEnded, (int status), {
    if (Module.onGameEnded)
        Module.onGameEnded(status);
});
EM_JS(void, NotifyFirstFrame, (), {
    if (Module.onFirstFrame)
        Module.onFirstFrame();
});
EM_JS(void, NotifyBench,
      (double frame_us, int frames, int fish, double present_us, const char *screen,
       const char *sheet),
      {
          if (Module.onBench)
              Module.onBench({
                  frameMicros : frame_us,
                  frames : frames,
                  fish : fish,
                  presentMicros : present_us,
                  screenFormat : UTF8ToString(screen),
                  sheetFormat : UTF8ToString(sheet)
              });
      });

void Finish(int loop_result)
{
    g_ended = true;
    if (loop_result == 0)
        Game_LogCleanEnd();
    NotifyEnded(Game_Shutdown(&g_game));
}

/* One animation frame; now is its time stamp. Returns whether the browser
 * is to call again. */
EM_BOOL Tick(double now, void *)
{
    const int due = Pace_Frames(&g_pace, now, GAME_FRAME_MS);
    Game_DrainEvents(&g_game);
    for (int i = 0; i < due && !g_ended; ++i) {
        if (i > 0)
            Game_DrainEvents(&g_game);
        const int result = Game_Frame(&g_game);
        if (++g_frames == 1)
            NotifyFirstFrame();
        /* As on the desktop, a quit is seen only after the frame that
         * follows it. */
        if (result != 0)
            Finish(result);
        else if (!g_game.running)
            Finish(0);
    }
    return !g_ended;
}

/* Timed as the native benchmark times it: the whole of each loaded frame. */
int Bench(int frames)
{
    FullLoad_t load;
    if (FullLoad_Begin(&load, &g_game) != 0)
        return -1;
    const double t0 = emscripten_get_now();
    for (int i = 0; i < frames; ++i)
        if (FullLoad_Frame(&load) != 0)
            return -1;
    const double spent_ms = emscripten_get_now() - t0;
    const int fish = g_game.world.fish_count;
    /* Presenting alone: the browser's copy of the frame onto the canvas is
     * inside Game_Frame here, while SDL's dummy driver natively has none. */
    const double t1 = emscripten_get_now();
    for (int i = 0; i < frames; ++i)
        SDL_UpdateWindowSurface(GameWindow);
    const double present_ms = emscripten_get_now() - t1;
    /* The canvas's pixel order is not the sheets' (as it is natively), so
     * every blit here also converts; the formats go with the figures. */
    const char *screen = g_game.screen ? SDL_GetPixelFormatName(g_game.screen->format->format) : "";
    const char *sheet =
        g_game.background ? SDL_GetPixelFormatName(g_game.background->format->format) : "";
    NotifyBench(1000.0 * spent_ms / frames, frames, fish, 1000.0 * present_ms / frames, screen,
                sheet);
    return 0;
}

} // namespace

/* Frames run so far, for the page's test. */
extern "C" EMSCRIPTEN_KEEPALIVE int finmaw_frames(void)
{
    return g_frames;
}

/* What the page's test looks at: 0 the live fish, 1 the score, 2 and 3 the
 * shark's position, 4 whether the game is paused. */
extern "C" EMSCRIPTEN_KEEPALIVE int finmaw_state(int what)
{
    const Object_t *shark = g_game.world.player;
    switch (what) {
    case 0:
        return g_game.world.fish_count;
    case 1:
        return g_game.world.score;
    case 2:
        return shark ? shark->hitbox.x : 0;
    case 3:
        return shark ? shark->hitbox.y : 0;
    case 4:
        return g_game.paused;
    default:
        return 0;
    }
}

int main(int argc, char **argv)
{
    int bench = 0;
    if (argc == 3 && strcmp(argv[1], "--bench") == 0)
        bench = atoi(argv[2]);

    memset(&g_game, 0, sizeof g_game);
    if (Game_Startup(&g_game) != 0) {
        NotifyEnded(Game_Shutdown(&g_game));
        return 0;
    }
    Game_LoopBegin(&g_game);
    if (bench > 0 && Bench(bench) != 0) {
        Finish(g_game.status != 0 ? g_game.status : -1);
        return 0;
    }
    /* The first turn at once rather than on the next animation frame: it
     * is the first thing a player sees. Then on the browser's animation
     * frames; the runtime stays up after main returns. */
    if (Tick(emscripten_get_now(), nullptr))
        emscripten_request_animation_frame_loop(Tick, nullptr);
    return 0;
}

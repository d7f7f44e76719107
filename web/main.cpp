/* The browser's entry. Start-up and shutdown are the desktop's; so is the
 * frame loop, except that a page must not spin: the browser calls Tick once
 * per animation frame, and each call drains SDL's queue and runs the frame
 * when it is due, which is one turn of the desktop loop's wait.
 *
 * With "--bench N" (the page passes it for ?bench=N) the game is first
 * filled with fish as the frame benchmark does, and N frames are timed with
 * the browser's clock before play goes on. */
#include <emscripten.h>

#include <cstdlib>
#include <cstring>

#include "game.h"
#include "game_main.h"

namespace {

Game_t g_game;
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
    emscripten_cancel_main_loop();
    if (loop_result == 0)
        Game_LogCleanEnd();
    NotifyEnded(Game_Shutdown(&g_game));
}

void Tick()
{
    Game_DrainEvents(&g_game);
    /* Not due yet: give the browser its turn. Signed, as on the desktop, so
     * the tick counter's wrap cannot stall the loop. */
    if (static_cast<int32_t>(g_game.next_frame - SDL_GetTicks()) > 0)
        return;
    const int result = Game_Frame(&g_game);
    if (++g_frames == 1)
        NotifyFirstFrame();
    /* As on the desktop, a quit is seen only after the frame that follows it. */
    if (result != 0)
        Finish(result);
    else if (!g_game.running)
        Finish(0);
}

/* --- Full load, as the frame benchmark drives it ------------------------ */

int g_next_kind = 0;
uint32_t g_bench_frames = 0;

void Key(Uint32 type, SDL_Keycode key)
{
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = type;
    event.key.keysym.sym = key;
    Game_HandleEvent(&g_game, &event);
}

/* The keys 1 to 8 in turn until every slot is live; bounded in case a
 * spawn keeps failing. */
void Refill()
{
    for (int tries = 0; g_game.world.fish_count < GAME_MAX_FISH && tries < 2 * GAME_MAX_FISH;
         ++tries) {
        Key(SDL_KEYDOWN, SDLK_1 + g_next_kind);
        g_next_kind = (g_next_kind + 1) % 8;
    }
}

/* One loaded frame; only Game_Frame is added to *spent. The shark bites
 * now and then so that fish are eaten as well as swim off. */
int LoadedFrame(double *spent)
{
    const uint32_t phase = g_bench_frames++ % 40;
    if (phase == 0)
        Key(SDL_KEYDOWN, SDLK_SPACE);
    else if (phase == 20)
        Key(SDL_KEYUP, SDLK_SPACE);
    const double t0 = emscripten_get_now();
    const int rc = Game_Frame(&g_game);
    if (spent)
        *spent += emscripten_get_now() - t0;
    Refill();
    return rc;
}

int Bench(int frames)
{
    Refill();
    /* Fresh spawns all stand at the right edge, half clipped; let them
     * spread over their paths first (and let the engine compile the hot
     * code), as the native benchmark does. */
    for (int i = 0; i < 1500; ++i)
        if (LoadedFrame(nullptr) != 0)
            return -1;
    double spent_ms = 0.0;
    for (int i = 0; i < frames; ++i)
        if (LoadedFrame(&spent_ms) != 0)
            return -1;
    const int fish = g_game.world.fish_count;
    /* Presenting alone: the browser's copy of the frame onto the canvas is
     * inside Game_Frame here, while SDL's dummy driver natively has none. */
    const double t0 = emscripten_get_now();
    for (int i = 0; i < frames; ++i)
        SDL_UpdateWindowSurface(GameWindow);
    const double present_ms = emscripten_get_now() - t0;
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
     * is the first thing a player sees. Then 0 frames per second: on the
     * browser's animation frames. */
    Tick();
    if (!g_ended)
        emscripten_set_main_loop(Tick, 0, 1);
    return 0;
}

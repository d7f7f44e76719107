/* Playing a started game from a test: keys through the game's own event
 * handler, frames one after another. */
#ifndef FINMAW_PLAY_SCRIPT_H
#define FINMAW_PLAY_SCRIPT_H

#include <initializer_list>

#include "test_support.h"

namespace fmtest {

/* Start-up with the pictures of res, then the frame loop's starting state
 * (which only sets flags, so it does no harm after a failed start-up). */
inline bool Start(Game_t *game, const char *res = FINMAW_SOURCE_RES_DIR) {
    const bool started = File_InitialiseResourcePathFrom(res) == 0 && Game_Startup(game) == 0;
    Game_LoopBegin(game);
    return started;
}

inline void Press(Game_t *game, std::initializer_list<SDL_Keycode> keys, Uint32 type = SDL_KEYDOWN, Uint8 repeat = 0) {
    SDL_Event e{type};
    e.key.repeat = repeat;
    for (SDL_Keycode k : keys) {
        e.key.keysym.sym = k;
        Game_HandleEvent(game, &e);
    }
}

enum PlayFailure { kSpawnLost = 1, kFrameFailed, kQuitIgnored };

/* The hitbox view, health, a bite and steering; a pause over three frames
 * and its end (which reopens "run.log"); rounds of every fish kind and
 * three frames (9 does nothing); then Escape and the quit it pushed.
 * Returns 0 or a failure. */
inline int Play(Game_t *game, int rounds) {
    Press(game, {SDLK_c, SDLK_h, SDLK_SPACE, SDLK_RIGHT, SDLK_DOWN, SDLK_p});
    for (int frame = 0; frame < 3 * (rounds + 1); ++frame) {
        if (frame % 3 == 0 && frame > 0)
            Press(game, {SDLK_1, SDLK_2, SDLK_3, SDLK_4, SDLK_5, SDLK_6, SDLK_7, SDLK_8, frame == 3 ? SDLK_p : SDLK_9});
        if (frame == 3 && game->world.fish_count != 8) return kSpawnLost;
        if (Game_Frame(game) != 0) return kFrameFailed;
    }
    Press(game, {SDLK_ESCAPE});
    Game_DrainEvents(game);
    return game->running ? kQuitIgnored : 0;
}

} // namespace fmtest

#endif

#include "load/full_load.h"

#include <string.h>

namespace {

void Key(Game_t *game, Uint32 type, SDL_Keycode key)
{
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = type;
    event.key.keysym.sym = key;
    Game_HandleEvent(game, &event);
}

/* Bounded, so that a spawn that keeps failing cannot hang the run. */
void Refill(FullLoad_t *load)
{
    for (int tries = 0; load->game->world.fish_count < GAME_MAX_FISH && tries < 2 * GAME_MAX_FISH;
         ++tries) {
        Key(load->game, SDL_KEYDOWN, SDLK_1 + load->next_kind);
        load->next_kind = (load->next_kind + 1) % 8;
    }
}

} // namespace

int FullLoad_Begin(FullLoad_t *load, Game_t *game)
{
    load->game = game;
    load->next_kind = 0;
    load->frames = 0;
    Refill(load);
    for (int i = 0; i < 1500; ++i) {
        const int rc = FullLoad_Frame(load);
        if (rc != 0)
            return rc;
    }
    return 0;
}

int FullLoad_Frame(FullLoad_t *load)
{
    const uint64_t phase = load->frames++ % 40;
    if (phase == 0)
        Key(load->game, SDL_KEYDOWN, SDLK_SPACE);
    else if (phase == 20)
        Key(load->game, SDL_KEYUP, SDLK_SPACE);
    const int rc = Game_Frame(load->game);
    Refill(load);
    return rc;
}

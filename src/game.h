/* The game shell: start-up, frame loop, drawing and shutdown, plus the
 * game's own tables (the asset manifest and the fish types). */
#ifndef FINMAW_GAME_H
#define FINMAW_GAME_H

#include <SDL.h>
#include <stdint.h>

#include "class/playershark.h"
#include "world.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Fills CollisionNames with heap copies; -1 if a buffer cannot be had. */
int Main_FillCollisionNames(void);

extern SDL_Window *GameWindow;
extern const char *RunLogName;

struct Game_t;

/* Opens the 800x400 window and stores its surface (owned by SDL) in *screen: 0 or -1. */
int Main_InitWindow(SDL_Surface **screen);
/* Starts the object system with the Fish and PlayerShark classes: 0 or -1. */
int Main_StartObj(void);
/* The hitbox view draws with a software renderer into an off-screen
 * surface of the window's size and format, which is then copied onto the
 * window's surface; a renderer on the window itself would fight with the
 * window surface the game draws on. Makes both to match game->screen and
 * stores them in game->renderer and game->hitbox_surface, which own them
 * until Main_CloseAll. Returns the renderer, or null with neither stored. */
SDL_Renderer *Main_CreateHitboxRenderer(struct Game_t *game);
/* Releases game's hitbox renderer and surface (game may be null when it
 * has none), the window, pictures, classes and fish types, quits SDL and
 * closes the log; returns 0. */
int Main_CloseAll(struct Game_t *game);
/* The asset manifest: loads the game's sheets and sprites. */
int Main_StartImage(void);
/* The fish types. */
int Main_LoadFish(void);

/* What a key does: drives one of the shark's inputs (pressed on key-down,
 * released on key-up), spawns a fish, or acts once on key-down. */
enum { KEY_INPUT, KEY_SPAWN, KEY_QUIT, KEY_HITBOX_VIEW, KEY_HEALTH, KEY_PAUSE };
typedef struct KeyBinding {
    SDL_Keycode key;
    int action;            /* one of the KEY_ values */
    int input;             /* KEY_INPUT: the shark's input code */
    const char *fish_type; /* KEY_SPAWN: the type's name and start height */
    int start_y;
} KeyBinding;
/* The binding of key (a static table entry), or null for a key that does nothing. */
const KeyBinding *Main_FindKey(SDL_Keycode key);

#ifdef __cplusplus
}
#endif

#endif

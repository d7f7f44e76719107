/* The whole program: start-up, frame loop and shutdown, in order.
 *
 * The shell keeps everything the run needs in one Game_t, so that the steps
 * can also be driven one at a time (start-up, one event, one frame, the
 * loop, shutdown); Game_Main runs them in the game's order. */
#ifndef FINMAW_GAME_MAIN_H
#define FINMAW_GAME_MAIN_H

#include <SDL.h>
#include <stdint.h>

#include "class/playershark.h"
#include "object.h"
#include "world.h"

#ifdef __cplusplus
extern "C" {
#endif

#define GAME_MAX_FISH 120
#define GAME_PLAYER_START_X 0
#define GAME_PLAYER_START_Y 200
#define GAME_FRAME_MS 16
#define GAME_SCORE_LOG_PERIOD 300
#define GAME_SCORE_DIGITS 6
#define GAME_GLYPH_COUNT 10
#define GAME_GLYPH_W 10
#define GAME_GLYPH_H 12
#define GAME_SCORE_X 30
#define GAME_SCORE_Y 25
#define GAME_HEALTH_X 400
#define GAME_HEALTH_Y 25

typedef struct Game_t {
    World_t world;               /* all zero until World_Create fills it */
    SDL_Surface *screen;         /* the window's own surface, owned by SDL */
    SharkData *player_data;      /* the shark's private data, borrowed */
    SDL_Surface *background;     /* sheet "background1", borrowed */
    SDL_Surface *font;           /* sheet "font", borrowed */
    SDL_Renderer *renderer;      /* the hitbox view's renderer, owned */
    SDL_Surface *hitbox_surface; /* what renderer draws on, owned with it */
    SDL_Rect glyphs[GAME_GLYPH_COUNT];
    SDL_Rect score_rect;
    SDL_Rect health_rect;
    int score_digits[GAME_SCORE_DIGITS]; /* units digit first */
    int32_t status;                      /* result of the last step that returns one */

    /* Frame loop */
    int running;
    int paused;
    int hitbox_view;
    uint32_t next_frame; /* on SDL's tick clock */
    int score_countdown;
    SDL_Event quit_event;
    Object_t *entities;
    int32_t *alive;
    int32_t entity_count;
    Object_t entity_copy; /* the record being processed, as it was before its update */
} Game_t;

/* Start-up: every step up to and including the switch to "run.log".
 * game must be zero-filled. Returns 0 when the frame loop may run, -1 when
 * a step failed (game->status then holds the exit status). */
int Game_Startup(Game_t *game);
/* Sets the loop's state as it is when the loop starts. */
void Game_LoopBegin(Game_t *game);
/* Handles one SDL event (quit and keys; everything else is ignored). */
void Game_HandleEvent(Game_t *game, const SDL_Event *event);
/* Handles every event waiting in SDL's queue. */
void Game_DrainEvents(Game_t *game);
/* One frame. Returns 0, or the failing step's non-zero result (also left in
 * game->status), which ends the loop. */
int Game_Frame(Game_t *game);
/* The frame loop: Game_LoopBegin, then events and due frames until a quit
 * has been handled. Returns 0 after a quit, non-zero when a frame failed. */
int Game_Loop(Game_t *game);
/* The line that tells a loop ended on a quit, written before shutdown; an
 * entry that runs the loop its own way writes it through this. */
void Game_LogCleanEnd(void);
/* Shutdown: releases the world and everything else; returns game->status. */
int Game_Shutdown(Game_t *game);

/* The drawing steps of a frame: background (and the hitbox view's clear),
 * one entity's sprite, its red box (SDL's result), the score and health
 * digits (0, or World_GetScoreAsArray's failure), and presenting. */
void Game_DrawFrameStart(Game_t *game);
void Game_DrawEntity(Game_t *game, Object_t *copy);
int Game_DrawHitbox(Game_t *game, const Object_t *copy);
int Game_DrawScore(Game_t *game);
void Game_Present(Game_t *game);

/* Runs the game and returns the process exit status. */
int Game_Main(void);

#ifdef __cplusplus
}
#endif

#endif

/* The full load both frame figures are measured under, natively
 * (bench/bench_frame.cpp) and in the browser (web/main.cpp), so that the two
 * compare: every fish slot live, refilled with the keys 1 to 8 in turn
 * after each frame, and the shark biting now and then so that fish are
 * eaten as well as swim off. */
#ifndef FINMAW_LOAD_FULL_LOAD_H
#define FINMAW_LOAD_FULL_LOAD_H

#include <stdint.h>

#include "game_main.h"

struct FullLoad_t {
    Game_t *game;
    int next_kind;   /* the fish key pressed next, 0 for key 1 */
    uint64_t frames; /* loaded frames so far */
};

/* Starts loading a game whose loop has begun: fills every slot, then plays
 * 1500 loaded frames, as fresh spawns all stand at the right edge, half
 * clipped, which would flatter the figures. Returns 0, or the failing
 * frame's result. */
int FullLoad_Begin(FullLoad_t *load, Game_t *game);
/* One loaded frame, the unit both figures time: the bite key when due,
 * Game_Frame, and the refill. Returns Game_Frame's result. */
int FullLoad_Frame(FullLoad_t *load);

#endif

/* The world's record and the playing field. The fish and the shark work on
 * the record directly; the functions that make and run the world (world.h)
 * sit above them, since they create fish and the shark. */
#ifndef FINMAW_WORLD_RECORD_H
#define FINMAW_WORLD_RECORD_H

#include <stdint.h>

#include "object.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct World_t {
    Object_t *player;   /* always the last record of entities */
    Object_t *entities; /* max_fish + 1 records */
    int32_t *alive;     /* max_fish + 1 flags */
    int32_t next_slot;
    int32_t max_fish;
    int32_t fish_count;
    int32_t score;
    int32_t entity_count;
} World_t;

#define WORLD_SCORE_MAX 999999
/* The playing field is the window: x to the right, y downward. */
#define FIELD_W 800
#define FIELD_H 400

#ifdef __cplusplus
}
#endif

#endif

/* The world: every entity record (fish slots, then the shark), their live
 * flags and the score. */
#ifndef FINMAW_WORLD_H
#define FINMAW_WORLD_H

#include <stdint.h>

#include "object.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct World_t {
    Object_t *player;     /* always the last record of entities */
    Object_t *entities;   /* max_fish + 1 records */
    int32_t *alive;       /* max_fish + 1 flags */
    int32_t next_slot;
    int32_t max_fish;
    int32_t fish_count;
    int32_t score;
    int32_t entity_count;
} World_t;

#define WORLD_SCORE_MAX 999999

int World_Create(World_t *world, int max_fish);
int World_SpawnPlayer(World_t *world, int x, int y);
Object_t *World_GetPlayer(World_t *world);
int World_SpawnFish(World_t *world, int start_y, const char *type_name);
int World_GetEntityList(World_t *world, Object_t **entities, int32_t **alive, int32_t *count);
int World_NewFrame(World_t *world);
int World_GetScoreAsArray(int score, int *digits, int count);
int World_Destroy(World_t *world);

#ifdef __cplusplus
}
#endif

#endif

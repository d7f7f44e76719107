/* The world: every entity record (fish slots, then the shark), their live
 * flags and the score. */
#ifndef FINMAW_WORLD_H
#define FINMAW_WORLD_H

#include <stdint.h>

#include "object.h"
#include "world_record.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Fills an all-zero world with max_fish placeholder fish slots and room for
 * the shark; the world owns its arrays. 0, or -1 (World_Destroy still
 * releases what was made). */
int World_Create(World_t *world, int max_fish);
/* Creates the shark in the last record at x, y: 0 or -1. */
int World_SpawnPlayer(World_t *world, int x, int y);
/* The shark's record (owned by the world), or null. */
Object_t *World_GetPlayer(World_t *world);
/* Makes the next free slot a live fish of the named type: 0, or -1 with
 * the count and flags unchanged. */
int World_SpawnFish(World_t *world, int start_y, const char *type_name);
/* Hands out the world's own record and flag arrays (borrowed) and their
 * length: 0 or -1. */
int World_GetEntityList(World_t *world, Object_t **entities, int32_t **alive, int32_t *count);
/* The start-of-frame step: clamps the score to 0..999999 and empties the
 * shark's collision list; returns 0. */
int World_NewFrame(World_t *world);
/* Writes score's count lowest decimal digits, units first: 0, or -1 on
 * bad input. */
int World_GetScoreAsArray(int score, int *digits, int count);
/* Releases everything the world owns: 0 or -1. */
int World_Destroy(World_t *world);

#ifdef __cplusplus
}
#endif

#endif

/* The Fish class and the catalogue of fish types it is built from. */
#ifndef FINMAW_FISH_H
#define FINMAW_FISH_H

#include <stdint.h>

#include "image.h"
#include "object.h"

#ifdef __cplusplus
extern "C" {
#endif

struct World_t;

/* Per-type values, copied whole into a fish's private data when it is made. */
typedef struct FishData {
    int32_t age;
    float speed;
    float speed2;
    int32_t points;
    int32_t eaten;
    int32_t slot;
} FishData;

typedef struct FishTemplate {
    int32_t ai_type;
    int32_t collision;
    int32_t animated;
    Sprite_t *sprite; /* borrowed from the image store */
    int32_t draw_x;
    int32_t draw_y;
    int32_t hitbox_w;
    int32_t hitbox_h;
} FishTemplate;

enum {
    FISH_AI_NULL = 0,
    FISH_AI_HORIZONTAL = 1,
    FISH_AI_SINE = 2,
    FISH_AI_SWORD = 3,
    FISH_AI_CRAB = 4
};

typedef int (*FishAI_t)(Object_t *fish, struct World_t *world);

/* Catalogue */
/* Makes the catalogue with room for capacity types: 0 or -1. */
int Fish_Load_Init(int capacity);
/* Adds a fish type (name copied, sprite looked up in the image store): 0 or -1. */
int Fish_Load(const char *name, int animated, const char *sprite_name, int hitbox_w, int hitbox_h,
              int draw_x, int draw_y, int ai_type, float speed, float speed2, int points,
              int collision);
/* The type index of name, or -1. */
int Fish_FindType(const char *name);
/* Releases the catalogue; returns 0. */
int Fish_FreeAll(void);
/* Reads of the catalogue by type index / ai_type; null when out of range. */
const FishData *Fish_GetData(int type);
const FishTemplate *Fish_GetTemplate(int type);
/* The movement pattern of an ai_type, or null. */
FishAI_t Fish_GetAI(int ai_type);
/* Number of movement patterns, and of loaded types. */
int Fish_AICount(void);
int Fish_TypeCount(void);

/* The class */
extern Object_t FishPrototype;
/* Registers the Fish class and fills FishPrototype: 0 or -1. */
int Class_LoadFish(void);
/* INIT: gives the record a fresh private data block (owned by the record;
 * an earlier one is released). 0 or -1. */
int Fish_Init(Object_t *fish, va_list args);
/* Turns the record in world slot into a new live fish of type_name at
 * start_y: 0 or -1. */
int Fish_Remake(Object_t *fish, struct World_t *world, int slot, int start_y,
                const char *type_name);
/* The common end of every movement pattern: frees the slot of a dead fish
 * (scoring an eaten one), ages it and places its sprite. 0 or -1. */
int Fish_Update(Object_t *fish, struct World_t *world);
/* Steps the fish's animation: 0 or -1. */
int Fish_Anim(Object_t *fish);
/* Writes the fish's fields to the log: 0 or -1. */
int Fish_LogDump(Object_t *fish);
/* The fish's collision kind when px, py is inside its hitbox, else
 * COLLISION_NULL. */
int Fish_Collision(Object_t *fish, float px, float py);

#ifdef __cplusplus
}
#endif

#endif

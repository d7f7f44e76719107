/* The PlayerShark class: input, bite, collisions and health. */
#ifndef FINMAW_PLAYERSHARK_H
#define FINMAW_PLAYERSHARK_H

#include <stdint.h>

#include "image.h"
#include "object.h"

#ifdef __cplusplus
extern "C" {
#endif

struct World_t;

enum { INPUT_UP = 0, INPUT_DOWN = 1, INPUT_LEFT = 2, INPUT_RIGHT = 3, INPUT_BITE = 4 };
#define INPUT_COUNT 6
#define PLAYER_MAX_COLLISIONS 100

typedef struct SharkData {
    int32_t biting;
    int32_t bite_timer;
    int32_t bite_cooldown;
    int32_t health;
    int32_t bite_ready;
    int32_t hurt_timer;
    Sprite_t *idle_sprite;
    Sprite_t *bite_sprite;
} SharkData;

extern Object_t PlayerSharkPrototype;

/* Registers the PlayerShark class and fills its prototype: 0 or -1. */
int Class_LoadPlayerShark(void);
/* Makes the key-state table (kept to the end of the run): 0 or -1. */
int Player_InputInit(void);
/* Sets one input code (0 to 5) to value: 0, or -1 for a bad code. */
int Player_SetInput(int code, int value);
/* Lists entity for this frame's bite and harm checks against the shark: 0 or -1. */
int Player_CheckCollision(Object_t *entity, struct World_t *world);
/* Empties this frame's list; returns 0. */
int Player_ClearCollisions(void);
/* How many entities are listed this frame (for tests and checks). */
int Player_CollisionCount(void);
/* INIT (start x and y pointers, then null) and UPDATE of the shark: 0 or -1. */
int PlayerShark_Init(Object_t *shark, va_list args);
int PlayerShark_Update(Object_t *shark, struct World_t *world);
/* The prototype's remaining slots: ANIM and LOG do nothing; COLLISION answers
 * COLLISION_PLAYER for a point inside the shark's half-open hitbox. */
int PlayerShark_Anim(Object_t *shark);
int PlayerShark_LogDump(Object_t *shark);
int PlayerShark_Collision(Object_t *shark, float px, float py);

#ifdef __cplusplus
}
#endif

#endif

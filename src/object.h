/* Object classes and objects: every entity is an Object_t, and what it does
 * depends only on the functions in its slots. */
#ifndef FINMAW_OBJECT_H
#define FINMAW_OBJECT_H

#include <SDL.h>
#include <stdarg.h>
#include <stdint.h>

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Collision kinds, held in an object's collision field. */
enum {
    COLLISION_NULL = 0,
    COLLISION_PLAYER = 1,
    COLLISION_FISH = 2,
    COLLISION_DEATH = 3,
    COLLISION_HARM = 4,
    COLLISION_POISON = 5
};
#define COLLISION_KIND_COUNT 6
/* Names of the collision kinds, indexed by value, for log lines; filled by
 * the shell first thing at start-up and kept to the end of the run. */
extern char *CollisionNames[COLLISION_KIND_COUNT];

struct World_t;
typedef struct Object_t Object_t;

struct Object_t {
    void *data; /* class-private block, owned by the object */
    int32_t class_id;
    int32_t id; /* never reused within a run */
    SDL_Rect hitbox;
    int32_t draw_x; /* offset from the hitbox corner to the sprite corner */
    int32_t draw_y;
    int32_t dead;
    int32_t collision;
    SpriteState_t sprite;
    int (*UPDATE)(Object_t *self, struct World_t *world);
    int (*ANIM)(Object_t *self);
    /* args: the pointers given to Object_Create after the prototype, ended by null */
    int (*INIT)(Object_t *self, va_list args);
    int (*LOG)(Object_t *self);
    int (*COLLISION)(Object_t *self, float px, float py);
};

typedef int (*ClassLoader_t)(void);

#define OBJECT_MAX_LOADERS 1000
#define OBJECT_MAX_CLASSES 1000

/* Opens the class registry: 0, or -1 when its name list cannot be had. */
int Object_Begin(void);
/* Queues a class loader, run in push order by Object_LoadClasses: 0 or -1. */
int Object_PushLoadForClass(ClassLoader_t loader);
/* Registers a class name (copied) while loading: its new id, or -1. */
int Object_AssignClassID(const char *name);
/* Runs the queued loaders and starts the system: 0, or -1 at the first failure. */
int Object_LoadClasses(void);
/* The class's name, still owned by the registry, or null. */
const char *Object_GetClassString(int id);
/* Fills object from the prototype and runs its INIT: 0 or -1. The arguments
 * after the prototype are untyped pointers ended by a null pointer. */
int Object_Create(Object_t *object, const Object_t *prototype, ...);
/* count zero-filled records, owned by the caller until Object_Free; or null. */
Object_t *Object_Alloc(int count);
/* Releases a block from Object_Alloc: 0, or -2 for null. */
int Object_Free(Object_t *block);
/* Releases the registry's names: 0, or -1 when there is no name list. */
int Object_CleanAll(void);

#ifdef __cplusplus
}
#endif

#endif

/* Movement patterns of the fish, one per ai_type; each (but the null one)
 * ends by calling the Fish prototype's UPDATE. */
#ifndef FINMAW_FISH_AI_H
#define FINMAW_FISH_AI_H

#include "object.h"

#ifdef __cplusplus
extern "C" {
#endif

struct World_t;

/* Each moves the fish one frame and returns its UPDATE's result; the null
 * pattern only reports a fish without one and returns -1. */
int fish_ai_null(Object_t *fish, struct World_t *world);
int fish_ai_horizontal(Object_t *fish, struct World_t *world);
int fish_ai_sine(Object_t *fish, struct World_t *world);
int fish_ai_sword(Object_t *fish, struct World_t *world);
int fish_ai_crab(Object_t *fish, struct World_t *world);

#ifdef __cplusplus
}
#endif

#endif

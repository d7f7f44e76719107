/* Fixed-capacity stores of sprite sheets, sprites and animations, known by
 * name and by handle (index in the store, -1 for none). */
#ifndef FINMAW_IMAGE_H
#define FINMAW_IMAGE_H

#include <SDL.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Sprite_t {
    SDL_Rect rect;         /* area within the sheet */
    SDL_Surface *sheet;    /* borrowed from the sheet store */
    struct Sprite_t *next; /* next frame of an animation; null for a plain sprite */
    int32_t frameTime;     /* -1 for a plain sprite */
} Sprite_t;

typedef struct SpriteState_t {
    SDL_Rect dst; /* where it is drawn; x and y kept by the owning class */
    SDL_Rect src; /* copy of the current sprite's rect */
    SDL_Surface *sheet;
    int32_t animated;
    int32_t frameCounter;
    Sprite_t *current;
} SpriteState_t;

/* Makes the store's tables with these capacities: 0 or -1. */
int Image_Init(int sheets, int sprites, int animations);
/* Loads a BMP from the resource folder as a named sheet, owned by the
 * store, optionally colour-keyed: 0 or -1. */
int Image_LoadSpriteSheet(const char *file, const char *name, int colour_key, uint8_t r, uint8_t g,
                          uint8_t b);
/* Adds a named rectangle of a sheet: 0 or -1. */
int Image_AddSprite(const char *name, int sheet, int x, int y, int w, int h);
/* Adds a named frame list; frames: that many Sprite_t pointers follow. 0 or -1. */
int Image_AddAnimation(const char *name, int frames, ...);
/* Handles by name, or -1. */
int Image_Find_SpriteSheet(const char *name);
int Image_Find_Sprite(const char *name);
int Image_Find_Animation(const char *name);
/* Index of the first of count names equal to name, or -1. */
int Image_search_array_for(char **names, int count, const char *name);
/* By name, or by handle when name is null; the store keeps ownership.
 * Null when not found. */
SDL_Surface *Image_Get_SpriteSheet(const char *name, int handle);
Sprite_t *Image_Get_Sprite(const char *name, int handle);
/* The animation's first frame, borrowed from the store, or null. */
Sprite_t *Image_Get_Animation(const char *name, int handle);
/* Points state at sprite and copies its rectangle and sheet: 0 or -1. */
int Image_SetSprite(SpriteState_t *state, Sprite_t *sprite);
/* Releases every sheet, sprite and animation; returns 0. */
int Image_FreeAll(void);

#ifdef __cplusplus
}
#endif

#endif

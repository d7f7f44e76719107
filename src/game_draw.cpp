/* Scene drawing: background, entities, score and health digits, and the
 * hitbox view. Blit results are not acted on: a missing sheet just draws
 * nothing. */
#include <cstring>

#include "game.h"
#include "game_main.h"
#include "world.h"

namespace {

/* A whole-surface copy onto a surface of the same size and format, done as
 * SDL_UpperBlit would do it but with ordinary stores. SDL's own copy uses
 * non-temporal stores, which push the screen out of the cache just before
 * every sprite is drawn onto it (that doubled the cost of a frame). Only a
 * straight copy qualifies: no key, blending or modulation, nothing locked,
 * no clipping. Returns false, having drawn nothing, for anything else. */
bool PlainCopy(SDL_Surface *src, SDL_Surface *dst)
{
    if (!src || !dst || src == dst || !src->format || !dst->format || !src->pixels || !dst->pixels)
        return false;
    const Uint32 format = src->format->format;
    if (format != dst->format->format || SDL_ISPIXELFORMAT_INDEXED(format) ||
        SDL_ISPIXELFORMAT_FOURCC(format))
        return false;
    if (src->w != dst->w || src->h != dst->h || src->locked || dst->locked || SDL_MUSTLOCK(src) ||
        SDL_MUSTLOCK(dst) || SDL_HasColorKey(src))
        return false;
    SDL_BlendMode mode;
    Uint8 r, g, b, a;
    if (SDL_GetSurfaceBlendMode(src, &mode) != 0 || mode != SDL_BLENDMODE_NONE ||
        SDL_GetSurfaceColorMod(src, &r, &g, &b) != 0 || r != 255 || g != 255 || b != 255 ||
        SDL_GetSurfaceAlphaMod(src, &a) != 0 || a != 255)
        return false;
    const SDL_Rect &clip = dst->clip_rect;
    if (clip.x != 0 || clip.y != 0 || clip.w != dst->w || clip.h != dst->h)
        return false;

    const size_t row = static_cast<size_t>(src->w) * src->format->BytesPerPixel;
    const auto *from = static_cast<const unsigned char *>(src->pixels);
    auto *to = static_cast<unsigned char *>(dst->pixels);
    if (src->pitch == dst->pitch && static_cast<size_t>(src->pitch) == row) {
        memcpy(to, from, row * static_cast<size_t>(src->h));
        return true;
    }
    for (int y = 0; y < src->h; ++y)
        memcpy(to + static_cast<size_t>(y) * dst->pitch, from + static_cast<size_t>(y) * src->pitch,
               row);
    return true;
}

/* Blits the whole of src to 0,0 of dst, unscaled, as SDL_UpperBlit does. */
void BlitWhole(SDL_Surface *src, SDL_Surface *dst)
{
    if (!PlainCopy(src, dst))
        SDL_UpperBlit(src, nullptr, dst, nullptr);
}

void DrawGlyph(Game_t *game, int digit, const SDL_Rect *at)
{
    /* Only 0 to 9 have a glyph. */
    if (digit < 0 || digit >= GAME_GLYPH_COUNT)
        return;
    SDL_Rect dst = *at; /* clipping must not shrink the position rectangles */
    SDL_UpperBlit(game->font, &game->glyphs[digit], game->screen, &dst);
}

} // namespace

void Game_DrawFrameStart(Game_t *game)
{
    BlitWhole(game->background, game->screen);
    if (game->hitbox_view) {
        SDL_SetRenderDrawColor(game->renderer, 0, 0, 0, 255);
        SDL_RenderClear(game->renderer);
        SDL_SetRenderDrawColor(game->renderer, 255, 0, 0, 255);
        /* The colour is opaque, so blending draws exactly the plain fill's
         * pixels; but SDL's plain fill streams every row of a small
         * rectangle past the cache, which made the boxes cost eight times
         * as much as the rest of the frame. SDL has no blended fill for
         * 3-byte pixels (it draws nothing there), so those keep the plain
         * fill. */
        if (game->screen && game->screen->format && game->screen->format->BytesPerPixel != 3)
            SDL_SetRenderDrawBlendMode(game->renderer, SDL_BLENDMODE_BLEND);
    }
}

void Game_DrawEntity(Game_t *game, Object_t *copy)
{
    /* SDL clips dst in place; it is the copy's, so the record keeps its
     * full rectangle however far it sticks out of the window. */
    SDL_UpperBlit(copy->sprite.sheet, &copy->sprite.src, game->screen, &copy->sprite.dst);
}

int Game_DrawHitbox(Game_t *game, const Object_t *copy)
{
    return SDL_RenderFillRect(game->renderer, &copy->hitbox);
}

int Game_DrawScore(Game_t *game)
{
    int status = World_GetScoreAsArray(game->world.score, game->score_digits, GAME_SCORE_DIGITS);
    if (status != 0)
        return status;
    /* Most significant digit first, leading zeros included. */
    game->score_rect.x = GAME_SCORE_X;
    for (int i = GAME_SCORE_DIGITS - 1; i >= 0; --i) {
        DrawGlyph(game, game->score_digits[i], &game->score_rect);
        game->score_rect.x += GAME_GLYPH_W;
    }
    if (game->player_data)
        DrawGlyph(game, game->player_data->health, &game->health_rect);
    return 0;
}

void Game_Present(Game_t *game)
{
    if (game->hitbox_view) {
        /* The hitbox picture replaces the surface picture for this frame. */
        SDL_RenderFlush(game->renderer);
        if (game->hitbox_surface)
            BlitWhole(game->hitbox_surface, game->screen);
    }
    SDL_UpdateWindowSurface(GameWindow);
}

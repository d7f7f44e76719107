/* Scene drawing: background, entities, score and health digits, and the
 * hitbox view. Blit results are not acted on: a missing sheet just draws
 * nothing. */
#include "game.h"
#include "game_main.h"
#include "world.h"

void Game_DrawFrameStart(Game_t *game)
{
    SDL_UpperBlit(game->background, nullptr, game->screen, nullptr);
    if (game->hitbox_view) {
        SDL_SetRenderDrawColor(game->renderer, 0, 0, 0, 255);
        SDL_RenderClear(game->renderer);
        SDL_SetRenderDrawColor(game->renderer, 255, 0, 0, 255);
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

static void DrawGlyph(Game_t *game, int digit, const SDL_Rect *at)
{
    /* Only 0 to 9 have a glyph. */
    if (digit < 0 || digit >= GAME_GLYPH_COUNT)
        return;
    SDL_Rect dst = *at; /* clipping must not shrink the position rectangles */
    SDL_UpperBlit(game->font, &game->glyphs[digit], game->screen, &dst);
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
        if (HitboxSurface)
            SDL_UpperBlit(HitboxSurface, nullptr, game->screen, nullptr);
    }
    SDL_UpdateWindowSurface(GameWindow);
}

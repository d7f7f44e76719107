/* The frame's first picture, the background copied whole onto the window
 * surface, must look exactly as SDL's own blit would draw it, whatever the
 * two surfaces are like: a copy of its own is only a faster way there. */
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "game_main.h"

namespace {

using Tweak = std::function<void(SDL_Surface *src, SDL_Surface *dst)>;

/* A w x h surface of the format whose pitch has pad spare bytes, filled with a
 * pattern that differs from row to row; its pixels live in buf. */
SDL_Surface *Patterned(std::vector<unsigned char> &buf, int w, int h, Uint32 format, int pad, int seed)
{
    const int pitch = w * SDL_BYTESPERPIXEL(format) + pad;
    buf.assign(static_cast<size_t>(pitch) * h, 0);
    for (size_t i = 0; i < buf.size(); ++i)
        buf[i] = static_cast<unsigned char>(i * 7 + seed + i / pitch * 13);
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormatFrom(buf.data(), w, h, 0, pitch, format);
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE); /* as the background is: drawn whole, never blended */
    return s;
}

/* What dst holds after src is drawn onto it by the frame start, or by SDL. */
std::vector<unsigned char> Drawn(bool by_sdl, int sw, int sh, Uint32 sfmt, int spad, int dpad, const Tweak &tweak)
{
    std::vector<unsigned char> sbuf, dbuf;
    SDL_Surface *src = Patterned(sbuf, sw, sh, sfmt, spad, 1),
                *dst = Patterned(dbuf, 6, 4, SDL_PIXELFORMAT_ARGB8888, dpad, 2);
    tweak(src, dst);
    if (by_sdl) {
        SDL_UpperBlit(src, nullptr, dst, nullptr);
    } else {
        Game_t g{};
        g.background = src;
        g.screen = dst;
        Game_DrawFrameStart(&g);
    }
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
    return dbuf;
}

TEST(Draw, FrameStartDrawsTheBackgroundAsSdlWould)
{
    const Tweak none = [](SDL_Surface *, SDL_Surface *) {};
    const struct {
        const char *what;
        int w, h;
        Uint32 format;
        int spad, dpad;
        Tweak tweak;
    } rows[] = {
        {"plain copy", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0, none},
        {"padded source rows", 6, 4, SDL_PIXELFORMAT_ARGB8888, 8, 0, none},
        {"padded screen rows", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 4, none},
        {"both padded alike", 6, 4, SDL_PIXELFORMAT_ARGB8888, 4, 4, none},
        {"other format", 6, 4, SDL_PIXELFORMAT_RGB24, 0, 0, none},
        {"smaller picture", 5, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0, none},
        {"shorter picture", 6, 3, SDL_PIXELFORMAT_ARGB8888, 0, 0, none},
        {"wider picture", 7, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0, none},
        {"taller picture", 6, 5, SDL_PIXELFORMAT_ARGB8888, 0, 0, none},
        {"colour key", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *s, SDL_Surface *) { SDL_SetColorKey(s, 1, static_cast<Uint32 *>(s->pixels)[1]); }},
        {"run-length encoded", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *s, SDL_Surface *) { SDL_SetColorKey(s, 1, 0), SDL_SetSurfaceRLE(s, 1); }},
        {"blended", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *s, SDL_Surface *) { SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND); }},
        {"red modulated", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *s, SDL_Surface *) { SDL_SetSurfaceColorMod(s, 128, 255, 255); }},
        {"green modulated", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *s, SDL_Surface *) { SDL_SetSurfaceColorMod(s, 255, 128, 255); }},
        {"blue modulated", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *s, SDL_Surface *) { SDL_SetSurfaceColorMod(s, 255, 255, 128); }},
        {"alpha modulated", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *s, SDL_Surface *) {
                SDL_SetSurfaceAlphaMod(s, 128), SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
            }},
        {"clipped", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *, SDL_Surface *d) {
                const SDL_Rect c{1, 1, 4, 2};
                SDL_SetClipRect(d, &c);
            }},
        {"clipped at the right", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *, SDL_Surface *d) {
                const SDL_Rect c{0, 0, 5, 4};
                SDL_SetClipRect(d, &c);
            }},
        {"clipped at the bottom", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *, SDL_Surface *d) {
                const SDL_Rect c{0, 0, 6, 3};
                SDL_SetClipRect(d, &c);
            }},
        {"clipped at the top", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *, SDL_Surface *d) {
                const SDL_Rect c{0, 1, 6, 3};
                SDL_SetClipRect(d, &c);
            }},
        {"screen locked", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *, SDL_Surface *d) { SDL_LockSurface(d); }},
        {"picture locked", 6, 4, SDL_PIXELFORMAT_ARGB8888, 0, 0,
            [](SDL_Surface *s, SDL_Surface *) { SDL_LockSurface(s); }},
    };
    for (const auto &r : rows)
        EXPECT_TRUE(Drawn(false, r.w, r.h, r.format, r.spad, r.dpad, r.tweak) ==
                    Drawn(true, r.w, r.h, r.format, r.spad, r.dpad, r.tweak))
            << r.what;
}

} // namespace

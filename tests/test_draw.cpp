/* The frame's first picture, the background copied whole onto the window
 * surface, must look exactly as SDL's own blit would draw it, whatever the
 * two surfaces are like: a copy of its own is only a faster way there. */
#include "test_support.h"

namespace {

enum Tweak { kNone, kKey, kRle, kBlend, kModR, kModG, kModB, kModA, kLockScreen, kLockPicture, kClip };

struct Row {
    const char *what;
    int w, h;
    Uint32 format;
    int spad, dpad;
    Tweak tweak;
    SDL_Rect clip;
};

/* A w x h surface of the format whose pitch has pad spare bytes, filled with a
 * pattern that differs from row to row; its pixels live in buf. */
SDL_Surface *Patterned(std::vector<unsigned char> &buf, int w, int h, Uint32 format, int pad, int seed) {
    const int pitch = w * SDL_BYTESPERPIXEL(format) + pad;
    buf.assign(static_cast<size_t>(pitch) * h, 0);
    for (size_t i = 0; i < buf.size(); ++i) buf[i] = static_cast<unsigned char>(i * 7 + seed + i / pitch * 13);
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormatFrom(buf.data(), w, h, 0, pitch, format);
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE); /* as the background is: drawn whole, never blended */
    return s;
}

/* What the screen holds after the picture is drawn onto it by the frame start, or by SDL. */
std::vector<unsigned char> Drawn(bool by_sdl, const Row &r) {
    std::vector<unsigned char> sbuf, dbuf;
    SDL_Surface *s = Patterned(sbuf, r.w, r.h, r.format, r.spad, 1),
                *d = Patterned(dbuf, 6, 4, SDL_PIXELFORMAT_ARGB8888, r.dpad, 2);
    const Uint8 red = r.tweak == kModR ? 128 : 255, green = r.tweak == kModG ? 128 : 255;
    switch (r.tweak) {
    case kKey: SDL_SetColorKey(s, 1, static_cast<Uint32 *>(s->pixels)[1]); break;
    case kRle:
        SDL_SetColorKey(s, 1, 0);
        SDL_SetSurfaceRLE(s, 1);
        break;
    case kBlend: SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND); break;
    case kModR:
    case kModG:
    case kModB: SDL_SetSurfaceColorMod(s, red, green, r.tweak == kModB ? 128 : 255); break;
    case kModA:
        SDL_SetSurfaceAlphaMod(s, 128);
        SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
        break;
    case kClip: SDL_SetClipRect(d, &r.clip); break;
    case kLockScreen: SDL_LockSurface(d); break;
    case kLockPicture: SDL_LockSurface(s); break;
    case kNone: break;
    }
    Game_t g{};
    g.background = s;
    g.screen = d;
    if (by_sdl)
        SDL_UpperBlit(s, nullptr, d, nullptr);
    else
        Game_DrawFrameStart(&g);
    SDL_FreeSurface(s);
    SDL_FreeSurface(d);
    return dbuf;
}

constexpr Uint32 kArgb = SDL_PIXELFORMAT_ARGB8888;

TEST(Draw, FrameStartDrawsTheBackgroundAsSdlWould) {
    const Row shapes[] = {
        {"plain copy", 6, 4, kArgb, 0, 0, kNone, {}},
        {"padded source rows", 6, 4, kArgb, 8, 0, kNone, {}},
        {"padded screen rows", 6, 4, kArgb, 0, 4, kNone, {}},
        {"both padded alike", 6, 4, kArgb, 4, 4, kNone, {}},
        {"other format", 6, 4, SDL_PIXELFORMAT_RGB24, 0, 0, kNone, {}},
        {"narrower", 5, 4, kArgb, 0, 0, kNone, {}},
        {"shorter", 6, 3, kArgb, 0, 0, kNone, {}},
        {"wider", 7, 4, kArgb, 0, 0, kNone, {}},
        {"taller", 6, 5, kArgb, 0, 0, kNone, {}},
    };
    /* The screen clipped inside, at the right, at the bottom, at the top. */
    const SDL_Rect clips[] = {
        {1, 1, 4, 2},
        {0, 0, 5, 4},
        {0, 0, 6, 3},
        {0, 1, 6, 3},
    };
    std::vector<Row> rows(std::begin(shapes), std::end(shapes));
    for (int tweak = kKey; tweak < kClip; ++tweak)
        rows.push_back({"tweaked", 6, 4, kArgb, 0, 0, static_cast<Tweak>(tweak), {}});
    for (const SDL_Rect &clip : clips) rows.push_back({"clipped", 6, 4, kArgb, 0, 0, kClip, clip});
    for (const Row &r : rows) EXPECT_TRUE(Drawn(false, r) == Drawn(true, r)) << r.what << " " << r.tweak;
}

} // namespace

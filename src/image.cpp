#include "image.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <iterator>

#include "ashare/alloc.h"
#include "ashare/share_utils.h"

#define FM_LOG_FILE "image"
#include "ashare/log.h"

namespace {

/* g_sheets up to this tall are run-length encoded (see the sheet load). */
constexpr int kRleMaxRows = 128;

/* Each store: a capacity fixed by Image_Init, a count that only grows, and
 * parallel arrays allocated once so handed-out pointers stay valid. */
int g_sheet_cap = 0;
int g_sheet_count = 0;
SDL_Surface **g_sheets = nullptr;
char **g_sheet_names = nullptr;

int g_sprite_cap = 0;
int g_sprite_count = 0;
Sprite_t *g_sprites = nullptr;
char **g_sprite_names = nullptr;

int g_anim_cap = 0;
int g_anim_count = 0;
Sprite_t **g_anims = nullptr;
char **g_anim_names = nullptr;

/* Never asks for zero bytes: malloc(0) may give null, and an empty store
 * must still count as initialised (it then refuses adds for lack of room). */
void *AllocArray(int capacity, size_t elem)
{
    const size_t n = capacity > 0 ? static_cast<size_t>(capacity) : 1;
    return Mem_Alloc(n * elem);
}

void FreeNames(char **names, int count)
{
    if (!names)
        return;
    for (int i = 0; i < count; ++i)
        Mem_Free(names[i]);
    Mem_Free(names);
}

/* Releases every store and returns the module to its start state. */
void ReleaseAll()
{
    if (g_sheets) {
        for (int i = 0; i < g_sheet_count; ++i)
            SDL_FreeSurface(g_sheets[i]);
        Mem_Free(g_sheets);
    }
    if (g_anims) {
        for (int i = 0; i < g_anim_count; ++i)
            Mem_Free(g_anims[i]);
        Mem_Free(g_anims);
    }
    Mem_Free(g_sprites);
    FreeNames(g_sheet_names, g_sheet_count);
    FreeNames(g_anim_names, g_anim_count);
    FreeNames(g_sprite_names, g_sprite_count);

    g_sheets = nullptr;
    g_sheet_names = nullptr;
    g_sprites = nullptr;
    g_sprite_names = nullptr;
    g_anims = nullptr;
    g_anim_names = nullptr;
    g_sheet_count = g_sprite_count = g_anim_count = 0;
    g_sheet_cap = g_sprite_cap = g_anim_cap = 0;
}

/* Frees the temporary path strings of a sheet load, whichever exist. */
void ReleasePaths(bstring *path, char **cpath)
{
    if (*path) {
        bstring_destroy(*path);
        *path = nullptr;
    }
    if (*cpath) {
        Mem_Free(*cpath);
        *cpath = nullptr;
    }
}

/* Whether SDL may size a surface from this BMP's header. SDL allocates and
 * clears the whole surface a header claims before it reads a pixel, and
 * only then finds a compression it cannot read or rows that are not there,
 * so a damaged header could cost gigabytes for a file SDL then rejects. A
 * header is refused here unless SDL reads its kind and the file holds its
 * pixels: every fixed-length row, or for run-length code at least two bytes
 * for every 255 pixels (one run's most). What SDL refuses before it
 * allocates (a file too short to be a BMP, no width, no bits a pixel) is
 * left to it. The stream is left at its start. */
bool BmpHeaderBounded(SDL_RWops *rw)
{
    /* Missing bytes read as zero, as they do for SDL. */
    Uint8 h[34] = {};
    const Sint64 size = SDL_RWsize(rw);
    const size_t got = size > 0 ? SDL_RWread(rw, h, 1, sizeof h) : 0;
    SDL_RWseek(rw, 0, RW_SEEK_SET);
    if (got < 2 || h[0] != 'B' || h[1] != 'M')
        return true;
    auto u16 = [&h](int at) {
        return static_cast<Uint32>(h[at]) | static_cast<Uint32>(h[at + 1]) << 8;
    };
    auto u32 = [&u16](int at) { return u16(at) | u16(at + 2) << 16; };
    const Uint32 offset = u32(10);
    const Uint32 info_size = u32(14);
    /* The oldest header has 16-bit sizes and no compression field. */
    const bool core = info_size == 12;
    constexpr Uint32 kInfoSizes[] = {40, 52, 56, 64, 108, 124};
    if (!core && std::find(std::begin(kInfoSizes), std::end(kInfoSizes), info_size) ==
                     std::end(kInfoSizes)) {
        SDL_SetError("BMP file claims an info header of %lu bytes, which no BMP has",
                     static_cast<unsigned long>(info_size));
        return false;
    }
    const Sint32 width = core ? static_cast<Sint32>(u16(18)) : static_cast<Sint32>(u32(18));
    const Sint32 height = core ? static_cast<Sint32>(u16(20)) : static_cast<Sint32>(u32(22));
    const Uint32 bpp = core ? u16(24) : u16(28);
    const Uint32 compression = core ? 0 : u32(30);
    /* SDL reads plain rows (0), run-length code of 8 and 4 bits (1, 2) and
     * rows with colour masks (3, and 6 with an alpha mask, read as plain). */
    if (compression > 3 && compression != 6) {
        SDL_SetError("BMP file claims compression %lu, which SDL cannot read",
                     static_cast<unsigned long>(compression));
        return false;
    }
    const bool rle = compression == 1 || compression == 2;
    if (rle && bpp != (compression == 1 ? 8u : 4u)) {
        SDL_SetError("BMP file claims run-length code of %lu-bit pixels, which SDL cannot read",
                     static_cast<unsigned long>(bpp));
        return false;
    }
    if (width <= 0 || height == 0 || height == INT32_MIN || bpp == 0)
        return true;
    const Uint64 rows = static_cast<Uint64>(height < 0 ? -static_cast<Sint64>(height) : height);
    const Uint64 data = static_cast<Uint64>(size) > offset ? static_cast<Uint64>(size) - offset : 0;
    bool fits = false;
    if (rle) {
        fits = (rows * static_cast<Uint64>(width) + 254) / 255 * 2 <= data;
    } else {
        const Uint64 row_bytes = (static_cast<Uint64>(width) * bpp + 31) / 32 * 4;
        /* The last row's padding may be missing. */
        const Uint64 last_row = (static_cast<Uint64>(width) * bpp + 7) / 8;
        fits = data >= last_row && (data - last_row) / row_bytes >= rows - 1;
    }
    if (fits)
        return true;
    SDL_SetError("BMP file claims %dx%d pixels, more than its %lld bytes hold",
                 static_cast<int>(width), static_cast<int>(height), static_cast<long long>(size));
    return false;
}

/* A sheet's surface, or null after the sheet load's specific error line,
 * which names the loader: these are its steps. */
SDL_Surface *LoadSheetSurface(const char *file, bstring *path, char **cpath)
{
    constexpr const char *kLoader = "Image_LoadSpriteSheet";
    if (!File_GetResource_cstr(file, path)) {
        LOG_ERR_IN(kLoader, "Failed to get resource path as bstring.");
        return nullptr;
    }
    if (Util_CString_Convert(*path, cpath) != 0 || !*cpath) {
        LOG_ERR_IN(kLoader, "Failed to convert resource path to c-string.");
        return nullptr;
    }
    /* Decoding a null stream would replace the reason it could not be
     * opened with a complaint about the null argument. */
    SDL_RWops *rw = SDL_RWFromFile(*cpath, "rb");
    if (rw && !BmpHeaderBounded(rw)) {
        SDL_RWclose(rw);
        rw = nullptr;
    }
    SDL_Surface *surface = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
    if (!surface)
        LOG_ERR_IN(kLoader, "Failed to create SDL_Surface: %s", SDL_GetError());
    return surface;
}

} // namespace

int Image_Init(int sheets, int sprites, int animations)
{
    /* A second initialisation starts from empty stores rather than leaking
     * the first ones. */
    if (g_sheets || g_sheet_names || g_sprites || g_sprite_names || g_anims || g_anim_names)
        ReleaseAll();

    g_sheet_cap = sheets;
    g_sprite_cap = sprites;
    g_anim_cap = animations;

    g_sheets = static_cast<SDL_Surface **>(AllocArray(sheets, sizeof(SDL_Surface *)));
    g_sheet_names = static_cast<char **>(AllocArray(sheets, sizeof(char *)));
    g_sprites = static_cast<Sprite_t *>(AllocArray(sprites, sizeof(Sprite_t)));
    g_sprite_names = static_cast<char **>(AllocArray(sprites, sizeof(char *)));
    g_anims = static_cast<Sprite_t **>(AllocArray(animations, sizeof(Sprite_t *)));
    g_anim_names = static_cast<char **>(AllocArray(animations, sizeof(char *)));

    if (!g_sheets || !g_sheet_names || !g_sprites || !g_sprite_names || !g_anims || !g_anim_names) {
        LOG_ERR("Out of memory.");
        return -1;
    }
    return 0;
}

int Image_LoadSpriteSheet(const char *file, const char *name, int colour_key, uint8_t r, uint8_t g,
                          uint8_t b)
{
    bstring path = nullptr;
    char *cpath = nullptr;
    SDL_Surface *surface = nullptr;
    char *copy = nullptr;

    if (!g_sheets || !g_sheet_names) {
        LOG_ERR("Sprite Sheet memory not initialised. Make sure Image_Init(...) is called.");
        goto fail;
    }
    if (g_sheet_count >= g_sheet_cap) {
        LOG_ERR("No space in buffer for new Sprite Sheet!");
        goto fail;
    }
    if (!name) {
        LOG_ERR("Bad parameters - NULL passed to function.");
        goto fail;
    }

    surface = LoadSheetSurface(file, &path, &cpath);
    if (!surface)
        goto fail;

    if (colour_key > 0) {
        const Uint32 key = SDL_MapRGB(surface->format, r, g, b);
        SDL_SetColorKey(surface, 1, key);
        /* Run-length encoding skips the keyed pixels in bulk: same picture,
         * cheaper blits. Pixel access then needs SDL_LockSurface. Not for
         * sheets with an alpha channel: SDL then encodes by alpha alone and
         * the key colour would be drawn. Nor for tall sheets: an encoded
         * blit walks every encoded row above its source rectangle, so the
         * small sprites stacked low on a tall sheet draw slower encoded
         * than plain (the fish sheet's did, three times over). */
        if (surface->format->Amask == 0 && surface->h <= kRleMaxRows)
            SDL_SetSurfaceRLE(surface, 1);
    }

    copy = Mem_StrDup(name);
    if (!copy) {
        LOG_ERR("Out of memory.");
        SDL_FreeSurface(surface);
        goto fail;
    }

    ReleasePaths(&path, &cpath);
    g_sheets[g_sheet_count] = surface;
    g_sheet_names[g_sheet_count] = copy;
    ++g_sheet_count;
    LOG_INFO("Loaded Sprite Sheet: %s", name);
    return 0;

fail:
    ReleasePaths(&path, &cpath);
    LOG_ERR_KEEP("Failed to load Sprite Sheet: %s", name ? name : "(null)");
    return -1;
}

int Image_AddSprite(const char *name, int sheet, int x, int y, int w, int h)
{
    Sprite_t sprite;
    char *copy = nullptr;

    if (!g_sprites || !g_sprite_names) {
        LOG_ERR("Sprite memory not initialised. Make sure Image_Init(...) is called.");
        goto fail;
    }
    if (g_sprite_count >= g_sprite_cap) {
        LOG_ERR("Not enough space in buffer for new Sprite!");
        goto fail;
    }
    if (!name) {
        LOG_ERR("Bad parameters - NULL passed to function.");
        goto fail;
    }

    sprite.rect = SDL_Rect{x, y, w, h};
    /* An unknown sheet is reported by the lookup; the sprite is kept. */
    sprite.sheet = Image_Get_SpriteSheet(nullptr, sheet);
    sprite.next = nullptr;
    sprite.frameTime = -1;

    copy = Mem_StrDup(name);
    if (!copy) {
        LOG_ERR("Out of memory.");
        goto fail;
    }

    g_sprites[g_sprite_count] = sprite;
    g_sprite_names[g_sprite_count] = copy;
    ++g_sprite_count;
    LOG_INFO("Loaded Sprite: %s", name);
    return 0;

fail:
    LOG_ERR_KEEP("Failed to load sprite: %s", name ? name : "(null)");
    return -1;
}

int Image_AddAnimation(const char *name, int frames, ...)
{
    Sprite_t *list = nullptr;
    char *copy = nullptr;
    bool complete = true;

    if (!g_anims || !g_anim_names) {
        LOG_ERR("Animation memory not initialised. Make sure Image_Init(...) is called!");
        goto fail;
    }
    if (g_anim_count >= g_anim_cap) {
        LOG_ERR("Not enough space in buffer for new Animation!");
        goto fail;
    }
    if (!name) {
        LOG_ERR("Bad parameters - NULL passed to function.");
        goto fail;
    }
    /* An empty ring has no first frame to hand out. */
    if (frames < 1) {
        LOG_ERR("An animation needs at least one frame, %d given.", frames);
        goto fail;
    }

    list = static_cast<Sprite_t *>(Mem_Alloc(static_cast<size_t>(frames) * sizeof(Sprite_t)));
    if (!list) {
        LOG_ERR("Out of memory.");
        goto fail;
    }

    {
        va_list ap;
        va_start(ap, frames);
        for (int i = 0; i < frames; ++i) {
            const Sprite_t *frame = va_arg(ap, const Sprite_t *);
            if (!frame) {
                complete = false;
                break;
            }
            list[i] = *frame;
        }
        va_end(ap);
    }
    if (!complete) {
        LOG_ERR("Unexpected end of vararg list reached.");
        goto fail;
    }

    for (int i = 0; i < frames; ++i)
        list[i].next = &list[(i + 1) % frames];

    copy = Mem_StrDup(name);
    if (!copy) {
        LOG_ERR("Out of memory.");
        goto fail;
    }

    g_anims[g_anim_count] = list;
    g_anim_names[g_anim_count] = copy;
    ++g_anim_count;
    LOG_INFO("Loaded Animation: %s", name);
    return 0;

fail:
    Mem_Free(list);
    LOG_ERR_KEEP("Failed to load animation: %s", name ? name : "(null)");
    return -1;
}

int Image_search_array_for(char **names, int count, const char *name)
{
    if (names && name) {
        for (int i = 0; i < count; ++i) {
            if (names[i] && strcmp(names[i], name) == 0) {
                LOG_DEBUG("Matched strings %s and %s", names[i], name);
                return i;
            }
        }
    }
    LOG_DEBUG("Returning NULL");
    return -1;
}

int Image_Find_SpriteSheet(const char *name)
{
    return Image_search_array_for(g_sheet_names, g_sheet_count, name);
}

int Image_Find_Sprite(const char *name)
{
    return Image_search_array_for(g_sprite_names, g_sprite_count, name);
}

int Image_Find_Animation(const char *name)
{
    return Image_search_array_for(g_anim_names, g_anim_count, name);
}

SDL_Surface *Image_Get_SpriteSheet(const char *name, int handle)
{
    if (name)
        handle = Image_Find_SpriteSheet(name);
    if (handle < 0)
        LOG_ERR("Invalid sprite handle provided.");
    else if (handle >= g_sheet_count)
        LOG_ERR("Sprite Sheet handle was too large.");
    else
        return g_sheets[handle];
    if (name)
        LOG_ERR_KEEP("Could not get sprite sheet: %s", name);
    return nullptr;
}

Sprite_t *Image_Get_Sprite(const char *name, int handle)
{
    if (name)
        handle = Image_Find_Sprite(name);
    if (handle < 0)
        LOG_ERR("Invalid sprite handle provided.");
    else if (handle >= g_sprite_count)
        LOG_ERR("Sprite handle was too large.");
    else
        return &g_sprites[handle];
    if (name)
        LOG_ERR_KEEP("Could not get sprite: %s", name);
    return nullptr;
}

Sprite_t *Image_Get_Animation(const char *name, int handle)
{
    if (name)
        handle = Image_Find_Animation(name);
    if (handle < 0)
        LOG_ERR("Invalid sprite handle provided.");
    else if (handle >= g_anim_count)
        LOG_ERR("Animation handle was too large.");
    else
        return g_anims[handle];
    if (name)
        LOG_ERR_KEEP("Could not get animation: %s", name);
    return nullptr;
}

int Image_SetSprite(SpriteState_t *state, Sprite_t *sprite)
{
    if (!state || !sprite) {
        LOG_ERR("Bad parameters - NULL passed to function.");
        return -1;
    }
    state->sheet = sprite->sheet;
    state->current = sprite;
    state->src = sprite->rect;
    return 0;
}

int Image_FreeAll(void)
{
    ReleaseAll();
    LOG_INFO("All image memory cleaned.");
    return 0;
}

/* The catalogue of fish types: built once at start-up, read-only after. */
#include <cstring>

#include "ashare/alloc.h"
#include "class/fish.h"
#include "class/fish_ai.h"

#define FM_LOG_FILE "class/fish"
#include "ashare/log.h"

namespace {

constexpr int32_t kLoadNone = 0;
constexpr int32_t kLoadAccepting = 1;
constexpr int kAiRoutineMax = 5;

struct Catalogue {
    int32_t capacity = -1;
    int32_t count = 0;
    int32_t loading = kLoadNone;
    char **names = nullptr;
    FishData *data = nullptr;
    FishTemplate *templates = nullptr;
    FishAI_t routines[kAiRoutineMax] = {};
    int32_t routine_count = 0;
};

Catalogue g_cat;

bool TypeInRange(int type)
{
    return type >= 0 && type < g_cat.count;
}

} // namespace

int Fish_Load_Init(int capacity)
{
    if (g_cat.data) {
        LOG_ERR("Cannot initialise data that already exists!");
        return -1;
    }
    if (capacity <= 0) {
        LOG_ERR("Invalid parameter for number of fish!");
        return -1;
    }
    if (g_cat.loading != kLoadNone) {
        LOG_ERR("Invalid loading state for fish data!");
        return -1;
    }

    /* A table that cannot be had is left null: every Fish_Load then says so. */
    g_cat.data =
        static_cast<FishData *>(Mem_Calloc(static_cast<size_t>(capacity), sizeof(FishData)));
    g_cat.templates = static_cast<FishTemplate *>(
        Mem_Calloc(static_cast<size_t>(capacity), sizeof(FishTemplate)));
    g_cat.names = static_cast<char **>(Mem_Calloc(static_cast<size_t>(capacity), sizeof(char *)));

    g_cat.capacity = capacity;
    g_cat.count = 0;
    g_cat.loading = kLoadAccepting;

    /* Indexed by ai_type: the order is the enumeration's. */
    g_cat.routine_count = 0;
    g_cat.routines[g_cat.routine_count++] = fish_ai_null;
    g_cat.routines[g_cat.routine_count++] = fish_ai_horizontal;
    g_cat.routines[g_cat.routine_count++] = fish_ai_sine;
    g_cat.routines[g_cat.routine_count++] = fish_ai_sword;
    g_cat.routines[g_cat.routine_count++] = fish_ai_crab;
    return 0;
}

int Fish_Load(const char *name, int animated, const char *sprite_name, int hitbox_w, int hitbox_h,
              int draw_x, int draw_y, int ai_type, float speed, float speed2, int points,
              int collision)
{
    const char *shown = name ? name : "(null)";
    char *copy = nullptr;
    Sprite_t *sprite = nullptr;
    FishData data{};
    FishTemplate tmpl{};

    if (!g_cat.data || !g_cat.templates || !g_cat.names) {
        LOG_ERR("Arrays are NULL, check Fish_Data_Init() is called.");
        goto fail;
    }
    if (g_cat.loading != kLoadAccepting) {
        LOG_ERR("Invalid Fish loading state.");
        goto fail;
    }
    if (animated != 0 && animated != 1) {
        LOG_ERR("Invalid value for parameter: 'animated'");
        goto fail;
    }
    if (ai_type < 0) {
        LOG_ERR("Invalid value for parameter: 'ai_type'");
        goto fail;
    }
    if (g_cat.count >= g_cat.capacity) {
        LOG_ERR("Not enough room for new fish type.");
        goto fail;
    }
    /* A type without a name could never be found, and cannot be copied. */
    if (!name) {
        LOG_ERR("Invalid value for parameter: 'name'");
        goto fail;
    }
    copy = Mem_StrDup(name);
    if (!copy) {
        LOG_ERR("Out of memory.");
        goto fail;
    }

    data.speed = speed;
    data.speed2 = speed2;
    data.points = points;
    data.eaten = 0;
    tmpl.ai_type = ai_type;
    tmpl.collision = collision;
    tmpl.animated = animated;
    tmpl.draw_x = draw_x;
    tmpl.draw_y = draw_y;
    tmpl.hitbox_w = hitbox_w;
    tmpl.hitbox_h = hitbox_h;

    sprite = animated ? Image_Get_Animation(sprite_name, -1) : Image_Get_Sprite(sprite_name, -1);
    if (!sprite) {
        LOG_ERR("Failed to get sprite data for fish!");
        goto fail;
    }
    tmpl.sprite = sprite;

    /* Committed only now, so a refused type leaves its slot untouched. */
    g_cat.names[g_cat.count] = copy;
    g_cat.data[g_cat.count] = data;
    g_cat.templates[g_cat.count] = tmpl;
    g_cat.count++;
    LOG_DEBUG("Loaded new fish %s, Speed: %f, Speed2: %f", name, static_cast<double>(speed),
              static_cast<double>(speed2));
    return 0;

fail:
    Mem_Free(copy);
    LOG_ERR_KEEP("Could not load Fish: %s", shown);
    return -1;
}

int Fish_FindType(const char *name)
{
    if (name && g_cat.names) {
        for (int32_t i = 0; i < g_cat.count; ++i) {
            if (g_cat.names[i] && std::strcmp(g_cat.names[i], name) == 0)
                return i;
        }
    }
    LOG_ERR("Could not find fish: %s.", name ? name : "(null)");
    return -1;
}

int Fish_FreeAll(void)
{
    if (g_cat.data) {
        Mem_Free(g_cat.data);
        g_cat.data = nullptr;
    }
    if (g_cat.names) {
        for (int32_t i = 0; i < g_cat.count; ++i)
            Mem_Free(g_cat.names[i]);
        Mem_Free(g_cat.names);
        g_cat.names = nullptr;
    }
    if (g_cat.templates) {
        Mem_Free(g_cat.templates);
        g_cat.templates = nullptr;
    }
    /* Nothing may be read through the released tables. */
    g_cat.count = 0;
    return 0;
}

const FishData *Fish_GetData(int type)
{
    return (g_cat.data && TypeInRange(type)) ? &g_cat.data[type] : nullptr;
}

const FishTemplate *Fish_GetTemplate(int type)
{
    return (g_cat.templates && TypeInRange(type)) ? &g_cat.templates[type] : nullptr;
}

FishAI_t Fish_GetAI(int ai_type)
{
    if (ai_type < 0 || ai_type >= g_cat.routine_count)
        return nullptr;
    return g_cat.routines[ai_type];
}

int Fish_AICount(void)
{
    return g_cat.routine_count;
}

int Fish_TypeCount(void)
{
    return g_cat.count;
}

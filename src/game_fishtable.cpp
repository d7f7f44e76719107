/* The game's fish types, and the keys that spawn them with the rest of the
 * key table. The row order fixes the type indices: the world's placeholder
 * "FishDead" must stay first. */
#include <algorithm>
#include <iterator>

#include "class/fish.h"
#include "game.h"

#define FM_LOG_FILE "game"
#include "ashare/log.h"

namespace {

struct FishRow {
    const char *name;
    const char *sprite;
    int hitbox_w;
    int hitbox_h;
    int draw_x;
    int draw_y;
    int ai_type;
    float speed;
    float speed2;
    int points;
    int collision;
};

constexpr FishRow kFishTypes[] = {
    {"FishDead", "fish_pink", 32, 10, 0, -2, FISH_AI_NULL, 0.0f, 0.0f, 0, COLLISION_NULL},
    {"horiz_slow", "fish_slow", 25, 14, 0, 0, FISH_AI_HORIZONTAL, 4.8f, 1.0f, 10, COLLISION_FISH},
    {"horiz_med", "fish_red", 34, 11, 0, 0, FISH_AI_HORIZONTAL, 6.6f, 1.0f, 50, COLLISION_FISH},
    {"horiz_fast", "fish_purp", 30, 13, 0, 0, FISH_AI_HORIZONTAL, 9.8f, 1.0f, 300, COLLISION_FISH},
    {"sine_slow", "fish_barri", 38, 9, 0, 0, FISH_AI_SINE, 7.6f, 2.3f, 100, COLLISION_FISH},
    {"sine_wide", "fish_green", 32, 15, 0, 0, FISH_AI_SINE, 7.0f, 18.0f, 800, COLLISION_FISH},
    {"sword", "fish_sword", 40, 5, -10, -1, FISH_AI_SWORD, 9.0f, 60.0f, 0, COLLISION_HARM},
    {"crab", "fish_crab", 25, 14, -3, -1, FISH_AI_CRAB, 4.0f, 0.0f, 0, COLLISION_HARM},
    {"puffer", "fish_puffer", 20, 14, -4, -5, FISH_AI_HORIZONTAL, 3.0f, 1.0f, 0, COLLISION_POISON},
};

constexpr int kFishCapacity = 10;

/* Row makers: each row names only what its action uses. */
constexpr KeyBinding Steer(SDL_Keycode key, int input)
{
    return {key, KEY_INPUT, input, nullptr, 0};
}
constexpr KeyBinding Spawn(SDL_Keycode key, const char *type, int start_y)
{
    return {key, KEY_SPAWN, 0, type, start_y};
}
constexpr KeyBinding Act(SDL_Keycode key, int action)
{
    return {key, action, 0, nullptr, 0};
}

/* One key per row. */
// clang-format off
constexpr KeyBinding kKeys[] = {
    Steer(SDLK_UP, INPUT_UP),
    Steer(SDLK_w, INPUT_UP),
    Steer(SDLK_DOWN, INPUT_DOWN),
    Steer(SDLK_s, INPUT_DOWN),
    Steer(SDLK_LEFT, INPUT_LEFT),
    Steer(SDLK_a, INPUT_LEFT),
    Steer(SDLK_RIGHT, INPUT_RIGHT),
    Steer(SDLK_d, INPUT_RIGHT),
    Steer(SDLK_SPACE, INPUT_BITE),
    Spawn(SDLK_1, "horiz_slow", 200),
    Spawn(SDLK_2, "horiz_med", 200),
    Spawn(SDLK_3, "horiz_fast", 200),
    Spawn(SDLK_4, "sine_slow", 200),
    Spawn(SDLK_5, "sine_wide", 20),
    Spawn(SDLK_6, "sword", 200),
    Spawn(SDLK_7, "puffer", 200),
    Spawn(SDLK_8, "crab", 600),
    Act(SDLK_ESCAPE, KEY_QUIT),
    Act(SDLK_c, KEY_HITBOX_VIEW),
    Act(SDLK_h, KEY_HEALTH),
    Act(SDLK_p, KEY_PAUSE),
};
// clang-format on

} // namespace

const KeyBinding *Main_FindKey(SDL_Keycode key)
{
    const auto *found =
        std::find_if(std::begin(kKeys), std::end(kKeys),
                     [key](const KeyBinding &binding) { return binding.key == key; });
    return found != std::end(kKeys) ? found : nullptr;
}

int Main_LoadFish(void)
{
    LOG_DEBUG("Starting fish load...");
    LOG_DEBUG_FLUSH();

    if (Fish_Load_Init(kFishCapacity) != 0) {
        LOG_ERR("ASSERT catch");
        return -1;
    }
    for (const FishRow &row : kFishTypes) {
        /* None of the game's fish is animated. */
        if (Fish_Load(row.name, 0, row.sprite, row.hitbox_w, row.hitbox_h, row.draw_x, row.draw_y,
                      row.ai_type, row.speed, row.speed2, row.points, row.collision) != 0) {
            LOG_ERR("ASSERT catch");
            return -1;
        }
    }
    return 0;
}

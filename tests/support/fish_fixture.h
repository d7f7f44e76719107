/* Shared set-up for tests of fish and the world: the game's sprites
 * registered with their real sizes (no sheet, so no files and no video),
 * the game's fish catalogue, and a world built by hand. */
#ifndef FINMAW_FISH_FIXTURE_H
#define FINMAW_FISH_FIXTURE_H

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

#include "alloc.h"
#include "class/fish.h"
#include "game.h"
#include "image.h"
#include "world.h"

namespace fmtest {

struct ManifestSprite {
    const char *name;
    int x, y, w, h;
};

/* The sprites of the asset manifest, in its order. */
inline const std::vector<ManifestSprite> &ManifestSprites()
{
    static const std::vector<ManifestSprite> sprites = {
        {"shark_idle", 0, 40, 110, 40}, {"shark_bite", 0, 0, 110, 40},
        {"fish_pink", 0, 0, 32, 14},    {"fish_barri", 0, 14, 38, 9},
        {"fish_sword", 0, 182, 50, 9},  {"fish_crab", 0, 28, 31, 21},
        {"fish_puffer", 0, 56, 31, 24}, {"fish_slow", 38, 0, 35, 14},
        {"fish_purp", 38, 14, 30, 13},  {"fish_red", 38, 28, 34, 11},
        {"fish_green", 38, 42, 32, 15},
    };
    return sprites;
}

/* Creates the image stores and adds the manifest's sprites without sheets.
 * skip names one sprite to leave out (null: none). True when all went in. */
inline bool AddManifestSprites(const char *skip = nullptr)
{
    if (Image_Init(10, 100, 100) != 0)
        return false;
    for (const ManifestSprite &s : ManifestSprites()) {
        if (skip && std::string(skip) == s.name)
            continue;
        if (Image_AddSprite(s.name, -1, s.x, s.y, s.w, s.h) != 0)
            return false;
    }
    return true;
}

/* Sprites plus the game's fish catalogue. */
inline bool LoadGameFish()
{
    return AddManifestSprites() && Main_LoadFish() == 0;
}

/* Calls an INIT that takes a va_list with the given pointers. */
inline int CallInit(int (*init)(Object_t *, va_list), Object_t *object, ...)
{
    va_list args;
    va_start(args, object);
    const int result = init(object, args);
    va_end(args);
    return result;
}

/* A World_t laid out as World_Create lays it out (fish slots, then the
 * player's record, live flags, the player's flag set), without the object
 * system. Fish records are set up as "FishDead" placeholders when the
 * catalogue holds that type. */
class HandWorld {
public:
    explicit HandWorld(int max_fish)
        : entities_(static_cast<size_t>(max_fish) + 1), alive_(static_cast<size_t>(max_fish) + 1, 0)
    {
        world_.entities = entities_.data();
        world_.alive = alive_.data();
        world_.player = &entities_.back();
        world_.max_fish = max_fish;
        world_.entity_count = max_fish + 1;
        alive_.back() = 1;
        if (Fish_FindType("FishDead") >= 0) {
            int start_y = 0;
            for (int i = 0; i < max_fish; ++i)
                CallInit(Fish_Init, &entities_[static_cast<size_t>(i)], &start_y, "FishDead",
                         static_cast<void *>(nullptr));
        }
    }
    ~HandWorld()
    {
        for (Object_t &o : entities_)
            Mem_Free(o.data);
    }
    HandWorld(const HandWorld &) = delete;
    HandWorld &operator=(const HandWorld &) = delete;

    World_t *get() { return &world_; }
    Object_t &fish(int slot) { return entities_[static_cast<size_t>(slot)]; }
    int32_t alive(int slot) const { return alive_[static_cast<size_t>(slot)]; }

    /* What World_SpawnFish does for a chosen slot. */
    int Spawn(int slot, int start_y, const char *type)
    {
        const int result = Fish_Remake(&fish(slot), &world_, slot, start_y, type);
        if (result == 0)
            world_.fish_count += 1;
        return result;
    }

private:
    std::vector<Object_t> entities_;
    std::vector<int32_t> alive_;
    World_t world_{};
};

inline FishData *DataOf(Object_t &fish)
{
    return static_cast<FishData *>(fish.data);
}

} // namespace fmtest

#endif

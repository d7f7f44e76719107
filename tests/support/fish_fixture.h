/* Shared set-up for tests of fish and the world: the game's sprites
 * registered with their real sizes (no sheet, so no files and no video),
 * the game's fish catalogue, and a world built by hand. */
#ifndef FINMAW_FISH_FIXTURE_H
#define FINMAW_FISH_FIXTURE_H

#include <cstdarg>

#include "class/fish.h"
#include "game_manifest.h"
#include "test_support.h"

namespace fmtest {

/* Creates the image stores and adds the asset manifest's sprites. */
inline bool AddManifestSprites() {
    bool ok = Image_Init(10, 100, 100) == 0;
    for (const ManifestSprite &s : kManifestSprites)
        ok = ok && Image_AddSprite(s.name, -1, s.rect.x, s.rect.y, s.rect.w, s.rect.h) == 0;
    return ok;
}

inline bool LoadGameFish() { return AddManifestSprites() && Main_LoadFish() == 0; }

/* Calls an INIT that takes a va_list with the given pointers. */
inline int CallInit(int (*init)(Object_t *, va_list), Object_t *object, ...) {
    va_list args;
    va_start(args, object);
    const int result = init(object, args);
    va_end(args);
    return result;
}

inline FishData *DataOf(Object_t &fish) { return static_cast<FishData *>(fish.data); }

/* A World_t laid out as World_Create lays it out, without the object system;
 * fish records are "FishDead" placeholders when the catalogue has the type. */
class HandWorld {
public:
    explicit HandWorld(int max_fish) : entities_(max_fish + 1u), alive_(max_fish + 1u, 0) {
        world_ = World_t{&entities_.back(), entities_.data(), alive_.data(), 0, max_fish, 0, 0, max_fish + 1};
        alive_.back() = 1;
        int start_y = 0;
        for (int i = 0; i < max_fish && Fish_FindType("FishDead") >= 0; ++i)
            CallInit(Fish_Init, &entities_[i], &start_y, "FishDead", static_cast<void *>(nullptr));
    }
    HandWorld(const HandWorld &) = delete;
    ~HandWorld() {
        for (Object_t &o : entities_) Mem_Free(o.data);
    }
    World_t *get() { return &world_; }
    Object_t &fish(int slot) { return entities_[slot]; }
    /* What World_SpawnFish does for a chosen slot. */
    int Spawn(int slot, int start_y, const char *type) {
        const int result = Fish_Remake(&fish(slot), &world_, slot, start_y, type);
        world_.fish_count += result == 0;
        return result;
    }

    std::vector<Object_t> entities_;
    std::vector<int32_t> alive_;
    World_t world_{};
};

} // namespace fmtest

#endif

/* The world: one array of entity records (fish slots, then the shark), their
 * live flags, the spawn cursor and the score. */
#define FM_LOG_FILE "world"
#include "ashare/log.h"

#include "world.h"

#include <stddef.h>

#include "ashare/alloc.h"
#include "class/fish.h"
#include "class/playershark.h"

int World_Create(World_t *world, int max_fish)
{
    if (!world) {
        LOG_ERR("Target  was not allocated!");
        return -1;
    }
    if (max_fish < 1) {
        LOG_ERR("Invalid parameter for maximum fish entites.");
        return -1;
    }

    /* Counted in size_t so the largest int cannot overflow the record count. */
    const size_t records = (size_t)max_fish + 1;
    Object_t *entities = static_cast<Object_t *>(Mem_Calloc(records, sizeof(Object_t)));
    if (!entities) {
        LOG_ERR("Out of memory.");
        return -1;
    }
    world->max_fish = max_fish;
    world->entities = entities;
    world->player = &entities[max_fish];

    int32_t *alive = static_cast<int32_t *>(Mem_Calloc(records, sizeof(int32_t)));
    if (!alive) {
        /* The record array stays in the world; World_Destroy releases it. */
        LOG_ERR("Out of memory.");
        return -1;
    }
    world->alive = alive;
    alive[max_fish] = 1;
    world->next_slot = 0;
    world->fish_count = 0;
    world->score = 0;
    world->entity_count = max_fish + 1;

    /* Every fish record exists up front as a free placeholder, so spawning
     * never allocates. */
    int start_y = 0;
    for (int i = 0; i < max_fish; ++i) {
        if (Object_Create(&entities[i], &FishPrototype, &start_y, "FishDead", (void *)nullptr) !=
            0) {
            LOG_ERR("Could not initialise fish array!");
            return -1;
        }
    }
    return 0;
}

int World_SpawnPlayer(World_t *world, int x, int y)
{
    if (!world) {
        LOG_ERR("Invalid world parameter - cannot be NULL.");
        return -1;
    }
    if (!world->player) {
        LOG_ERR("Invalid world parameter - must be properly initialised.");
        return -1;
    }
    return Object_Create(world->player, &PlayerSharkPrototype, &x, &y, (void *)nullptr);
}

Object_t *World_GetPlayer(World_t *world)
{
    if (!world) {
        LOG_ERR("Invalid world parameter - cannot be NULL.");
        return nullptr;
    }
    if (!world->player) {
        LOG_ERR("Invalid world parameter - must be properly initialised.");
        return nullptr;
    }
    return world->player;
}

int World_SpawnFish(World_t *world, int start_y, const char *type_name)
{
    if (!world) {
        LOG_ERR("Invalid world parameter - cannot be NULL.");
        return -1;
    }
    if (!type_name) {
        LOG_ERR("Invalid fish type name - cannot be NULL.");
        return -1;
    }
    if (!world->entities || !world->alive) {
        LOG_ERR("World data not properly initialised.");
        return -1;
    }
    if (world->fish_count >= world->max_fish) {
        LOG_ERR("No room for new fish: %d/%d!", world->fish_count, world->max_fish);
        return -1;
    }

    /* A cursor outside the fish slots would read the shark's flag or beyond. */
    if (world->next_slot < 0 || world->next_slot >= world->max_fish)
        world->next_slot = 0;

    /* The cursor stays on the slot it finds, so the search resumes there. */
    int steps = 0;
    while (world->alive[world->next_slot] == 1) {
        ++world->next_slot;
        if (world->next_slot >= world->max_fish)
            world->next_slot = 0;
        ++steps;
        if (steps > world->max_fish) {
            LOG_ERR("No room for new fish!");
            return -1;
        }
    }

    const int slot = world->next_slot;
    if (Fish_Remake(&world->entities[slot], world, slot, start_y, type_name) != 0) {
        LOG_ERR("Failed to reinitialise Fish in World.");
        return -1;
    }
    ++world->fish_count;
    return 0;
}

int World_GetEntityList(World_t *world, Object_t **entities, int32_t **alive, int32_t *count)
{
    if (!world) {
        LOG_ERR("Invalid world parameter - cannot be NULL.");
        return -1;
    }
    if (!world->entities || !world->alive) {
        LOG_ERR("World data not properly initialised.");
        return -1;
    }
    if (!world->player) {
        LOG_ERR("Player is not initialised properly.");
        return -1;
    }
    if (!count) {
        LOG_ERR("This is strange!");
        return -1;
    }
    /* A caller that does not want the arrays may pass null for them. */
    if (entities)
        *entities = world->entities;
    if (alive)
        *alive = world->alive;
    *count = world->entity_count;
    return 0;
}

int World_NewFrame(World_t *world)
{
    if (world) {
        if (world->score > WORLD_SCORE_MAX)
            world->score = WORLD_SCORE_MAX;
        else if (world->score < 0)
            world->score = 0;
    }
    return Player_ClearCollisions();
}

int World_GetScoreAsArray(int score, int *digits, int count)
{
    if (!digits || count < 1) {
        LOG_ERR("Invalid input!");
        return -1;
    }
    /* Units first; C++ division truncates toward zero, so the remainder keeps
     * the score's sign. */
    for (int i = 0; i < count; ++i) {
        digits[i] = score % 10;
        score /= 10;
    }
    return 0;
}

int World_Destroy(World_t *world)
{
    if (!world) {
        LOG_ERR("Target must exist.");
        return -1;
    }

    int failed = 0;
    if (world->entities && world->player) {
        for (int32_t i = 0; i <= world->max_fish; ++i) {
            if (world->entities[i].data) {
                Mem_Free(world->entities[i].data);
                world->entities[i].data = nullptr;
            }
        }
        Mem_Free(world->entities);
        LOG_INFO("World Entity array cleaned.");
    } else {
        LOG_WARN("Invalid memory in World_t struct, cannot free!");
        failed = 1;
    }

    if (world->alive)
        Mem_Free(world->alive);
    else
        failed = 1;

    if (failed) {
        LOG_ERR_KEEP("Could not properly cleanup World_t memory.");
        return -1;
    }
    LOG_INFO("Finshed cleaning World_t memory.");
    return 0;
}

/* The Fish class: creation, respawn, the common update tail, and the
 * ANIM/LOG/COLLISION slots. The movement patterns are in fish_ai. */
#include <cstdint>
#include <cstring>

#include "ashare/alloc.h"
#include "class/fish.h"
#include "world_record.h"

#define FM_LOG_FILE "class/fish"
#include "ashare/log.h"

Object_t FishPrototype = {};

namespace {

/* The routine for a template's ai_type, or null when out of range, logged
 * under the name of the caller that refuses the type. */
FishAI_t RoutineFor(const FishTemplate *tmpl, const char *caller)
{
    if (!tmpl || tmpl->ai_type < 0 || tmpl->ai_type >= Fish_AICount() ||
        !Fish_GetAI(tmpl->ai_type)) {
        LOG_ERR_IN(caller, "Invalid AI type in fish template!");
        return nullptr;
    }
    return Fish_GetAI(tmpl->ai_type);
}

int InitFail(Object_t *fish)
{
    Mem_Free(fish->data);
    fish->data = nullptr;
    return -1;
}

} // namespace

int Class_LoadFish(void)
{
    FishPrototype.UPDATE = Fish_Update;
    FishPrototype.ANIM = Fish_Anim;
    FishPrototype.INIT = Fish_Init;
    FishPrototype.LOG = Fish_LogDump;
    FishPrototype.COLLISION = Fish_Collision;

    FishPrototype.class_id = Object_AssignClassID("Fish");
    if (FishPrototype.class_id == -1) {
        LOG_ERR("Invalid class ID assigned to: Fish");
        return -1;
    }
    FishPrototype.data = nullptr;
    LOG_INFO("@@Loaded class: Fish");
    return 0;
}

int Fish_Init(Object_t *fish, va_list args)
{
    if (!fish) {
        LOG_ERR("Bad memory.");
        return -1;
    }
    /* A record made again gives up the block of its earlier life. */
    Mem_Free(fish->data);
    FishData *data = static_cast<FishData *>(Mem_Calloc(1, sizeof(FishData)));
    fish->data = data;
    if (!data) {
        LOG_ERR("Out of memory.");
        return -1;
    }

    const int *start_y = static_cast<const int *>(va_arg(args, void *));
    if (!start_y) {
        LOG_ERR("Invalid parameters to Fish initialisation. Param: \"Start Y\"");
        return InitFail(fish);
    }
    const char *type_name = static_cast<const char *>(va_arg(args, void *));
    if (!type_name) {
        LOG_ERR("Invalid parameters to Fish initialisation. Param: \"FishType\"");
        return InitFail(fish);
    }
    if (va_arg(args, void *) != nullptr) {
        LOG_ERR("Bad parameter list passed to Fish initialisation!");
        return InitFail(fish);
    }

    const int type = Fish_FindType(type_name);
    if (type < 0)
        return InitFail(fish);
    *data = *Fish_GetData(type);

    const FishTemplate *tmpl = Fish_GetTemplate(type);
    FishAI_t routine = RoutineFor(tmpl, __func__);
    if (!routine)
        return InitFail(fish);
    fish->UPDATE = routine;

    Image_SetSprite(&fish->sprite, tmpl->sprite);
    fish->collision = tmpl->collision;
    fish->hitbox.w = fish->sprite.src.w;
    fish->hitbox.h = fish->sprite.src.h;
    fish->hitbox.x = FIELD_W;
    fish->hitbox.y = *start_y;
    return 0;
}

int Fish_Remake(Object_t *fish, World_t *world, int slot, int start_y, const char *type_name)
{
    if (!fish || !world || !world->alive) {
        LOG_ERR("Bad memory.");
        return -1;
    }
    if (slot < 0 || slot >= world->max_fish) {
        LOG_ERR("Invalid index value.");
        return -1;
    }
    if (!type_name) {
        LOG_ERR("Invalid fish type - cannot be NULL! (this is impossible)");
        return -1;
    }
    LOG_DEBUG("Remaking fish, type: %s..", type_name);
    LOG_DEBUG_FLUSH();

    const int type = Fish_FindType(type_name);
    if (type < 0) {
        LOG_ERR("Failed to find fish %s", type_name);
        return -1;
    }
    /* A record whose construction failed has no data block to overwrite. */
    if (!fish->data) {
        fish->data = Mem_Calloc(1, sizeof(FishData));
        if (!fish->data) {
            LOG_ERR("Out of memory.");
            return -1;
        }
    }
    FishData *data = static_cast<FishData *>(fish->data);
    *data = *Fish_GetData(type);

    const FishTemplate *tmpl = Fish_GetTemplate(type);
    FishAI_t routine = RoutineFor(tmpl, __func__);
    if (!routine)
        return -1;
    data->slot = slot;
    fish->UPDATE = routine;

    Image_SetSprite(&fish->sprite, tmpl->sprite);
    LOG_DEBUG("Set Fish sprite data: wx:%d, wy:%d, ix:%d, iy:%d, iw:%d, ih:%d", fish->sprite.dst.x,
              fish->sprite.dst.y, fish->sprite.src.x, fish->sprite.src.y, fish->sprite.src.w,
              fish->sprite.src.h);

    /* Centred on the spawn height by the sprite's height, not the hitbox's. */
    fish->hitbox.y = start_y + fish->sprite.src.h / 2;
    fish->collision = tmpl->collision;
    fish->hitbox.w = tmpl->hitbox_w;
    fish->hitbox.h = tmpl->hitbox_h;
    fish->draw_x = tmpl->draw_x;
    fish->draw_y = tmpl->draw_y;
    fish->hitbox.x = FIELD_W;
    fish->sprite.dst.x = fish->hitbox.x + fish->draw_x;
    fish->sprite.dst.y = fish->hitbox.y + fish->draw_y;
    fish->dead = 0;
    world->alive[slot] = 1;

    LOG_DEBUG("Remade Fish - Speed: %f, Speed2: %f", static_cast<double>(data->speed),
              static_cast<double>(data->speed2));
    LOG_DEBUG_FLUSH();
    return 0;
}

int Fish_Update(Object_t *fish, World_t *world)
{
    if (!fish || !fish->data) {
        LOG_ERR("Bad memory.");
        return -1;
    }
    FishData *data = static_cast<FishData *>(fish->data);

    if (fish->dead == 1) {
        /* The slot comes from the fish's own data: never index the world with a bad one. */
        if (!world || !world->alive) {
            LOG_ERR("Bad memory.");
        } else if (data->slot < 0 || data->slot >= world->max_fish) {
            LOG_ERR("Invalid index value.");
        } else {
            world->alive[data->slot] = 0;
            world->fish_count -= 1;
            if (data->eaten == 1)
                world->score += data->points;
        }
    }

    data->age += 1;
    fish->sprite.dst.x = fish->hitbox.x + fish->draw_x;
    fish->sprite.dst.y = fish->hitbox.y + fish->draw_y;
    if (fish->ANIM)
        fish->ANIM(fish);
    else
        Fish_Anim(fish);
    return 0;
}

/* Frame stepping: a frame becomes current with frameCounter loaded from
 * its frameTime n, and the counter counts up by one a call; the next step
 * is due once it has counted n more, so the frame stays for n calls (one,
 * for a frame time below 1). */
int Fish_Anim(Object_t *fish)
{
    if (!fish) {
        LOG_ERR("Bad memory.");
        return -1;
    }
    SpriteState_t *state = &fish->sprite;
    if (state->animated == 0)
        return 0;

    state->frameCounter += 1;
    const Sprite_t *current = state->current;
    const int64_t counted = state->frameCounter;
    if (current && counted - current->frameTime < current->frameTime)
        return 0;
    Sprite_t *next = current ? current->next : nullptr;
    if (!next) {
        LOG_ERR("Bad next-sprite pointer in Animation.");
        return -1;
    }
    Image_SetSprite(state, next);
    state->frameCounter = next->frameTime;
    return 0;
}

int Fish_LogDump(Object_t *fish)
{
    if (!fish) {
        LOG_ERR("Bad memory.");
        return -1;
    }
    static constexpr FishData kNoData = {};
    const FishData *data = fish->data ? static_cast<const FishData *>(fish->data) : &kNoData;

    const char *class_name = Object_GetClassString(fish->class_id);
    const bool valid_kind = fish->collision >= 0 && fish->collision < COLLISION_KIND_COUNT;
    /* A kind outside the table, or a name not yet filled in, must not be read. */
    const char *kind_name = "COLLISION_UNKNOWN";
    if (valid_kind && CollisionNames[fish->collision])
        kind_name = CollisionNames[fish->collision];

    LOG_INFO("Object dump for Class: %s", class_name ? class_name : "(null)");
    LOG_INFO("  Base Data - ID: %d, x: %f, y: %f", fish->id, static_cast<double>(fish->hitbox.x),
             static_cast<double>(fish->hitbox.y));
    LOG_INFO("   Width: %f, Height: %f, Collision ID: %s", static_cast<double>(fish->hitbox.w),
             static_cast<double>(fish->hitbox.h), kind_name);
    LOG_INFO("   Age: %d ticks, Points: %d", data->age, data->points);
    LOG_INFO("   Speed: %f, Speed2: %f", static_cast<double>(data->speed),
             static_cast<double>(data->speed2));
    if (!valid_kind)
        LOG_ERR("Invalid collision value.");
    return 0;
}

int Fish_Collision(Object_t *fish, float px, float py)
{
    if (!fish)
        return COLLISION_NULL;
    const SDL_Rect &box = fish->hitbox;
    /* Sums in wide integers: a box at the edge of int32 must not overflow. */
    const float left = static_cast<float>(box.x);
    const float right = static_cast<float>(static_cast<int64_t>(box.x) + box.w);
    const float top = static_cast<float>(box.y);
    const float bottom = static_cast<float>(static_cast<int64_t>(box.y) + box.h);
    if (px >= left && right > px && py >= top && bottom > py)
        return fish->collision;
    return COLLISION_NULL;
}

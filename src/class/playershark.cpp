/* The PlayerShark class: the input table the frame loop writes, the list of
 * entities touching the shark this frame, and the shark's own update. */
#define FM_LOG_FILE "class/playershark"
#include "ashare/log.h"

#include "class/playershark.h"

#include <stddef.h>

#include "ashare/alloc.h"
#include "class/fish.h"
#include "world_record.h"

Object_t PlayerSharkPrototype;

namespace {

/* Created once at start-up and kept for the whole run. */
int32_t *g_input = nullptr;

/* Static so that listing never allocates inside a frame. */
Object_t *g_collisions[PLAYER_MAX_COLLISIONS];
int g_collision_count = 0;

constexpr int kSharkHitboxW = 92;
constexpr int kSharkHitboxH = 18;
constexpr int kSharkDrawOffset = -11;
constexpr int kSharkStartHealth = 3;
/* The mouth sits just past the hitbox's right edge. */
constexpr int kMouthX = 95;
constexpr int kMouthAY = 13;
constexpr int kMouthBY = 8;
constexpr int kBiteFrames = 48;
constexpr int kBiteCooldown = 9;
constexpr int kHurtFrames = 37;
constexpr float kSpeedY = 3.0f;
constexpr float kSpeedX = 3.4f;
constexpr int kMinX = -87;
constexpr int kMaxX = 720;
constexpr int kMinY = -9;
constexpr int kMaxY = 391;

/* Without an input table every control counts as released. */
bool Held(int code)
{
    return g_input != nullptr && g_input[code] != 0;
}

/* One fractional step: float32 add, then truncation toward zero. */
int32_t Step(int32_t pos, float speed)
{
    return static_cast<int32_t>(static_cast<float>(pos) + speed);
}

void Append(Object_t *entity)
{
    g_collisions[g_collision_count++] = entity;
}

} // namespace

int PlayerShark_Anim(Object_t *shark)
{
    (void)shark;
    return 0;
}

int PlayerShark_LogDump(Object_t *shark)
{
    (void)shark;
    return 0;
}

int PlayerShark_Collision(Object_t *shark, float px, float py)
{
    if (!shark)
        return COLLISION_NULL;
    const SDL_Rect &b = shark->hitbox;
    /* Sums in wide integers: a box at the edge of int32 must not overflow. */
    if (px >= static_cast<float>(b.x) && px < static_cast<float>(static_cast<int64_t>(b.x) + b.w) &&
        py >= static_cast<float>(b.y) && py < static_cast<float>(static_cast<int64_t>(b.y) + b.h))
        return COLLISION_PLAYER;
    return COLLISION_NULL;
}

int Class_LoadPlayerShark(void)
{
    PlayerSharkPrototype.UPDATE = PlayerShark_Update;
    PlayerSharkPrototype.ANIM = PlayerShark_Anim;
    PlayerSharkPrototype.INIT = PlayerShark_Init;
    PlayerSharkPrototype.LOG = PlayerShark_LogDump;
    PlayerSharkPrototype.COLLISION = PlayerShark_Collision;

    PlayerSharkPrototype.class_id = Object_AssignClassID("PlayerShark");
    if (PlayerSharkPrototype.class_id == -1) {
        LOG_ERR("Invalid class ID assigned to: PlayerShark");
        return -1;
    }
    PlayerSharkPrototype.data = nullptr;
    LOG_INFO("@@Loaded class: PlayerShark");
    return 0;
}

int Player_InputInit(void)
{
    /* A repeated call starts over with a fresh table; a failed one leaves
     * none, so nothing is ever written through a stale pointer. */
    if (g_input) {
        Mem_Free(g_input);
        g_input = nullptr;
    }
    g_input = static_cast<int32_t *>(Mem_Calloc(INPUT_COUNT, sizeof(int32_t)));
    if (!g_input) {
        LOG_ERR("Out of memory.");
        return -1;
    }
    return Player_ClearCollisions();
}

int Player_SetInput(int code, int value)
{
    if (code < 0 || code >= INPUT_COUNT)
        return -1;
    if (!g_input)
        return -1;
    g_input[code] = value;
    return 0;
}

int Player_ClearCollisions(void)
{
    for (int i = 0; i < PLAYER_MAX_COLLISIONS; ++i)
        g_collisions[i] = nullptr;
    g_collision_count = 0;
    return 0;
}

int Player_CollisionCount(void)
{
    return g_collision_count;
}

int Player_CheckCollision(Object_t *entity, struct World_t *world)
{
    if (!entity || !world) {
        LOG_ERR("Bad parameters - NULL passed!");
        return -1;
    }
    if (g_collision_count >= PLAYER_MAX_COLLISIONS) {
        LOG_ERR("No more room for collisions this frame!");
        return -1;
    }
    Object_t *player = world->player;
    if (!player) {
        LOG_ERR("Player is not initialised properly.");
        return -1;
    }

    const int ax = player->hitbox.x + kMouthX;
    const int ay = player->hitbox.y + kMouthAY;
    const int bx = player->hitbox.x + kMouthX;
    const int by = player->hitbox.y + kMouthBY;

    if (!SDL_HasIntersection(&entity->hitbox, &player->hitbox))
        return 0;

    switch (entity->collision) {
    case COLLISION_FISH:
    case COLLISION_POISON: {
        LOG_DEBUG("Hello there fishy - x,y: %d,%d / w,h: %d,%d AGAINST: %d,%d.", entity->hitbox.x,
                  entity->hitbox.y, entity->hitbox.w, entity->hitbox.h, ax, ay);
        if (!entity->COLLISION)
            return 0;
        int hit = entity->COLLISION(entity, static_cast<float>(ax), static_cast<float>(ay));
        if (hit == 0)
            hit = entity->COLLISION(entity, static_cast<float>(bx), static_cast<float>(by));
        if (hit != 0) {
            LOG_DEBUG("Nom nom nom.");
            Append(entity);
        }
        return 0;
    }
    case COLLISION_HARM:
    case COLLISION_DEATH:
        Append(entity);
        return 0;
    default:
        return 0;
    }
}

int PlayerShark_Init(Object_t *shark, va_list args)
{
    if (!shark) {
        LOG_ERR("Bad parameters - NULL passed!");
        return -1;
    }
    /* Stop at the first missing entry: it may be the list's end. */
    const int *start_x = static_cast<const int *>(va_arg(args, void *));
    if (!start_x) {
        LOG_ERR("Invalid parameters to PlayerShark initialisation. Param: \"Start X\"");
        return -1;
    }
    const int *start_y = static_cast<const int *>(va_arg(args, void *));
    if (!start_y) {
        LOG_ERR("Invalid parameters to PlayerShark initialisation. Param: \"Start Y\"");
        return -1;
    }
    if (va_arg(args, void *) != nullptr) {
        LOG_ERR("Bad parameter list passed to Shark initialisation!");
        return -1;
    }

    /* A record made a second time would otherwise lose its earlier block. */
    if (shark->data) {
        Mem_Free(shark->data);
        shark->data = nullptr;
    }
    SharkData *data = static_cast<SharkData *>(Mem_Calloc(1, sizeof(SharkData)));
    if (!data) {
        LOG_ERR("Out of memory.");
        return -1;
    }
    shark->data = data;

    Sprite_t *idle = Image_Get_Sprite("shark_idle", -1);
    if (!idle) {
        LOG_ERR("Could not get shark_idle sprite!");
        return -1;
    }
    if (Image_SetSprite(&shark->sprite, idle) != 0) {
        LOG_ERR("Failed to set sprite data!");
        return -1;
    }
    shark->hitbox.x = *start_x;
    shark->hitbox.y = *start_y;
    data->bite_ready = 1;

    data->idle_sprite = Image_Get_Sprite("shark_idle", -1);
    if (!data->idle_sprite) {
        LOG_ERR("Failed to get swimmiing sprite.");
        return -1;
    }
    data->bite_sprite = Image_Get_Sprite("shark_bite", -1);
    if (!data->bite_sprite) {
        LOG_ERR("Failed to get biting sprite.");
        return -1;
    }

    shark->hitbox.w = kSharkHitboxW;
    shark->hitbox.h = kSharkHitboxH;
    shark->draw_x = kSharkDrawOffset;
    shark->draw_y = kSharkDrawOffset;
    shark->sprite.dst.x = shark->hitbox.x + shark->draw_x;
    shark->sprite.dst.y = shark->hitbox.y + shark->draw_y;
    data->health = kSharkStartHealth;
    data->hurt_timer = 0;
    return 0;
}

int PlayerShark_Update(Object_t *shark, struct World_t *world)
{
    (void)world;
    if (!shark || !shark->data) {
        LOG_ERR("Bad parameters - NULL passed!");
        return -1;
    }
    SharkData *d = static_cast<SharkData *>(shark->data);

    /* Up wins over down, left over right. */
    const float vy = Held(INPUT_UP) ? -kSpeedY : (Held(INPUT_DOWN) ? kSpeedY : 0.0f);
    const float vx = Held(INPUT_LEFT) ? -kSpeedX : (Held(INPUT_RIGHT) ? kSpeedX : 0.0f);

    /* One bite per press: bite_ready comes back only with a release. */
    if (Held(INPUT_BITE)) {
        if (d->biting == 0 && d->bite_cooldown <= 0 && d->bite_ready == 1) {
            d->biting = 1;
            d->bite_timer = kBiteFrames;
            Image_SetSprite(&shark->sprite, d->bite_sprite);
            d->bite_ready = 0;
        }
    } else {
        if (d->biting == 1) {
            d->biting = 0;
            d->bite_timer = 0;
            Image_SetSprite(&shark->sprite, d->idle_sprite);
            d->bite_cooldown = kBiteCooldown;
        }
        d->bite_ready = 1;
    }

    if (d->biting == 1) {
        --d->bite_timer;
        if (d->bite_timer <= 0) {
            d->biting = 0;
            Image_SetSprite(&shark->sprite, d->idle_sprite);
            d->bite_cooldown = kBiteCooldown;
        }
    }
    if (d->bite_cooldown >= 0)
        --d->bite_cooldown;
    if (d->hurt_timer >= 0)
        --d->hurt_timer;

    for (int i = 0; i < g_collision_count; ++i) {
        Object_t *e = g_collisions[i];
        if (!e || e->dead == 1)
            continue;
        if (e->collision == COLLISION_FISH && d->biting == 1) {
            e->dead = 1;
            if (e->data)
                static_cast<FishData *>(e->data)->eaten = 1;
        } else if (e->collision == COLLISION_HARM && d->hurt_timer <= 0) {
            --d->health;
            d->hurt_timer = kHurtFrames;
            LOG_INFO("Ow! %d", d->health);
        } else if ((e->collision == COLLISION_POISON && d->biting == 1) ||
                   e->collision == COLLISION_DEATH) {
            d->health = 0;
        }
    }

    shark->hitbox.y = Step(shark->hitbox.y, vy);
    shark->hitbox.x = Step(shark->hitbox.x, vx);

    if (shark->hitbox.x < kMinX)
        shark->hitbox.x = kMinX;
    else if (shark->hitbox.x > kMaxX)
        shark->hitbox.x = kMaxX;
    if (shark->hitbox.y < kMinY)
        shark->hitbox.y = kMinY;
    else if (shark->hitbox.y > kMaxY)
        shark->hitbox.y = kMaxY;

    if (d->health < 0)
        d->health = 0;

    shark->sprite.dst.x = shark->hitbox.x + shark->draw_x;
    shark->sprite.dst.y = shark->hitbox.y + shark->draw_y;
    return 0;
}

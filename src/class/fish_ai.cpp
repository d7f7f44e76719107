/* The fish movement patterns. Every fractional step is done in float32 and
 * truncated back to int32, one operation per statement so that no fused
 * multiply-add can change a result; the paths the fish swim depend on it. */
#include <cmath>
#include <cstdint>

#include "class/fish.h"
#include "class/fish_ai.h"
#include "world_record.h"

#define FM_LOG_FILE "class/fish_ai"
#include "ashare/log.h"

namespace {

constexpr int kSwordTipEnd = 20;

/* Truncates toward zero; a value int32 cannot hold (NaN from a zero speed,
 * say) leaves the coordinate where it was instead of being undefined. */
int32_t Truncate(float value, int32_t unchanged)
{
    if (!(value >= -2147483648.0f && value < 2147483648.0f))
        return unchanged;
    return static_cast<int32_t>(value);
}

int32_t StepBy(int32_t coord, float delta)
{
    const float from = static_cast<float>(coord);
    const float to = from + delta;
    return Truncate(to, coord);
}

/* The common tail: the prototype's UPDATE, which is Fish_Update once the
 * class is loaded. */
int Tail(Object_t *fish, World_t *world)
{
    if (FishPrototype.UPDATE)
        return FishPrototype.UPDATE(fish, world);
    return Fish_Update(fish, world);
}

FishData *DataOf(Object_t *fish)
{
    return fish ? static_cast<FishData *>(fish->data) : nullptr;
}

} // namespace

int fish_ai_null(Object_t *fish, World_t *world)
{
    (void)world;
    /* The slot, not the object id: it names the world's fish array index. */
    [[maybe_unused]] const FishData *data = DataOf(fish);
    LOG_DEBUG("Bad fish! ID: %d", data ? data->slot : -1);
    return -1;
}

int fish_ai_horizontal(Object_t *fish, World_t *world)
{
    FishData *data = DataOf(fish);
    if (!data)
        return Tail(fish, world); /* which refuses a fish without data, saying so */
    SDL_Rect &box = fish->hitbox;
    box.x = StepBy(box.x, -data->speed);
    if (box.x < -box.w)
        fish->dead = 1;
    return Tail(fish, world);
}

int fish_ai_sine(Object_t *fish, World_t *world)
{
    FishData *data = DataOf(fish);
    if (!data)
        return Tail(fish, world); /* which refuses a fish without data, saying so */
    SDL_Rect &box = fish->hitbox;
    box.x = StepBy(box.x, -data->speed);

    const float age = static_cast<float>(data->age);
    const float phase = age / data->speed;
    const float sway = static_cast<float>(std::sin(static_cast<double>(phase)));
    const float dy = sway * data->speed2;
    box.y = StepBy(box.y, dy);

    if (box.x < -box.w)
        fish->dead = 1;
    return Tail(fish, world);
}

int fish_ai_sword(Object_t *fish, World_t *world)
{
    FishData *data = DataOf(fish);
    if (!data)
        return Tail(fish, world); /* which refuses a fish without data, saying so */
    SDL_Rect &box = fish->hitbox;
    if (data->age == 0) {
        /* Just out of sight, its tip at the left edge. */
        box.x = -box.w;
    } else if (data->speed2 >= static_cast<float>(data->age)) {
        /* Edge in a pixel a tick until the tip shows, then wait. */
        if (box.x + box.w <= kSwordTipEnd)
            box.x += 1;
    } else {
        box.x = StepBy(box.x, data->speed);
    }
    if (box.x > FIELD_W)
        fish->dead = 1;
    return Tail(fish, world);
}

int fish_ai_crab(Object_t *fish, World_t *world)
{
    FishData *data = DataOf(fish);
    if (!data)
        return Tail(fish, world); /* which refuses a fish without data, saying so */
    SDL_Rect &box = fish->hitbox;
    if (data->age == 0) {
        /* The spawn height is the crab's column; it drops in from above. */
        box.x = box.y;
        box.y = -box.h;
    } else {
        box.y = StepBy(box.y, data->speed);
    }
    if (box.y > FIELD_H)
        fish->dead = 1;
    return Tail(fish, world);
}

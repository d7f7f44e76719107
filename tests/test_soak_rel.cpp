/* A long random game: the real start-up, then 100,000 frames of the real
 * frame (drawing included) under the dummy video driver, fed seeded random
 * presses and releases of every kind of key. Every frame the world must
 * hold together: the fish count matches the live flags, the shark is the
 * last record and live, each live fish is where its pattern allows, a fish
 * finished before the frame is gone after its update, and the score is the
 * start-of-frame clamp into 0 to 999999 plus exactly the points of the fish
 * eaten. */
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>
#include <cstring>
#include <random>

#include "class/fish.h"
#include "class/fish_ai.h"
#include "play_script.h"
#include "test_support.h"

namespace {

const SDL_Keycode kSteer[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_w, SDLK_s, SDLK_a, SDLK_d, SDLK_SPACE};
/* Keys that do nothing, pressed or released, and key-ups that do nothing. */
const SDL_Keycode kIdle[] = {SDLK_9, SDLK_0, SDLK_RETURN, SDLK_x};
const SDL_Keycode kIdleUps[] = {SDLK_ESCAPE, SDLK_1, SDLK_8, SDLK_c, SDLK_h, SDLK_p};

/* Where a live fish may be after an update, given where it was before. */
bool Placed(const Object_t &f, const Object_t &was)
{
    const SDL_Rect &r = f.hitbox, &o = was.hitbox;
    const bool across = r.x >= -r.w && r.x <= 800;
    if (f.UPDATE == fish_ai_sword) /* edges in from the left, then dashes right */
        return across && r.y == o.y;
    if (f.UPDATE == fish_ai_crab) /* drops down its column, taken at the first update */
        return (r.x == o.x || o.x == 800) && r.y >= -r.h && r.y <= 400;
    if (f.UPDATE == fish_ai_sine)
        return across && r.x < o.x && r.y >= -20 && r.y <= 280;
    return f.UPDATE == fish_ai_horizontal && across && r.x < o.x && r.y == o.y;
}

TEST(Soak, HundredThousandRandomFramesKeepTheWorldConsistent)
{
    fmtest::TempDir dir;
    fmtest::ChdirGuard cd(dir.path());
    static Game_t game;
    ASSERT_TRUE(fmtest::Start(&game)) << fmtest::ReadFile(dir.path() / "startup.log");
    World_t &w = game.world;
    std::mt19937 rng(20240611u);
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p; };
    /* Repeats count as presses. */
    auto send = [&](Uint32 type, SDL_Keycode key) { fmtest::Press(&game, {key}, type, rng() % 4 == 0); };
    struct { long full, eaten, left, paused, hitbox, high, low; } seen{};
    int burst = 0;
    SDL_Keycode burst_key = SDLK_1;
    for (int frame = 1; frame <= 100000; ++frame) {
        if (burst > 0) { /* a held number key, auto-repeating until the world is full */
            --burst;
            send(SDL_KEYDOWN, burst_key);
            send(SDL_KEYDOWN, burst_key);
        } else if (chance(0.0005)) {
            burst = 40 + static_cast<int>(rng() % 100);
            burst_key = SDLK_1 + static_cast<int>(rng() % 8);
        }
        if (chance(0.3))
            send(SDL_KEYDOWN, SDLK_1 + static_cast<int>(rng() % 8));
        if (chance(0.15))
            send(rng() % 2 ? SDL_KEYDOWN : SDL_KEYUP, kSteer[rng() % 9]);
        if (chance(0.004))
            send(SDL_KEYDOWN, SDLK_h);
        if (chance(game.hitbox_view ? 0.01 : 0.002))
            send(SDL_KEYDOWN, SDLK_c);
        if (chance(game.paused ? 0.03 : 0.001)) /* short pauses, now and then */
            send(SDL_KEYDOWN, SDLK_p);
        if (chance(0.01))
            send(rng() % 2 ? SDL_KEYDOWN : SDL_KEYUP, kIdle[rng() % 4]);
        if (chance(0.01))
            send(SDL_KEYUP, kIdleUps[rng() % 6]);
        if (frame % 25000 == 12500) /* scores at either edge, for the clamp */
            w.score = WORLD_SCORE_MAX - 40;
        if (frame % 25000 == 0)
            w.score = -7;

        SCOPED_TRACE("frame " + std::to_string(frame));
        ASSERT_EQ(w.fish_count, std::count(w.alive, w.alive + w.max_fish, 1));
        ASSERT_TRUE(w.max_fish == GAME_MAX_FISH && w.entity_count == GAME_MAX_FISH + 1 &&
                    w.player == &w.entities[GAME_MAX_FISH] && w.alive[GAME_MAX_FISH] == 1)
            << "the shark is not the last record, or not live";
        const std::vector<Object_t> was(w.entities, w.entities + GAME_MAX_FISH);
        const std::vector<int> was_live(w.alive, w.alive + GAME_MAX_FISH);
        const int score_before = w.score;
        seen.full += w.fish_count == GAME_MAX_FISH;
        ASSERT_EQ(Game_Frame(&game), 0);
        long expected = std::clamp(score_before, 0, WORLD_SCORE_MAX);
        for (int i = 0; i < GAME_MAX_FISH; ++i) {
            const Object_t &f = w.entities[i];
            const SDL_Rect &r = f.hitbox, &o = was[i].hitbox;
            const FishData &d = *static_cast<const FishData *>(f.data);
            if (was_live[i] != 1)
                continue;
            if (game.paused) {
                ASSERT_TRUE(w.alive[i] == 1 && memcmp(&r, &o, sizeof r) == 0) << "fish " << i << " changed in a pause";
            } else if (was[i].dead == 1) { /* bitten before the frame: gone after its update */
                ASSERT_TRUE(w.alive[i] == 0 && d.eaten == 1) << "dead fish " << i << " still live";
                expected += d.points;
                ++seen.eaten;
            } else if (w.alive[i] == 0) { /* retired in its own update: it left the screen */
                const bool off = f.UPDATE == fish_ai_sword ? r.x > 800 : f.UPDATE == fish_ai_crab ? r.y > 400 : r.x < -r.w;
                ASSERT_TRUE(off && f.dead == 1 && d.eaten == 0) << "fish " << i << " freed at " << r.x << "," << r.y;
                ++seen.left;
            } else {
                ASSERT_TRUE(Placed(f, was[i])) << "fish " << i << ": " << r.x << "," << r.y << " from " << o.x << "," << o.y;
            }
        }
        ASSERT_EQ(w.score, expected) << "score before it " << score_before;
        seen.paused += game.paused;
        seen.hitbox += game.hitbox_view;
        seen.high += score_before > WORLD_SCORE_MAX;
        seen.low += score_before < 0;
    }
    /* The random keys reached every path they were meant to. */
    EXPECT_TRUE(seen.full && seen.eaten > 100 && seen.left > 1000 && seen.paused && seen.hitbox && seen.high && seen.low)
        << seen.full << " full, " << seen.eaten << " eaten, " << seen.left << " left, " << seen.paused << " paused, "
        << seen.hitbox << " hitbox view, clamps " << seen.high << "/" << seen.low;
    Game_Shutdown(&game);
}

} // namespace

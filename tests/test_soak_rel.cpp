/* A long random game: the real start-up, then 100,000 frames of the real
 * frame (drawing included) under the dummy video driver, fed seeded random
 * presses and releases of every kind of key. Every frame the world must
 * hold together: the fish count matches the live flags, the shark is the
 * last record and live, each live fish is where its pattern allows, a fish
 * finished before the frame is gone after its update, and the score is the
 * start-of-frame clamp into 0 to 999999 plus exactly the points of the fish
 * eaten. */

#include <array>
#include <random>

#include "class/fish.h"
#include "class/fish_ai.h"
#include "play_script.h"

namespace {

/* Each frame, each kind of key with its chance (another while its switch
 * is on), and the chance that it is a release. Keys 9 to x do nothing, and
 * neither do the key-ups of the last row. */
const struct {
    double chance, when_on;
    int Game_t::*on;
    double up;
    std::vector<SDL_Keycode> keys;
} kKeys[] = {{0.3, 0, nullptr, 0, {SDLK_1, SDLK_2, SDLK_3, SDLK_4, SDLK_5, SDLK_6, SDLK_7, SDLK_8}},
    {0.15, 0, nullptr, 0.5, {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_w, SDLK_s, SDLK_a, SDLK_d, SDLK_SPACE}},
    {0.004, 0, nullptr, 0, {SDLK_h}}, {0.002, 0.01, &Game_t::hitbox_view, 0, {SDLK_c}},
    {0.001, 0.03, &Game_t::paused, 0, {SDLK_p}}, /* short pauses, now and then */
    {0.01, 0, nullptr, 0.5, {SDLK_9, SDLK_0, SDLK_RETURN, SDLK_x}},
    {0.01, 0, nullptr, 1, {SDLK_ESCAPE, SDLK_1, SDLK_8, SDLK_c, SDLK_h, SDLK_p}}};

/* Where a fish may be after an update, given where it was before: on its
 * path while live, off the screen once its update retired it. */
bool Placed(const Object_t &f, const Object_t &was, bool live) {
    const SDL_Rect &r = f.hitbox, &o = was.hitbox;
    const bool across = r.x >= -r.w && r.x <= 800;
    if (f.UPDATE == fish_ai_sword) /* edges in from the left, then dashes right */
        return live ? across && r.y == o.y : r.x > 800;
    if (f.UPDATE == fish_ai_crab) /* drops down its column, taken at the first update */
        return live ? (r.x == o.x || o.x == 800) && r.y >= -r.h && r.y <= 400 : r.y > 400;
    if (f.UPDATE == fish_ai_sine) return live ? across && r.x < o.x && r.y >= -20 && r.y <= 280 : r.x < -r.w;
    return f.UPDATE == fish_ai_horizontal && (live ? across && r.x < o.x && r.y == o.y : r.x < -r.w);
}

TEST(Soak, HundredThousandRandomFramesKeepTheWorldConsistent) {
    fmtest::TempDir dir;
    fmtest::ChdirGuard cd(dir.path());
    static Game_t game;
    ASSERT_TRUE(fmtest::Start(&game)) << fmtest::ReadFile(dir.path() / "startup.log");
    World_t &w = game.world;
    std::mt19937 rng(20240611u);
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p; };
    /* Repeats count as presses. */
    auto send = [&](Uint32 type, SDL_Keycode key) { fmtest::Press(&game, {key}, type, rng() % 4 == 0); };
    std::vector<long> seen(7); /* frames full, fish eaten, fish left, paused, hitbox view, scores high, low */
    for (int frame = 1; frame <= 100000; ++frame) {
        if (chance(0.0005)) /* a held number key, auto-repeating until the world is full */
            for (int n = 80 + static_cast<int>(rng() % 200), key = SDLK_1 + static_cast<int>(rng() % 8); n > 0; --n)
                send(SDL_KEYDOWN, key);
        for (const auto &k : kKeys)
            if (chance(k.on && game.*k.on ? k.when_on : k.chance))
                send(chance(k.up) ? SDL_KEYUP : SDL_KEYDOWN, k.keys[rng() % k.keys.size()]);
        if (frame % 12500 == 0) w.score = frame % 25000 ? WORLD_SCORE_MAX - 40 : -7; /* either edge, for the clamp */
        SCOPED_TRACE("frame " + std::to_string(frame));
        ASSERT_EQ(w.fish_count, std::count(w.alive, w.alive + w.max_fish, 1));
        ASSERT_TRUE(w.max_fish == GAME_MAX_FISH && w.entity_count == GAME_MAX_FISH + 1 &&
                    w.player == &w.entities[GAME_MAX_FISH] && w.alive[GAME_MAX_FISH] == 1)
            << "the shark is not the last record, or not live";
        const std::vector<Object_t> was(w.entities, w.entities + GAME_MAX_FISH);
        const std::vector<int> was_live(w.alive, w.alive + GAME_MAX_FISH);
        const int before = w.score;
        seen[0] += w.fish_count == GAME_MAX_FISH, seen[3] += game.paused, seen[4] += game.hitbox_view;
        seen[5] += before > WORLD_SCORE_MAX, seen[6] += before < 0;
        ASSERT_EQ(Game_Frame(&game), 0);
        long expected = std::clamp(before, 0, WORLD_SCORE_MAX);
        for (int i = 0; i < GAME_MAX_FISH; ++i) {
            if (was_live[i] != 1) continue;
            const Object_t &f = w.entities[i];
            const FishData &d = *static_cast<const FishData *>(f.data);
            /* Paused: unchanged. Bitten before the frame: gone after its
             * update. Else on its path, or retired by its update. */
            const bool eaten = !game.paused && was[i].dead == 1, left = !game.paused && !eaten && w.alive[i] == 0;
            const bool unchanged = w.alive[i] == 1 && memcmp(&f.hitbox, &was[i].hitbox, sizeof f.hitbox) == 0;
            ASSERT_TRUE(game.paused ? unchanged
                        : eaten     ? w.alive[i] == 0 && d.eaten == 1
                                    : (!left || (f.dead == 1 && d.eaten == 0)) && Placed(f, was[i], !left))
                << "fish " << i << ": " << f.hitbox.x << "," << f.hitbox.y << " from " << was[i].hitbox.x << ","
                << was[i].hitbox.y;
            expected += eaten ? d.points : 0;
            seen[1] += eaten, seen[2] += left;
        }
        ASSERT_EQ(w.score, expected) << "score before it " << before;
    }
    /* The random keys reached every path they were meant to. */
    EXPECT_TRUE(std::ranges::all_of(seen, [](long n) { return n > 0; }) && seen[1] > 100 && seen[2] > 1000)
        << ::testing::PrintToString(seen);
    Game_Shutdown(&game);
}

} // namespace

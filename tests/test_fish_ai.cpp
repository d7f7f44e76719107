

#include "class/fish.h"
#include "class/fish_ai.h"
#include "fish_fixture.h"

namespace {

using namespace fmtest;

struct Tick {
    int x, y, dead;
};

/* A fish's whole life from the spawn keys' start heights: the hitbox y after
 * the remake, x after chosen updates (0 = first), the first ys, the update
 * that retires it, and the band its y stays in. */
struct Path {
    const char *type;
    int start_y, spawned_y;
    std::vector<std::pair<size_t, int>> xs;
    std::vector<int> ys;
    size_t updates;
    int min_y, max_y;
};

const Path kPaths[] = {
    // 4.8 off a positive x loses 5, off a negative x only 4.
    {"horiz_slow", 200, 207, {{0, 795}, {1, 790}, {158, 5}, {159, 0}, {160, -4}, {161, -8}, {166, -28}}, {}, 167, 207,
        207},
    {"horiz_med", 200, 205, {{0, 793}, {1, 786}, {120, -40}}, {}, 121, 205, 205},
    {"horiz_fast", 200, 206, {{0, 790}, {1, 780}, {83, -36}}, {}, 84, 206, 206},
    {"puffer", 200, 212, {{0, 797}, {1, 794}, {273, -22}}, {}, 274, 212, 212},
    {"sine_slow", 200, 204, {{0, 792}, {1, 784}, {105, -42}}, {204, 204, 204, 204, 205, 206, 207, 208, 209, 211, 213},
        106, 155, 228},
    {"sine_wide", 20, 27, {{118, -33}}, {27, 29, 34, 41, 50, 61, 74, 89, 105, 122, 139}, 119, -12, 269},
    // Edges in to x + w = 21, waits through age 60, dashes; 800 is still on screen.
    {"sword", 200, 204,
        {{0, -40}, {1, -39}, {20, -20}, {21, -19}, {60, -19}, {61, -10}, {62, -1}, {63, 8}, {151, 800}, {152, 809}}, {},
        153, 204, 204},
    // The spawn height becomes its column; it drops in from just above the top.
    {"crab", 600, 610, {{0, 610}, {104, 610}}, {-14, -10, -6}, 105, -14, 402}};

TEST(FishAi, EveryKindSwimsItsPathAndRetiresWithoutPoints) {
    ASSERT_TRUE(LoadGameFish());
    HandWorld w(3);
    Object_t &fish = w.fish(1);
    for (const Path &p : kPaths) {
        SCOPED_TRACE(p.type);
        ASSERT_EQ(w.Spawn(1, p.start_y, p.type), 0);
        EXPECT_EQ(fish.hitbox.y, p.spawned_y);
        std::vector<Tick> t;
        while (w.alive(1) == 1 && t.size() < 1000) {
            fish.UPDATE(&fish, w.get());
            t.push_back({fish.hitbox.x, fish.hitbox.y, fish.dead});
        }
        ASSERT_EQ(t.size(), p.updates);
        for (auto [i, x] : p.xs) EXPECT_EQ(t[i].x, x) << "update " << i + 1;
        for (size_t i = 0; i < p.ys.size(); ++i) EXPECT_EQ(t[i].y, p.ys[i]) << "update " << i + 1;
        const auto [lo, hi] = std::minmax_element(t.begin(), t.end(), [](auto &a, auto &b) { return a.y < b.y; });
        EXPECT_EQ(lo->y, p.min_y);
        EXPECT_EQ(hi->y, p.max_y);
        EXPECT_EQ(t.back().dead, 1);
        EXPECT_EQ(DataOf(fish)->age, static_cast<int>(p.updates));
        EXPECT_EQ(fish.sprite.dst.x, fish.hitbox.x + fish.draw_x);
        EXPECT_EQ(fish.sprite.dst.y, fish.hitbox.y + fish.draw_y);
        EXPECT_EQ(w.get()->fish_count, 0);
        EXPECT_EQ(w.get()->score, 0);
    }
    // A zero speed makes the sway's angle age / 0: the fish must stay put.
    ASSERT_EQ(w.Spawn(1, 100, "sine_slow"), 0);
    DataOf(fish)->speed = 0.0f;
    for (int i = 0; i < 3; ++i) fish.UPDATE(&fish, w.get());
    EXPECT_EQ(fish.hitbox.x, 800);
    EXPECT_EQ(fish.hitbox.y, 104);
}

} // namespace

#include <gtest/gtest.h>

#include <algorithm>

#include "class/fish.h"
#include "class/fish_ai.h"
#include "fish_fixture.h"
#include "test_support.h"

namespace {

using fmtest::DataOf;
using fmtest::HandWorld;
using fmtest::LogCapture;

struct Tick {
    int x, y, dead;
};

/* Updates the fish in the slot as the frame loop does, while its slot is
 * live (at most limit times); the hitbox after each update. */
std::vector<Tick> Swim(HandWorld &w, int slot, int limit = 1000)
{
    std::vector<Tick> ticks;
    Object_t &fish = w.fish(slot);
    while (w.alive(slot) == 1 && static_cast<int>(ticks.size()) < limit) {
        fish.UPDATE(&fish, w.get());
        ticks.push_back({fish.hitbox.x, fish.hitbox.y, fish.dead});
    }
    return ticks;
}

std::vector<int> Xs(const std::vector<Tick> &t, size_t n)
{
    std::vector<int> v;
    for (size_t i = 0; i < n && i < t.size(); ++i)
        v.push_back(t[i].x);
    return v;
}

std::vector<int> Ys(const std::vector<Tick> &t, size_t n)
{
    std::vector<int> v;
    for (size_t i = 0; i < n && i < t.size(); ++i)
        v.push_back(t[i].y);
    return v;
}

class FishAi : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fmtest::LoadGameFish()); }

    /* Spawns the type in slot 1 and swims it until it is retired. */
    std::vector<Tick> Life(const char *type, int start_y)
    {
        EXPECT_EQ(w_.Spawn(1, start_y, type), 0);
        return Swim(w_, 1);
    }

    /* The number of the update that retired the fish, with its x. */
    void ExpectDeath(const std::vector<Tick> &t, size_t update, int x)
    {
        ASSERT_EQ(t.size(), update);
        EXPECT_EQ(t.back().x, x);
        EXPECT_EQ(t.back().dead, 1);
        EXPECT_EQ(t[t.size() - 2].dead, 0);
        EXPECT_EQ(w_.alive(1), 0);
        EXPECT_EQ(w_.get()->fish_count, 0);
        EXPECT_EQ(w_.get()->score, 0);
        EXPECT_EQ(DataOf(w_.fish(1))->age, static_cast<int>(update));
    }

    HandWorld w_{3};
};

TEST_F(FishAi, HorizontalFishLoseWholePixelsTowardZero)
{
    auto slow = Life("horiz_slow", 200);
    EXPECT_EQ(Xs(slow, 3), (std::vector<int>{795, 790, 785}));
    // 4.8 off a positive x loses 5; off a negative x only 4.
    auto at5 = std::find_if(slow.begin(), slow.end(), [](const Tick &t) { return t.x == 5; });
    ASSERT_NE(at5, slow.end());
    EXPECT_EQ(at5[1].x, 0);
    EXPECT_EQ(at5[2].x, -4);
    EXPECT_EQ(at5[3].x, -8);
    EXPECT_EQ(slow.back().y, 207);
    ExpectDeath(slow, 167, -28);
    EXPECT_EQ(w_.fish(1).sprite.dst.x, -28);
}

TEST_F(FishAi, HorizontalMediumFastAndPuffer)
{
    auto med = Life("horiz_med", 200);
    EXPECT_EQ(Xs(med, 2), (std::vector<int>{793, 786}));
    ExpectDeath(med, 121, -40);

    auto fast = Life("horiz_fast", 200);
    EXPECT_EQ(Xs(fast, 2), (std::vector<int>{790, 780}));
    ExpectDeath(fast, 84, -36);

    auto puffer = Life("puffer", 200);
    EXPECT_EQ(Xs(puffer, 2), (std::vector<int>{797, 794}));
    ExpectDeath(puffer, 274, -22);
    // Drawn 4 left of and 5 above its hitbox.
    EXPECT_EQ(w_.fish(1).sprite.dst.x, -26);
}

TEST_F(FishAi, SineSlowSwaysAndDriftsWithinItsBand)
{
    ASSERT_EQ(w_.Spawn(1, 200, "sine_slow"), 0);
    EXPECT_EQ(w_.fish(1).hitbox.y, 204);
    auto t = Swim(w_, 1);
    EXPECT_EQ(Ys(t, 11), (std::vector<int>{204, 204, 204, 204, 205, 206, 207, 208, 209, 211, 213}));
    EXPECT_EQ(Xs(t, 2), (std::vector<int>{792, 784}));
    ASSERT_EQ(t.size(), 106u);
    auto [lo, hi] = std::minmax_element(t.begin(), t.end(), [](const Tick &a, const Tick &b) { return a.y < b.y; });
    EXPECT_EQ(lo->y, 155);
    EXPECT_EQ(hi->y, 228);
    EXPECT_EQ(t.back().dead, 1);
}

TEST_F(FishAi, SineWideSwingsWide)
{
    ASSERT_EQ(w_.Spawn(1, 20, "sine_wide"), 0);
    EXPECT_EQ(w_.fish(1).hitbox.y, 27);
    auto t = Swim(w_, 1);
    EXPECT_EQ(Ys(t, 11), (std::vector<int>{27, 29, 34, 41, 50, 61, 74, 89, 105, 122, 139}));
    ASSERT_EQ(t.size(), 119u);
    auto [lo, hi] = std::minmax_element(t.begin(), t.end(), [](const Tick &a, const Tick &b) { return a.y < b.y; });
    EXPECT_EQ(lo->y, -12);
    EXPECT_EQ(hi->y, 269);
}

TEST_F(FishAi, SwordEdgesInWaitsAndDashes)
{
    ASSERT_EQ(w_.Spawn(1, 200, "sword"), 0);
    auto t = Swim(w_, 1);
    // t[age] is the hitbox after the update at that age.
    ASSERT_EQ(t.size(), 153u);
    EXPECT_EQ(t[0].x, -40);
    EXPECT_EQ(t[1].x, -39);
    EXPECT_EQ(t[20].x, -20);
    for (int age = 21; age <= 60; ++age)
        EXPECT_EQ(t[static_cast<size_t>(age)].x, -19) << age;
    EXPECT_EQ(Xs(std::vector<Tick>(t.begin() + 61, t.end()), 3), (std::vector<int>{-10, -1, 8}));
    EXPECT_EQ(t[151].x, 800);
    EXPECT_EQ(t[151].dead, 0);
    EXPECT_EQ(t[152].x, 809);
    EXPECT_EQ(t[152].dead, 1);
    EXPECT_EQ(t[152].y, 204);
    EXPECT_EQ(w_.alive(1), 0);
    EXPECT_EQ(w_.fish(1).sprite.dst.x, 799);
    EXPECT_EQ(w_.fish(1).sprite.dst.y, 203);
}

TEST_F(FishAi, CrabDropsFromTheTop)
{
    ASSERT_EQ(w_.Spawn(1, 600, "crab"), 0);
    EXPECT_EQ(w_.fish(1).hitbox.y, 610);
    auto t = Swim(w_, 1);
    EXPECT_EQ(t[0].x, 610);
    EXPECT_EQ(Ys(t, 3), (std::vector<int>{-14, -10, -6}));
    ASSERT_EQ(t.size(), 105u);
    EXPECT_EQ(t[103].y, 398);
    EXPECT_EQ(t[103].dead, 0);
    EXPECT_EQ(t[104].y, 402);
    EXPECT_EQ(t[104].dead, 1);
    EXPECT_EQ(t[104].x, 610);
    EXPECT_EQ(w_.fish(1).sprite.dst.x, 607);
}

TEST_F(FishAi, EatenFishRetiresOnceAndScoresOnce)
{
    // Eaten mid-screen: one more movement, then its points.
    ASSERT_EQ(w_.Spawn(0, 200, "horiz_fast"), 0);
    ASSERT_EQ(w_.Spawn(1, 200, "horiz_slow"), 0);
    Swim(w_, 0, 10);
    Object_t &fast = w_.fish(0);
    fast.dead = 1;
    DataOf(fast)->eaten = 1;
    EXPECT_EQ(Swim(w_, 0).size(), 1u);
    EXPECT_EQ(fast.hitbox.x, 690);
    EXPECT_EQ(w_.get()->score, 300);
    EXPECT_EQ(w_.get()->fish_count, 1);

    // Eaten in the tick it also leaves the screen.
    Object_t &slow = w_.fish(1);
    auto before = Swim(w_, 1, 166);
    ASSERT_EQ(before.back().x, -24);
    ASSERT_EQ(before.back().dead, 0);
    slow.dead = 1;
    DataOf(slow)->eaten = 1;
    auto last = Swim(w_, 1);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].x, -28);
    EXPECT_EQ(w_.alive(1), 0);
    EXPECT_EQ(w_.get()->fish_count, 0);
    EXPECT_EQ(w_.get()->score, 310);
}

TEST_F(FishAi, DeadPlaceholderStaysLiveAndLogsItsSlot)
{
    ASSERT_EQ(w_.Spawn(2, 200, "FishDead"), 0);
    Object_t &fish = w_.fish(2);
    LogCapture log;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(fish.UPDATE(&fish, w_.get()), -1);
    EXPECT_EQ(fish.hitbox.x, 800);
    EXPECT_EQ(DataOf(fish)->age, 0);
    EXPECT_EQ(w_.alive(2), 1);
    EXPECT_EQ(w_.get()->fish_count, 1);
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 3u);
    for (const auto &line : lines)
        EXPECT_EQ(line, lines[0]);
    EXPECT_EQ(lines[0].rfind("DEBUG class/fish_ai:fish_ai_null():", 0), 0u);
    EXPECT_TRUE(lines[0].ends_with(": Bad fish! ID: 2")) << lines[0];
}

TEST(FishAiGuards, ZeroSpeedSineKeepsItsPlace)
{
    ASSERT_TRUE(fmtest::AddManifestSprites());
    ASSERT_EQ(Fish_Load_Init(10), 0);
    ASSERT_EQ(Fish_Load("FishDead", 0, "fish_pink", 32, 10, 0, -2, 0, 0.0f, 0.0f, 0, 0), 0);
    ASSERT_EQ(Fish_Load("still", 0, "fish_barri", 38, 9, 0, 0, FISH_AI_SINE, 0.0f, 5.0f, 1, COLLISION_FISH), 0);
    HandWorld w(1);
    ASSERT_EQ(w.Spawn(0, 100, "still"), 0);
    // age / 0 gives no usable angle; the fish must not jump anywhere.
    auto t = Swim(w, 0, 3);
    ASSERT_EQ(t.size(), 3u);
    for (const Tick &k : t) {
        EXPECT_EQ(k.x, 800);
        EXPECT_EQ(k.y, 104);
    }
}

} // namespace

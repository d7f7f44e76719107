#include <gtest/gtest.h>

#include "class/fish_ai.h"
#include "fish_fixture.h"
#include "test_support.h"

namespace {

using namespace fmtest;

void *const kEnd = nullptr;

std::vector<int> State(const Object_t &o)
{
    return {o.hitbox.x, o.hitbox.y, o.hitbox.w, o.hitbox.h, o.sprite.dst.x, o.sprite.dst.y, o.collision, o.dead};
}

class FishClass : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadGameFish()); }
};

TEST_F(FishClass, InitMakesAPlaceholderAndRefusalsKeepNoData)
{
    Object_t fish{};
    int y = 0, marker = 0;
    ASSERT_EQ(CallInit(Fish_Init, &fish, &y, "FishDead", kEnd), 0);
    EXPECT_EQ(State(fish), (std::vector<int>{800, 0, 32, 14, 0, 0, COLLISION_NULL, 0})); // the sprite's size
    EXPECT_EQ(fish.UPDATE, &fish_ai_null);
    const long live = Mem_TestLive(); /* made again: the earlier block is given back */
    ASSERT_EQ(CallInit(Fish_Init, &fish, &y, "FishDead", kEnd), 0);
    EXPECT_EQ(Mem_TestLive(), live);
    Mem_Free(fish.data);
    LogCapture log;
    auto refused = [](auto... args) {
        Object_t o{};
        EXPECT_EQ(CallInit(Fish_Init, &o, args...), -1);
        EXPECT_EQ(o.data, nullptr);
    };
    refused(&y, "FishDead", &marker, kEnd);
    refused(kEnd, kEnd, kEnd);
    refused(&y, "Nemo", kEnd);
    EXPECT_TRUE(InOrder(log.lines(), {"Bad parameter list passed to Fish initialisation!",
                                      "Invalid parameters to Fish initialisation. Param: \"Start Y\"",
                                      "Could not find fish: Nemo."}));
    EXPECT_FALSE(log.contains("FishType")); // the start height is checked first
}

TEST_F(FishClass, RemakePlacesTheFishByItsSpriteAndMakesItLive)
{
    HandWorld w(4);
    Object_t &fish = w.fish(2);
    LogCapture log;
    World_t no_flags{};
    EXPECT_EQ(Fish_Remake(&fish, &no_flags, 2, 200, "horiz_slow"), -1);
    EXPECT_EQ(Fish_Remake(&fish, w.get(), 4, 200, "horiz_slow"), -1);
    EXPECT_EQ(Fish_Remake(&fish, w.get(), 2, 200, nullptr), -1);
    EXPECT_EQ(std::vector<int32_t>(w.get()->alive, w.get()->alive + 5), (std::vector<int32_t>{0, 0, 0, 0, 1}));
    ASSERT_EQ(Fish_Remake(&fish, w.get(), 2, 200, "horiz_slow"), 0);
    EXPECT_EQ(State(fish), (std::vector<int>{800, 207, 25, 14, 800, 207, COLLISION_FISH, 0}));
    // A used fish starts a fresh life as another type.
    fish.dead = DataOf(fish)->eaten = 1;
    DataOf(fish)->age = 55;
    w.get()->alive[2] = 0;
    ASSERT_EQ(Fish_Remake(&fish, w.get(), 2, 200, "sword"), 0);
    EXPECT_EQ(State(fish), (std::vector<int>{800, 204, 40, 5, 790, 203, COLLISION_HARM, 0}));
    EXPECT_EQ(DataOf(fish)->eaten + DataOf(fish)->age, 0);
    EXPECT_EQ(w.alive(2), 1);
    // The logged draw position is the previous life's.
    EXPECT_TRUE(InOrder(log.lines(), {"Bad memory.", "Invalid index value.", "Invalid fish type - cannot be NULL!",
                                      "Set Fish sprite data: wx:800, wy:207, ix:0, iy:182, iw:50, ih:9"}));
    Object_t bare{}; // a record whose construction failed has no data block
    EXPECT_EQ(Fish_Remake(&bare, w.get(), 3, 600, "crab"), 0);
    Mem_Free(bare.data);
}

TEST_F(FishClass, UpdateRetiresOnceAndNeverWithABadSlot)
{
    HandWorld w(3);
    ASSERT_TRUE(w.Spawn(0, 200, "horiz_fast") == 0 && w.Spawn(1, 200, "horiz_slow") == 0);
    Object_t &slow = w.fish(1);
    for (int i = 0; i < 166; ++i)
        slow.UPDATE(&slow, w.get());
    ASSERT_EQ(slow.hitbox.x, -24);
    slow.dead = DataOf(slow)->eaten = 1; // eaten in the tick in which it also leaves the screen
    slow.UPDATE(&slow, w.get());
    EXPECT_EQ(slow.hitbox.x, -28);
    EXPECT_EQ(w.alive(1), 0);
    EXPECT_EQ(w.get()->fish_count, 1);
    EXPECT_EQ(w.get()->score, 10);
    // The slot comes from the fish's data: the player's index is no fish slot.
    LogCapture log;
    DataOf(slow)->slot = 3;
    Fish_Update(&slow, w.get());
    EXPECT_TRUE(log.contains("Invalid index value."));
    EXPECT_EQ(w.alive(3), 1);
    EXPECT_EQ(w.get()->fish_count, 1);
}

TEST(FishCollision, HalfOpenBoxAnswersWithTheKindEvenWhenDead)
{
    Object_t fish{};
    fish.hitbox = {100, 50, 25, 14};
    fish.collision = COLLISION_POISON;
    fish.dead = 1; // not looked at
    const struct { float x, y; int want; } points[] = {{100.0f, 50.0f, COLLISION_POISON},
        {124.9f, 63.9f, COLLISION_POISON}, {125.0f, 50.0f, 0}, {100.0f, 64.0f, 0}, {99.9f, 55.0f, 0}, {110.0f, 49.9f, 0}};
    for (const auto &p : points)
        EXPECT_EQ(Fish_Collision(&fish, p.x, p.y), p.want) << p.x << "," << p.y;
    // A right edge beyond int32 must not wrap round to a negative one.
    fish.hitbox = {2000000000, 0, 2000000000, 10};
    EXPECT_EQ(Fish_Collision(&fish, 3.0e9f, 5.0f), COLLISION_POISON);
}

TEST_F(FishClass, LogDumpWritesItsLinesAndNamesNoBadKind)
{
    ASSERT_TRUE(Object_Begin() == 0 && Object_PushLoadForClass(Class_LoadFish) == 0 && Object_LoadClasses() == 0);
    CollisionNames[COLLISION_FISH] = const_cast<char *>("COLLISION_FISH"); // the other names stay unset
    HandWorld w(2);
    Object_t &fish = w.fish(1);
    ASSERT_EQ(Fish_Remake(&fish, w.get(), 1, 200, "sine_wide"), 0);
    fish.id = 41;
    DataOf(fish)->age = 12;
    LogCapture log;
    for (int kind : std::vector<int>{COLLISION_FISH, COLLISION_HARM, -1}) {
        fish.collision = kind;
        EXPECT_EQ(Fish_LogDump(&fish), 0);
    }
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_TRUE(InOrder(lines, {") Object dump for Class: Fish", ")   Base Data - ID: 41, x: 800.000000, y: 207.000000",
                                ")    Width: 32.000000, Height: 15.000000, Collision ID: COLLISION_FISH",
                                ")    Age: 12 ticks, Points: 800", ")    Speed: 7.000000, Speed2: 18.000000",
                                "Collision ID: COLLISION_UNKNOWN", "Collision ID: COLLISION_UNKNOWN",
                                ") Invalid collision value."}));
    EXPECT_EQ(lines[15].rfind("[ERROR] (class/fish:Fish_LogDump():", 0), 0u);
}

} // namespace

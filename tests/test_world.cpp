#include <gtest/gtest.h>

#include <cerrno>

#include "class/playershark.h"
#include "fish_fixture.h"
#include "test_support.h"

namespace {

using namespace fmtest;

/* Sprites, catalogue and both classes, as start-up leaves them. */
class World : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LoadGameFish());
        ASSERT_TRUE(Object_Begin() == 0 && Object_PushLoadForClass(Class_LoadFish) == 0 &&
                    Object_PushLoadForClass(Class_LoadPlayerShark) == 0 && Object_LoadClasses() == 0);
    }
    void TearDown() override { World_Destroy(&world); }
    void Create(int n) { ASSERT_TRUE(World_Create(&world, n) == 0 && World_SpawnPlayer(&world, 0, 200) == 0); }
    World_t world{};
};

} // namespace

TEST_F(World, CreatesPlaceholdersWithConsecutiveIdsThenTheShark)
{
    LogCapture log;
    EXPECT_EQ(World_Create(&world, 0), -1);
    Create(120);
    EXPECT_EQ(world.fish_count, 0);
    for (int i = 0; i < 120; ++i) {
        EXPECT_EQ(world.alive[i], 0) << i;
        EXPECT_EQ(world.entities[i].id, i);
    }
    EXPECT_EQ(world.alive[120], 1);
    EXPECT_EQ(world.player->id, 120);
    EXPECT_EQ(World_Destroy(&world), 0);
    World_t empty{};
    errno = EINVAL; // the closing line names the failure without touching errno
    EXPECT_EQ(World_Destroy(&empty), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_TRUE(InOrder(log.lines(), {"Invalid parameter for maximum fish entites.", "World Entity array cleaned.",
                                      "Finshed cleaning World_t memory.", "Invalid memory in World_t struct, cannot free!",
                                      "errno: Yep) Could not properly cleanup World_t memory."}));
    world = World_t{};
    ASSERT_EQ(World_Create(&world, 1), 0);
    EXPECT_EQ(world.entity_count, 2);
    EXPECT_EQ(world.player, &world.entities[1]);
}

TEST_F(World, SpawnCursorStaysOnItsSlotAndWraps)
{
    Create(120);
    LogCapture log;
    EXPECT_EQ(World_SpawnFish(&world, 200, "goldfish"), -1);
    EXPECT_EQ(world.fish_count, 0);
    for (int i = 0; i <= 10; ++i) {
        ASSERT_EQ(World_SpawnFish(&world, 200, "horiz_slow"), 0);
        EXPECT_EQ(world.next_slot, i);
    }
    world.alive[3] = 0; // as a retiring fish leaves it
    --world.fish_count;
    ASSERT_EQ(World_SpawnFish(&world, 200, "crab"), 0);
    EXPECT_EQ(world.next_slot, 11);
    for (int i = 12; i < 120; ++i)
        ASSERT_EQ(World_SpawnFish(&world, 200, "horiz_med"), 0);
    EXPECT_EQ(world.alive[3], 0);
    ASSERT_EQ(World_SpawnFish(&world, 20, "sine_wide"), 0);
    EXPECT_EQ(world.next_slot, 3);
    EXPECT_EQ(world.alive[3], 1);
    EXPECT_EQ(World_SpawnFish(&world, 200, "horiz_slow"), -1);
    EXPECT_EQ(world.fish_count, 120);
    world.fish_count = 100; // a count that disagrees with the flags still cannot loop for ever
    EXPECT_EQ(World_SpawnFish(&world, 200, "horiz_slow"), -1);
    EXPECT_TRUE(InOrder(log.lines(), {"goldfish", "Failed to reinitialise Fish in World.",
                                      "No room for new fish: 120/120!", "No room for new fish!"}));
}

TEST_F(World, ScoreDigitsFrameClampAndEntityList)
{
    int d[6];
    ASSERT_EQ(World_GetScoreAsArray(1234, d, 6), 0);
    EXPECT_EQ(std::vector<int>(d, d + 6), (std::vector<int>{4, 3, 2, 1, 0, 0}));
    ASSERT_EQ(World_GetScoreAsArray(1234567, d, 6), 0);
    EXPECT_EQ(std::vector<int>(d, d + 6), (std::vector<int>{7, 6, 5, 4, 3, 2}));
    ASSERT_EQ(World_GetScoreAsArray(-5, d, 2), 0);
    EXPECT_EQ(std::vector<int>(d, d + 2), (std::vector<int>{-5, 0}));
    LogCapture log;
    EXPECT_EQ(World_GetScoreAsArray(5, d, 0), -1);
    Create(2);
    for (auto [in, out] : {std::pair{1000000, 999999}, {-3, 0}, {999999, 999999}, {42, 42}}) {
        world.score = in;
        EXPECT_EQ(World_NewFrame(&world), 0);
        EXPECT_EQ(world.score, out) << in;
    }
    Object_t sword{};
    sword.collision = COLLISION_HARM;
    sword.hitbox = SDL_Rect{10, 205, 40, 5};
    ASSERT_EQ(Player_CheckCollision(&sword, &world), 0);
    ASSERT_EQ(Player_CollisionCount(), 1);
    EXPECT_EQ(World_NewFrame(&world), 0);
    EXPECT_EQ(Player_CollisionCount(), 0);
    EXPECT_EQ(World_GetEntityList(&world, nullptr, nullptr, nullptr), -1);
    EXPECT_TRUE(InOrder(log.lines(), {"Invalid input!", "This is strange!"}));
}

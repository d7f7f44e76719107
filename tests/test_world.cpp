#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "alloc.h"
#include "class/fish.h"
#include "class/playershark.h"
#include "fish_fixture.h"
#include "object.h"
#include "test_support.h"
#include "world.h"

namespace {

/* Sprites, catalogue and both classes, once per process. */
void StartModules()
{
    static bool done = false;
    if (done)
        return;
    ASSERT_TRUE(fmtest::LoadGameFish());
    ASSERT_EQ(Object_Begin(), 0);
    ASSERT_EQ(Object_PushLoadForClass(Class_LoadFish), 0);
    ASSERT_EQ(Object_PushLoadForClass(Class_LoadPlayerShark), 0);
    ASSERT_EQ(Object_LoadClasses(), 0);
    ASSERT_EQ(Player_InputInit(), 0);
    done = true;
}

class World : public ::testing::Test {
protected:
    void SetUp() override { StartModules(); }
    void TearDown() override
    {
        if (world.entities)
            World_Destroy(&world);
    }
    void Create(int max_fish)
    {
        ASSERT_EQ(World_Create(&world, max_fish), 0);
        ASSERT_EQ(World_SpawnPlayer(&world, 0, 200), 0);
    }
    /* What a retiring fish does to the world. */
    void Free(int slot)
    {
        world.alive[slot] = 0;
        --world.fish_count;
    }
    World_t world{};
};

} // namespace

TEST_F(World, CreateRefusesNoRoomAndPutsThePlayerLast)
{
    fmtest::LogCapture log;
    EXPECT_EQ(World_Create(nullptr, 1), -1);
    EXPECT_EQ(World_Create(&world, 0), -1);
    EXPECT_EQ(world.entities, nullptr);
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {"Target  was not allocated!", "Invalid parameter for maximum fish entites."}));
    EXPECT_TRUE(log.contains("[ERROR] (world:World_Create():"));
    ASSERT_EQ(World_Create(&world, 1), 0);
    EXPECT_EQ(world.entity_count, 2);
    EXPECT_EQ(world.player, &world.entities[1]);
    EXPECT_EQ(world.alive[0], 0);
    EXPECT_EQ(world.alive[1], 1);
}

TEST_F(World, CreatesPlaceholdersWithConsecutiveIdsThenTheShark)
{
    Create(120);
    EXPECT_EQ(world.entity_count, 121);
    EXPECT_EQ(world.fish_count, 0);
    EXPECT_EQ(world.next_slot, 0);
    EXPECT_EQ(world.score, 0);
    const int first = world.entities[0].id;
    for (int i = 0; i < 120; ++i) {
        EXPECT_EQ(world.alive[i], 0) << i;
        EXPECT_EQ(world.entities[i].id, first + i);
        EXPECT_EQ(world.entities[i].class_id, 0);
        EXPECT_EQ(world.entities[i].hitbox.x, 800);
        EXPECT_NE(world.entities[i].data, nullptr);
    }
    EXPECT_EQ(world.alive[120], 1);
    EXPECT_EQ(world.player->id, first + 120);
    EXPECT_EQ(world.player->class_id, 1);
    EXPECT_EQ(World_GetPlayer(&world), world.player);
    EXPECT_EQ(world.player->hitbox.x, 0);
    EXPECT_EQ(world.player->hitbox.y, 200);

    fmtest::LogCapture log;
    EXPECT_EQ(World_Destroy(&world), 0);
    world.entities = nullptr;
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {"World Entity array cleaned.", "Finshed cleaning World_t memory."}));
    EXPECT_TRUE(log.contains("[INFO] (world:World_Destroy():"));
    EXPECT_FALSE(log.contains("[ERROR]"));
}

TEST_F(World, FailedCreateLeavesWhatDestroyReleases)
{
    fmtest::LogCapture log;
    Mem_TestReset(1, 0);
    EXPECT_EQ(World_Create(&world, 5), -1);
    EXPECT_EQ(world.entities, nullptr);

    Mem_TestReset(2, 0); /* the flags */
    EXPECT_EQ(World_Create(&world, 5), -1);
    EXPECT_NE(world.entities, nullptr);
    EXPECT_EQ(world.alive, nullptr);
    EXPECT_EQ(World_Destroy(&world), -1);
    world = World_t{};

    Mem_TestReset(5, 0); /* the third fish's data */
    EXPECT_EQ(World_Create(&world, 5), -1);
    Mem_TestReset(0, 0);
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {"Out of memory.", "Out of memory.", "World Entity array cleaned.",
                                              "Could not properly cleanup World_t memory.",
                                              "Could not initialise fish array!"}));
    EXPECT_EQ(World_Destroy(&world), 0);
    world.entities = nullptr;
}

TEST_F(World, DestroyOfAnEmptyWorldKeepsErrno)
{
    fmtest::LogCapture log;
    EXPECT_EQ(World_Destroy(nullptr), -1);
    errno = EINVAL;
    EXPECT_EQ(World_Destroy(&world), -1);
    EXPECT_EQ(errno, EINVAL);
    errno = 0;
    EXPECT_TRUE(fmtest::InOrder(log.lines(),
        {"Target must exist.", "[WARN] (world:World_Destroy():", "errno: Yep) Could not properly cleanup World_t memory."}));
    EXPECT_TRUE(log.contains("Invalid memory in World_t struct, cannot free!"));
    EXPECT_FALSE(log.contains("Finshed"));
}

TEST_F(World, SpawnCursorStaysOnItsSlotAndWraps)
{
    Create(120);
    for (int i = 0; i <= 10; ++i) {
        ASSERT_EQ(World_SpawnFish(&world, 200, "horiz_slow"), 0);
        EXPECT_EQ(world.next_slot, i);
        EXPECT_EQ(world.alive[i], 1);
    }
    EXPECT_EQ(world.fish_count, 11);
    Free(3);
    ASSERT_EQ(World_SpawnFish(&world, 200, "crab"), 0);
    EXPECT_EQ(world.next_slot, 11);
    EXPECT_EQ(world.alive[3], 0);
    for (int i = 12; i < 120; ++i)
        ASSERT_EQ(World_SpawnFish(&world, 200, "horiz_med"), 0);
    EXPECT_EQ(world.alive[3], 0);
    ASSERT_EQ(World_SpawnFish(&world, 20, "sine_wide"), 0);
    EXPECT_EQ(world.next_slot, 3);
    EXPECT_EQ(world.alive[3], 1);
    EXPECT_EQ(world.fish_count, 120);

    fmtest::LogCapture log;
    EXPECT_EQ(World_SpawnFish(&world, 200, "horiz_slow"), -1);
    EXPECT_TRUE(log.contains("[ERROR] (world:World_SpawnFish()"));
    EXPECT_TRUE(log.contains("No room for new fish: 120/120!"));
    EXPECT_EQ(world.fish_count, 120);
    EXPECT_EQ(world.next_slot, 3);

    /* A count that disagrees with the flags still cannot loop for ever. */
    world.fish_count = 100;
    EXPECT_EQ(World_SpawnFish(&world, 200, "horiz_slow"), -1);
    EXPECT_TRUE(log.contains("No room for new fish!"));
    EXPECT_EQ(world.fish_count, 100);
}

TEST_F(World, SpawnRefusals)
{
    Create(4);
    fmtest::LogCapture log;
    World_t empty{};
    EXPECT_EQ(World_SpawnFish(nullptr, 200, "horiz_slow"), -1);
    EXPECT_EQ(World_SpawnFish(&world, 200, nullptr), -1);
    EXPECT_EQ(World_SpawnFish(&empty, 200, "horiz_slow"), -1);
    EXPECT_EQ(World_SpawnFish(&world, 200, "goldfish"), -1);
    EXPECT_TRUE(fmtest::InOrder(log.lines(),
        {"Invalid world parameter - cannot be NULL.", "Invalid fish type name - cannot be NULL.",
         "World data not properly initialised.", "goldfish", "Failed to reinitialise Fish in World."}));
    EXPECT_EQ(world.fish_count, 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(world.alive[i], 0);
    EXPECT_EQ(World_SpawnPlayer(nullptr, 0, 0), -1);
    EXPECT_EQ(World_SpawnPlayer(&empty, 0, 0), -1);
    EXPECT_EQ(World_GetPlayer(&empty), nullptr);
    EXPECT_TRUE(log.contains("Invalid world parameter - must be properly initialised."));
}

TEST_F(World, EntityListHandsOutTheWorldsOwnArrays)
{
    Create(3);
    Object_t *entities = nullptr;
    int32_t *alive = nullptr;
    int32_t count = 0;
    ASSERT_EQ(World_GetEntityList(&world, &entities, &alive, &count), 0);
    EXPECT_EQ(entities, world.entities);
    EXPECT_EQ(alive, world.alive);
    EXPECT_EQ(count, 4);

    fmtest::LogCapture log;
    EXPECT_EQ(World_GetEntityList(&world, &entities, &alive, nullptr), -1);
    World_t no_player = world;
    no_player.player = nullptr;
    World_t empty{};
    EXPECT_EQ(World_GetEntityList(&no_player, &entities, &alive, &count), -1);
    EXPECT_EQ(World_GetEntityList(&empty, &entities, &alive, &count), -1);
    EXPECT_EQ(World_GetEntityList(nullptr, &entities, &alive, &count), -1);
    EXPECT_TRUE(fmtest::InOrder(log.lines(),
        {"This is strange!", "Player is not initialised properly.", "World data not properly initialised.",
         "Invalid world parameter - cannot be NULL."}));
}

TEST_F(World, ScoreDigitsUnitsFirst)
{
    int d[6];
    ASSERT_EQ(World_GetScoreAsArray(1234, d, 6), 0);
    EXPECT_EQ(std::vector<int>(d, d + 6), (std::vector<int>{4, 3, 2, 1, 0, 0}));
    ASSERT_EQ(World_GetScoreAsArray(1234567, d, 6), 0);
    EXPECT_EQ(std::vector<int>(d, d + 6), (std::vector<int>{7, 6, 5, 4, 3, 2}));
    ASSERT_EQ(World_GetScoreAsArray(-5, d, 2), 0);
    EXPECT_EQ(d[0], -5);
    EXPECT_EQ(d[1], 0);
    fmtest::LogCapture log;
    EXPECT_EQ(World_GetScoreAsArray(5, d, 0), -1);
    EXPECT_EQ(World_GetScoreAsArray(5, nullptr, 6), -1);
    EXPECT_EQ(log.lines().size(), 2u);
    EXPECT_TRUE(log.contains("Invalid input!"));
}

TEST_F(World, NewFrameClampsTheScoreAndEmptiesTheList)
{
    Create(2);
    struct Case { int in; int out; } cases[] = {{1000000, 999999}, {-3, 0}, {999999, 999999}, {0, 0}, {42, 42}};
    for (const Case &c : cases) {
        world.score = c.in;
        EXPECT_EQ(World_NewFrame(&world), 0);
        EXPECT_EQ(world.score, c.out) << c.in;
    }
    Object_t sword{};
    sword.collision = COLLISION_HARM;
    sword.hitbox = SDL_Rect{10, 205, 40, 5};
    ASSERT_EQ(Player_CheckCollision(&sword, &world), 0);
    ASSERT_EQ(Player_CollisionCount(), 1);
    EXPECT_EQ(World_NewFrame(&world), 0);
    EXPECT_EQ(Player_CollisionCount(), 0);
}

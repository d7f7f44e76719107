/* A whole game without a window: the modules started as the game starts
 * them, frames run as the frame loop runs them, and the shark steered by
 * script into all eight kinds of fish. */
#include <gtest/gtest.h>

#include "class/playershark.h"
#include "fish_fixture.h"
#include "test_support.h"

namespace {

class Game : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Player_InputInit() == 0 && fmtest::AddManifestSprites() && Object_Begin() == 0 &&
                    Object_PushLoadForClass(Class_LoadFish) == 0 && Object_PushLoadForClass(Class_LoadPlayerShark) == 0 &&
                    Object_LoadClasses() == 0 && Main_LoadFish() == 0);
        ASSERT_TRUE(World_Create(&world, 120) == 0 && World_SpawnPlayer(&world, 0, 200) == 0);
    }
    void TearDown() override { World_Destroy(&world); }
    /* Frames as the loop runs them, drawing left out. */
    void Frame(int n = 1)
    {
        for (int f = 0; f < n; ++f) {
            ASSERT_EQ(World_NewFrame(&world), 0);
            Object_t *entities = nullptr;
            int32_t *alive = nullptr, count = 0;
            ASSERT_EQ(World_GetEntityList(&world, &entities, &alive, &count), 0);
            for (int i = 0; i < count; ++i) {
                if (alive[i] == 1) {
                    entities[i].UPDATE(&entities[i], &world);
                    Player_CheckCollision(&entities[i], &world);
                }
            }
        }
    }
    /* Holds the controls that move the shark toward (x, y). */
    void SteerTo(int x, int y)
    {
        const SDL_Rect &p = world.player->hitbox;
        Player_SetInput(INPUT_LEFT, p.x > x + 2);
        Player_SetInput(INPUT_RIGHT, p.x < x - 2);
        Player_SetInput(INPUT_UP, p.y > y + 1);
        Player_SetInput(INPUT_DOWN, p.y < y - 1);
    }
    /* Spawns the only live fish; its slot. */
    int Spawn(int start_y, const char *type)
    {
        EXPECT_EQ(World_SpawnFish(&world, start_y, type), 0);
        EXPECT_EQ(world.fish_count, 1);
        return world.next_slot;
    }
    int &Health() { return static_cast<SharkData *>(world.player->data)->health; }
    /* The slot's live flag, the fish count, the score and the shark's health. */
    std::vector<int> Stats(int slot) { return {world.alive[slot], world.fish_count, world.score, Health()}; }
    World_t world{};
};

} // namespace

TEST_F(Game, SteeredSharkMeetsAllEightKinds)
{
    // Parked at (0, 200): the sword touches from its 2nd update, holds at x -19 and dashes clear of the shark on
    // its 74th, so it hurts on frames 2 and 39 and leaves on its 153rd update.
    const int sword = Spawn(200, "sword");
    Frame(2);
    EXPECT_EQ(Health(), 2);
    Frame(36);
    EXPECT_EQ(Health(), 2);
    Frame();
    EXPECT_EQ(Health(), 1);
    Frame(113);
    EXPECT_EQ(Stats(sword), (std::vector<int>{1, 1, 0, 1}));
    Frame();
    EXPECT_EQ(Stats(sword), (std::vector<int>{0, 0, 0, 1}));

    // The puffer first holds the mouth (x 95) at x 89: harmless until bitten, then it costs all.
    const int puffer = Spawn(200, "puffer");
    Frame(240);
    EXPECT_EQ(Health(), 1);
    Player_SetInput(INPUT_BITE, 1);
    Frame();
    EXPECT_EQ(Health(), 0);
    Player_SetInput(INPUT_BITE, 0);
    Frame(32);
    EXPECT_EQ(Stats(puffer), (std::vector<int>{1, 1, 0, 0})) << "a puffer is not eaten";
    Frame();
    EXPECT_EQ(Stats(puffer), (std::vector<int>{0, 0, 0, 0}));
    Health() = 3; // as the developer key gives it back

    // The mouth follows each swimmer from x 0, except that the wide swayer is awaited low at the left, where its sway
    // turns; the bite is held once the fish is near.
    const struct { int y; const char *name; int points; int wait_x, wait_y; } swimmers[] = {
        {200, "horiz_slow", 10, 0, 0}, {200, "horiz_med", 50, 0, 0}, {200, "horiz_fast", 300, 0, 0},
        {200, "sine_slow", 100, 0, 0}, {20, "sine_wide", 800, -40, 221}};
    int score = 0;
    for (const auto &k : swimmers) {
        SCOPED_TRACE(k.name);
        const int slot = Spawn(k.y, k.name);
        Object_t &fish = world.entities[slot];
        for (int f = 0; fish.dead == 0 && f < 300; ++f) {
            SteerTo(k.wait_x, k.wait_x ? k.wait_y : fish.hitbox.y + fish.hitbox.h / 2 - 10);
            Player_SetInput(INPUT_BITE, fish.hitbox.x < 130);
            Frame();
        }
        ASSERT_EQ(fmtest::DataOf(fish)->eaten, 1) << "got away";
        EXPECT_EQ(Stats(slot), (std::vector<int>{1, 1, score, 3})) << "retired only by its own next update";
        Frame();
        score += k.points;
        EXPECT_EQ(Stats(slot), (std::vector<int>{0, 0, score, 3}));
    }

    // Waiting under the crab's column (x 610): it first touches on its 52nd update and is below the shark
    // before the 37 protected frames end, so it costs 1; its 105th update takes it out of the scene.
    for (int f = 0; f < 200; ++f) {
        SteerTo(560, 200);
        Frame();
    }
    SteerTo(world.player->hitbox.x, world.player->hitbox.y);
    const SDL_Rect &shark = world.player->hitbox;
    ASSERT_TRUE(shark.x < 610 && shark.x + shark.w > 635 && shark.y == 200) << shark.x << "," << shark.y;
    const int crab = Spawn(600, "crab");
    Frame(51);
    EXPECT_EQ(Health(), 3);
    Frame();
    EXPECT_EQ(Health(), 2);
    Frame(52);
    EXPECT_EQ(Stats(crab), (std::vector<int>{1, 1, 1260, 2}));
    Frame();
    EXPECT_EQ(Stats(crab), (std::vector<int>{0, 0, 1260, 2}));
}

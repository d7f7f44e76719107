/* A whole game without a window: the modules started as the game starts
 * them, frames run as the frame loop runs them, and the shark steered by
 * script into the fish. */
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "class/fish.h"
#include "class/playershark.h"
#include "fish_fixture.h"
#include "game.h"
#include "object.h"
#include "test_support.h"
#include "world.h"

namespace {

/* Start-up as the game does it, once per process. */
void StartGame()
{
    static bool done = false;
    if (done)
        return;
    ASSERT_EQ(Player_InputInit(), 0);
    ASSERT_TRUE(fmtest::AddManifestSprites());
    ASSERT_EQ(Object_Begin(), 0);
    ASSERT_EQ(Object_PushLoadForClass(Class_LoadFish), 0);
    ASSERT_EQ(Object_PushLoadForClass(Class_LoadPlayerShark), 0);
    ASSERT_EQ(Object_LoadClasses(), 0);
    ASSERT_EQ(Main_LoadFish(), 0);
    done = true;
}

class Game : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartGame();
        for (int code = 0; code < INPUT_COUNT; ++code)
            Player_SetInput(code, 0);
        ASSERT_EQ(World_Create(&world, 120), 0);
        ASSERT_EQ(World_SpawnPlayer(&world, 0, 200), 0);
    }
    void TearDown() override { World_Destroy(&world); }

    /* One frame as the loop runs it (drawing left out). */
    void Frame()
    {
        ASSERT_EQ(World_NewFrame(&world), 0);
        Object_t *entities = nullptr;
        int32_t *alive = nullptr;
        int32_t count = 0;
        ASSERT_EQ(World_GetEntityList(&world, &entities, &alive, &count), 0);
        for (int i = 0; i < count; ++i) {
            if (alive[i] != 1)
                continue;
            Object_t copy = entities[i];
            copy.UPDATE(&entities[i], &world);
            Player_CheckCollision(&entities[i], &world);
        }
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            Frame();
    }
    /* Spawns and returns the slot the fish went into. */
    int Spawn(int start_y, const char *type)
    {
        EXPECT_EQ(World_SpawnFish(&world, start_y, type), 0) << type;
        return world.next_slot;
    }
    /* Holds the controls that move the shark toward (x, y), one frame's worth. */
    void SteerTo(int x, int y)
    {
        Object_t *p = world.player;
        Player_SetInput(INPUT_LEFT, p->hitbox.x > x + 2);
        Player_SetInput(INPUT_RIGHT, p->hitbox.x < x - 2);
        Player_SetInput(INPUT_UP, p->hitbox.y > y + 1);
        Player_SetInput(INPUT_DOWN, p->hitbox.y < y - 1);
    }
    void Release()
    {
        for (int code = 0; code < INPUT_COUNT; ++code)
            Player_SetInput(code, 0);
    }
    SharkData *Shark() { return static_cast<SharkData *>(world.player->data); }
    Object_t &Fish(int slot) { return world.entities[slot]; }
    FishData *Data(int slot) { return static_cast<FishData *>(Fish(slot).data); }

    World_t world{};
};

} // namespace

TEST_F(Game, StartsLikeTheGame)
{
    EXPECT_EQ(FishPrototype.class_id, 0);
    EXPECT_EQ(PlayerSharkPrototype.class_id, 1);
    EXPECT_STREQ(Object_GetClassString(1), "PlayerShark");
    /* In a fresh process the world's records are the first objects made. */
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(Fish(i).id, i);
    EXPECT_EQ(world.player->id, 120);
    EXPECT_EQ(world.player->class_id, 1);
    EXPECT_EQ(Shark()->health, 3);
    Frames(3);
    EXPECT_EQ(world.player->hitbox.x, 0);
    EXPECT_EQ(world.player->hitbox.y, 200);
    EXPECT_EQ(world.player->sprite.dst.x, -11);
    EXPECT_EQ(world.player->sprite.dst.y, 189);
    EXPECT_EQ(world.score, 0);
    EXPECT_EQ(Player_CollisionCount(), 0);
}

TEST_F(Game, ParkedSharkWatchesAllEightKindsLeave)
{
    /* Out of every path: below the fish rows, left of the crab's column. */
    for (int f = 0; f < 200; ++f) {
        SteerTo(300, 350);
        Frame();
    }
    Release();
    ASSERT_EQ(world.player->hitbox.x, 300);
    ASSERT_EQ(world.player->hitbox.y, 350);

    struct Kind { int y; const char *name; int updates; } kinds[] = {
        {200, "horiz_slow", 167}, {200, "horiz_med", 121}, {200, "horiz_fast", 84},
        {200, "sine_slow", 106},  {20, "sine_wide", 119},  {200, "sword", 153},
        {200, "puffer", 274},     {600, "crab", 105}};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Spawn(kinds[i].y, kinds[i].name), i);
    EXPECT_EQ(world.fish_count, 8);

    for (int f = 1; f <= 280; ++f) {
        Frame();
        int live = 0;
        for (int i = 0; i < 8; ++i) {
            const bool should_live = f < kinds[i].updates;
            EXPECT_EQ(world.alive[i], should_live ? 1 : 0) << kinds[i].name << " frame " << f;
            live += should_live;
        }
        ASSERT_EQ(world.fish_count, live) << "frame " << f;
    }
    EXPECT_EQ(world.score, 0);
    EXPECT_EQ(Shark()->health, 3);
    /* The cursor stayed on the last slot filled, which is free again. */
    EXPECT_EQ(Spawn(200, "horiz_slow"), 7);
}

TEST_F(Game, BitingSharkEatsTheStraightSwimmersOnCue)
{
    /* Parked at (0, 200) the mouth is at (95, 213) and (95, 208). Each fish
     * first reaches the mouth inside the shark's box after the given number
     * of updates: 800 - 5k = 90, 800 - 7k = 86, 800 - 10k = 90. */
    struct Kind { const char *name; int reach; int points; } kinds[] = {
        {"horiz_slow", 142, 10}, {"horiz_med", 102, 50}, {"horiz_fast", 71, 300}};
    int score = 0;
    for (const Kind &k : kinds) {
        const int slot = Spawn(200, k.name);
        Player_SetInput(INPUT_BITE, 0);
        Frames(k.reach - 20);
        Player_SetInput(INPUT_BITE, 1); /* a bite lasts 47 frames */
        Frames(19);
        EXPECT_EQ(Fish(slot).dead, 0) << k.name;
        EXPECT_EQ(Shark()->biting, 1);
        Frame();
        EXPECT_EQ(Fish(slot).dead, 1) << k.name;
        EXPECT_EQ(world.score, score);
        Frame();
        score += k.points;
        EXPECT_EQ(world.score, score) << k.name;
        EXPECT_EQ(world.alive[slot], 0);
        EXPECT_EQ(world.fish_count, 0);
    }
    EXPECT_EQ(world.score, 360);
    EXPECT_EQ(Shark()->health, 3);
}

TEST_F(Game, SteeredSharkCatchesTheSwayingFish)
{
    /* The slow one is followed, mouth level with it; the wide one sways too
     * fast for that, so the shark waits low at the left, where the fish turns
     * at the bottom of its sway (y about 218..231 while x runs 51..30). */
    struct Kind { int y; const char *name; int points; bool follow; int wait_x; int wait_y; } kinds[] = {
        {200, "sine_slow", 100, true, 0, 0}, {20, "sine_wide", 800, false, -40, 221}};
    int score = 0;
    for (const Kind &k : kinds) {
        const int slot = Spawn(k.y, k.name);
        Release();
        int f = 0;
        while (Fish(slot).dead == 0 && f < 200) {
            const SDL_Rect &b = Fish(slot).hitbox;
            if (k.follow)
                SteerTo(0, b.y + b.h / 2 - 10);
            else
                SteerTo(k.wait_x, k.wait_y);
            Player_SetInput(INPUT_BITE, b.x < 130 ? 1 : 0);
            Frame();
            ++f;
        }
        ASSERT_EQ(Data(slot)->eaten, 1) << k.name << " got away";
        EXPECT_EQ(world.alive[slot], 1) << "retired only by its own next update";
        EXPECT_EQ(world.score, score);
        Frame();
        score += k.points;
        EXPECT_EQ(world.score, score);
        EXPECT_EQ(world.alive[slot], 0);
        EXPECT_EQ(world.fish_count, 0);
    }
    EXPECT_EQ(Shark()->health, 3);
}

TEST_F(Game, CrabCostsOneHealth)
{
    fmtest::LogCapture log;
    /* The crab drops at x 610: wait beneath it. */
    for (int f = 0; f < 200; ++f) {
        SteerTo(560, 200);
        Frame();
    }
    Release();
    const SDL_Rect shark = world.player->hitbox;
    ASSERT_TRUE(shark.x + shark.w > 635 && shark.x < 610 && shark.y == 200) << shark.x;
    const int crab = Spawn(600, "crab");
    /* y = -14 + 4 (k - 1) first overlaps the shark's 200..218 at k = 52 (y 190)
     * and leaves it after k = 58, well within the 37 protected frames. */
    Frames(51);
    EXPECT_EQ(Shark()->health, 3);
    Frame();
    EXPECT_EQ(Shark()->health, 2);
    EXPECT_TRUE(log.contains("Ow! 2"));
    Frames(52);
    EXPECT_EQ(world.alive[crab], 1);
    Frame(); /* its 105th update takes it below the scene */
    EXPECT_EQ(world.alive[crab], 0);
    EXPECT_EQ(world.fish_count, 0);
    EXPECT_EQ(Shark()->health, 2);
    EXPECT_EQ(world.score, 0);
}

TEST_F(Game, PufferIsHarmlessUntilBitten)
{
    const int puffer = Spawn(200, "puffer");
    /* At (0, 200) the mouth is at x 95: 800 - 3k is first within the mouth
     * and the shark's box at k = 237 (x 89). */
    Frames(240);
    EXPECT_EQ(world.alive[puffer], 1);
    EXPECT_EQ(Fish(puffer).hitbox.x, 80);
    EXPECT_EQ(Shark()->health, 3);
    Player_SetInput(INPUT_BITE, 1);
    Frame();
    EXPECT_EQ(Shark()->health, 0);
    EXPECT_EQ(Fish(puffer).dead, 0) << "a puffer is not eaten";
    Frames(10);
    EXPECT_EQ(world.alive[puffer], 1);
    EXPECT_EQ(world.score, 0);
    EXPECT_EQ(Shark()->health, 0);
}

TEST_F(Game, SwordInContactCostsOneHealthEvery37Frames)
{
    fmtest::LogCapture log;
    const int sword = Spawn(200, "sword");
    /* Update 2 brings it to x -39, touching the parked shark; it holds at -19,
     * dashes from update 62 (x -10 + 9 per update) and clears the box
     * (x >= 92) at update 74. Hurts at 2 and 39; 76 is already clear. */
    Frame();
    EXPECT_EQ(Shark()->health, 3);
    Frame();
    EXPECT_EQ(Shark()->health, 2);
    Frames(36);
    EXPECT_EQ(Shark()->health, 2);
    Frame();
    EXPECT_EQ(Shark()->health, 1);
    Frames(80);
    EXPECT_EQ(Shark()->health, 1);
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {"Ow! 2", "Ow! 1"}));
    EXPECT_FALSE(log.contains("Ow! 0"));
    EXPECT_EQ(world.alive[sword], 1);
    Frames(40);
    EXPECT_EQ(world.alive[sword], 0);
    EXPECT_EQ(world.fish_count, 0);
}

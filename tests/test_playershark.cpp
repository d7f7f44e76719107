#include <gtest/gtest.h>

#include <cstdarg>
#include <deque>
#include <initializer_list>

#include "alloc.h"
#include "class/fish.h"
#include "class/playershark.h"
#include "image.h"
#include "test_support.h"
#include "world.h"

namespace {

/* The two shark sprites, without a sheet behind them. */
void EnsureSharkSprites()
{
    static bool done = false;
    if (done)
        return;
    ASSERT_EQ(Image_Init(1, 4, 1), 0);
    ASSERT_EQ(Image_AddSprite("shark_idle", -1, 0, 40, 110, 40), 0);
    ASSERT_EQ(Image_AddSprite("shark_bite", -1, 0, 0, 110, 40), 0);
    done = true;
}

int InitShark(Object_t *shark, ...)
{
    va_list args;
    va_start(args, shark);
    const int r = PlayerShark_Init(shark, args);
    va_end(args);
    return r;
}

/* A stand-in entity with the fish class's point test and its own data block. */
struct Creature {
    Creature(int kind, int x, int y, int w, int h)
    {
        obj.collision = kind;
        obj.hitbox = SDL_Rect{x, y, w, h};
        obj.COLLISION = Fish_Collision;
        obj.data = &fd;
    }
    Creature(const Creature &) = delete;
    Object_t obj{};
    FishData fd{};
};

class Shark : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureSharkSprites();
        ASSERT_EQ(Player_InputInit(), 0);
        world.player = &shark;
        int x = 100, y = 100;
        ASSERT_EQ(InitShark(&shark, &x, &y, (void *)nullptr), 0);
    }
    void TearDown() override { Mem_Free(shark.data); }

    SharkData *D() { return static_cast<SharkData *>(shark.data); }
    void Place(int x, int y)
    {
        shark.hitbox.x = x;
        shark.hitbox.y = y;
    }
    /* One frame as the loop runs it: list what touches, then the shark's update. */
    void Frame(std::initializer_list<Object_t *> touching = {})
    {
        Player_ClearCollisions();
        for (Object_t *e : touching)
            Player_CheckCollision(e, &world);
        PlayerShark_Update(&shark, &world);
    }
    void Hold(int code, int held) { ASSERT_EQ(Player_SetInput(code, held), 0); }

    Object_t shark{};
    World_t world{};
};

} // namespace

TEST_F(Shark, StartsReadyAndDrawnAtItsOffset)
{
    EXPECT_EQ(shark.hitbox.w, 92);
    EXPECT_EQ(shark.hitbox.h, 18);
    EXPECT_EQ(D()->health, 3);
    EXPECT_EQ(D()->bite_ready, 1);
    EXPECT_EQ(shark.sprite.current, Image_Get_Sprite("shark_idle", -1));
    EXPECT_EQ(shark.sprite.dst.x, 89);
    EXPECT_EQ(shark.sprite.dst.y, 89);
    EXPECT_EQ(shark.collision, COLLISION_NULL);
    /* Half-open box: the far edges are outside. */
    EXPECT_EQ(PlayerShark_Collision(&shark, 100.0f, 100.0f), COLLISION_PLAYER);
    EXPECT_EQ(PlayerShark_Collision(&shark, 191.5f, 117.5f), COLLISION_PLAYER);
    EXPECT_EQ(PlayerShark_Collision(&shark, 192.0f, 100.0f), COLLISION_NULL);
    EXPECT_EQ(PlayerShark_Collision(&shark, 100.0f, 118.0f), COLLISION_NULL);
}

TEST_F(Shark, MovesTruncatingTowardZeroWithUpAndLeftWinning)
{
    struct Case { int x; int code; int want; } cases[] = {
        {10, INPUT_RIGHT, 13}, {10, INPUT_LEFT, 6}, {-10, INPUT_RIGHT, -6}, {-10, INPUT_LEFT, -13}};
    for (const Case &c : cases) {
        Place(c.x, 100);
        Hold(c.code, 1);
        Frame();
        Hold(c.code, 0);
        EXPECT_EQ(shark.hitbox.x, c.want) << "from " << c.x;
        EXPECT_EQ(shark.hitbox.y, 100);
        EXPECT_EQ(shark.sprite.dst.x, c.want - 11);
        EXPECT_EQ(shark.sprite.dst.y, 89);
    }
    Place(10, 100);
    Hold(INPUT_UP, 1);
    Hold(INPUT_DOWN, 1);
    Hold(INPUT_LEFT, 1);
    Hold(INPUT_RIGHT, 1);
    Frame();
    EXPECT_EQ(shark.hitbox.y, 97);
    EXPECT_EQ(shark.hitbox.x, 6);
    Hold(INPUT_UP, 0);
    Hold(INPUT_LEFT, 0);
    Frame();
    EXPECT_EQ(shark.hitbox.y, 100);
    EXPECT_EQ(shark.hitbox.x, 9);
    Hold(INPUT_DOWN, 0);
    Hold(INPUT_RIGHT, 0);
    Frame();
    EXPECT_EQ(shark.hitbox.x, 9);
    EXPECT_EQ(shark.hitbox.y, 100);
}

TEST_F(Shark, StaysInsideTheScene)
{
    Place(718, 390);
    Hold(INPUT_RIGHT, 1);
    Hold(INPUT_DOWN, 1);
    Frame();
    EXPECT_EQ(shark.hitbox.x, 720);
    EXPECT_EQ(shark.hitbox.y, 391);
    Frame();
    EXPECT_EQ(shark.hitbox.x, 720);
    EXPECT_EQ(shark.hitbox.y, 391);
    Hold(INPUT_RIGHT, 0);
    Hold(INPUT_DOWN, 0);
    Place(-85, -8);
    Hold(INPUT_LEFT, 1);
    Hold(INPUT_UP, 1);
    Frame();
    EXPECT_EQ(shark.hitbox.x, -87);
    EXPECT_EQ(shark.hitbox.y, -9);
}

TEST_F(Shark, OneBitePerPressWithCooldown)
{
    Sprite_t *bite = Image_Get_Sprite("shark_bite", -1);
    Hold(INPUT_BITE, 1);
    int bitten_frames = 0;
    for (int f = 1; f <= 150; ++f) {
        Frame();
        if (D()->biting) {
            ++bitten_frames;
            EXPECT_EQ(shark.sprite.current, bite);
        }
        if (f == 47) {
            EXPECT_EQ(D()->biting, 1);
        }
        if (f == 48) {
            EXPECT_EQ(D()->biting, 0) << "a held bite ends in its 48th frame";
        }
    }
    EXPECT_EQ(bitten_frames, 47);
    EXPECT_EQ(shark.sprite.current, Image_Get_Sprite("shark_idle", -1));

    /* Release and press again: a new bite at once, the cooldown is long over. */
    Hold(INPUT_BITE, 0);
    Frame();
    Hold(INPUT_BITE, 1);
    Frame();
    EXPECT_EQ(D()->biting, 1);

    /* Releasing mid-bite starts the cooldown: the next bite waits 9 frames. */
    Hold(INPUT_BITE, 0);
    Frame(); /* frame m: bite ends */
    EXPECT_EQ(D()->biting, 0);
    Hold(INPUT_BITE, 1);
    for (int k = 1; k < 9; ++k) {
        Frame();
        EXPECT_EQ(D()->biting, 0) << "frame m+" << k;
    }
    Frame();
    EXPECT_EQ(D()->biting, 1) << "frame m+9";
}

TEST_F(Shark, HarmCostsOneHealthPer37Frames)
{
    fmtest::LogCapture log;
    Creature crab(COLLISION_HARM, 120, 105, 25, 14);
    Creature sword(COLLISION_HARM, 130, 100, 40, 5);
    Frame({&crab.obj, &sword.obj});
    EXPECT_EQ(Player_CollisionCount(), 2);
    EXPECT_EQ(D()->health, 2) << "two harms in one frame cost 1";
    for (int f = 2; f <= 37; ++f)
        Frame({&crab.obj});
    EXPECT_EQ(D()->health, 2);
    Frame({&crab.obj}); /* frame 38 = 1 + 37 */
    EXPECT_EQ(D()->health, 1);
    D()->health = 0;
    for (int f = 0; f < 37; ++f)
        Frame({&crab.obj});
    EXPECT_EQ(D()->health, 0);
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {"Ow! 2", "Ow! 1", "Ow! -1"}));
    /* A finished entity is skipped. */
    crab.obj.dead = 1;
    D()->health = 3;
    for (int f = 0; f < 40; ++f)
        Frame({&crab.obj});
    EXPECT_EQ(D()->health, 3);
}

TEST_F(Shark, FishNeedTheMouthAndABite)
{
    fmtest::LogCapture log;
    /* Mouth A is (195, 113), mouth B (195, 108). */
    Creature body_only(COLLISION_FISH, 150, 110, 25, 14);
    Creature mouth_a(COLLISION_FISH, 185, 110, 25, 14);
    Creature mouth_b(COLLISION_FISH, 185, 100, 25, 10);
    Creature beyond(COLLISION_FISH, 193, 105, 10, 10); /* mouth inside, no hitbox overlap */
    Frame({&body_only.obj, &mouth_a.obj, &mouth_b.obj, &beyond.obj});
    EXPECT_EQ(Player_CollisionCount(), 2);
    EXPECT_TRUE(log.contains("Nom nom nom."));
    EXPECT_EQ(mouth_a.obj.dead, 0) << "not biting: nothing happens";
    EXPECT_EQ(mouth_a.fd.eaten, 0);

    Hold(INPUT_BITE, 1);
    Frame({&body_only.obj, &mouth_a.obj, &mouth_b.obj, &beyond.obj});
    EXPECT_EQ(mouth_a.obj.dead, 1);
    EXPECT_EQ(mouth_a.fd.eaten, 1);
    EXPECT_EQ(mouth_b.obj.dead, 1);
    EXPECT_EQ(mouth_b.fd.eaten, 1);
    EXPECT_EQ(body_only.obj.dead, 0);
    EXPECT_EQ(beyond.obj.dead, 0);
}

TEST_F(Shark, PoisonOnlyWhileBitingDeathOnAnyOverlap)
{
    Creature puffer(COLLISION_POISON, 185, 110, 20, 14);
    for (int f = 0; f < 5; ++f)
        Frame({&puffer.obj});
    EXPECT_EQ(Player_CollisionCount(), 1);
    EXPECT_EQ(D()->health, 3);
    Hold(INPUT_BITE, 1);
    Frame({&puffer.obj});
    EXPECT_EQ(D()->health, 0);

    Hold(INPUT_BITE, 0);
    D()->health = 3;
    Creature death(COLLISION_DEATH, 100, 100, 5, 5); /* far from the mouth */
    Frame({&death.obj});
    EXPECT_EQ(D()->health, 0);
}

TEST_F(Shark, ListHoldsAHundredPerFrame)
{
    fmtest::LogCapture log;
    std::deque<Creature> crowd;
    for (int i = 0; i < 101; ++i)
        crowd.emplace_back(COLLISION_HARM, 110, 105, 5, 5);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(Player_CheckCollision(&crowd[i].obj, &world), 0);
    EXPECT_FALSE(log.contains("No more room"));
    EXPECT_EQ(Player_CheckCollision(&crowd[100].obj, &world), -1);
    EXPECT_EQ(Player_CollisionCount(), 100);
    EXPECT_TRUE(log.contains("[ERROR]") && log.contains("No more room for collisions this frame!"));
    World_NewFrame(&world);
    EXPECT_EQ(Player_CollisionCount(), 0);
    EXPECT_EQ(Player_CheckCollision(&crowd[100].obj, &world), 0);
    EXPECT_EQ(Player_CollisionCount(), 1);
}

TEST_F(Shark, CollisionCheckRefusesMissingPieces)
{
    fmtest::LogCapture log;
    Creature crab(COLLISION_HARM, 120, 105, 25, 14);
    EXPECT_EQ(Player_CheckCollision(nullptr, &world), -1);
    EXPECT_EQ(Player_CheckCollision(&crab.obj, nullptr), -1);
    EXPECT_TRUE(log.contains("Bad parameters - NULL passed!"));
    World_t no_player{};
    EXPECT_EQ(Player_CheckCollision(&crab.obj, &no_player), -1);
    EXPECT_TRUE(log.contains("[ERROR] (class/playershark:Player_CheckCollision()"));
    EXPECT_EQ(Player_CollisionCount(), 0);
}

TEST_F(Shark, InputCodesAndAMissingTable)
{
    EXPECT_EQ(Player_SetInput(6, 1), -1);
    EXPECT_EQ(Player_SetInput(-1, 1), -1);
    EXPECT_EQ(Player_SetInput(5, 1), 0);
    Frame();
    EXPECT_EQ(shark.hitbox.x, 100);
    EXPECT_EQ(shark.hitbox.y, 100);
    EXPECT_EQ(D()->biting, 0);

    /* Without a table nothing is stored and every control reads as released. */
    Hold(INPUT_RIGHT, 1);
    fmtest::LogCapture log;
    Mem_TestReset(1, 0);
    EXPECT_EQ(Player_InputInit(), -1);
    Mem_TestReset(0, 0);
    EXPECT_TRUE(log.contains("Out of memory."));
    EXPECT_EQ(Player_SetInput(INPUT_BITE, 1), -1);
    Frame();
    EXPECT_EQ(shark.hitbox.x, 100);
    EXPECT_EQ(D()->biting, 0);
}

TEST_F(Shark, InitChecksItsArguments)
{
    fmtest::LogCapture log;
    Object_t other{};
    int x = 1, y = 2;
    EXPECT_EQ(InitShark(&other, (void *)nullptr), -1);
    EXPECT_EQ(InitShark(&other, &x, (void *)nullptr), -1);
    EXPECT_EQ(InitShark(&other, &x, &y, &x, (void *)nullptr), -1);
    EXPECT_TRUE(fmtest::InOrder(log.lines(),
        {"Invalid parameters to PlayerShark initialisation. Param: \"Start X\"",
         "Invalid parameters to PlayerShark initialisation. Param: \"Start Y\"",
         "Bad parameter list passed to Shark initialisation!"}));
    EXPECT_EQ(other.data, nullptr);
    Mem_TestReset(1, 0);
    EXPECT_EQ(InitShark(&other, &x, &y, (void *)nullptr), -1);
    Mem_TestReset(0, 0);
    EXPECT_EQ(other.data, nullptr);
    EXPECT_TRUE(log.contains("Out of memory."));
}

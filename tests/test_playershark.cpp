#include <gtest/gtest.h>

#include <algorithm>

#include "class/playershark.h"
#include "fish_fixture.h"
#include "test_support.h"

namespace {

using namespace fmtest;

/* The shark in the player's record of a hand-built world at (100, 100): its
 * mouth points are A (195, 113) and B (195, 108). */
class Shark : public ::testing::Test {
protected:
    void SetUp() override
    {
        int x = 100, y = 100;
        ASSERT_TRUE(loaded && CallInit(PlayerShark_Init, &shark, &x, &y, static_cast<void *>(nullptr)) == 0);
    }
    SharkData *D() { return static_cast<SharkData *>(shark.data); }
    /* Fish slot made into an entity of the given kind and box. */
    Object_t *Put(int slot, int kind, SDL_Rect box)
    {
        Object_t &o = hw.fish(slot);
        o.collision = kind;
        o.hitbox = box;
        o.COLLISION = Fish_Collision;
        return &o;
    }
    /* One frame as the loop runs it: list what touches, then the shark's update. */
    void Frame(std::initializer_list<Object_t *> touching = {}, int frames = 1)
    {
        for (int f = 0; f < frames; ++f) {
            Player_ClearCollisions();
            for (Object_t *e : touching)
                Player_CheckCollision(e, hw.get());
            PlayerShark_Update(&shark, hw.get());
        }
    }
    const bool loaded = LoadGameFish() && Player_InputInit() == 0; // before the world's placeholders
    HandWorld hw{101};
    Object_t &shark = *hw.get()->player;
};

} // namespace

TEST_F(Shark, MovesTruncatingTowardZeroWithUpAndLeftWinningInsideTheScene)
{
    EXPECT_EQ(std::vector<int>({shark.sprite.dst.x, shark.sprite.dst.y}), std::vector<int>({89, 89})); // from the start
    EXPECT_EQ(Player_SetInput(6, 1), -1);
    ASSERT_EQ(Player_SetInput(5, 1), 0); // held throughout, to no effect
    const struct { int x, y; std::vector<int> held; int want_x, want_y; } cases[] = {
        {10, 100, {INPUT_RIGHT}, 13, 100}, {10, 100, {INPUT_LEFT}, 6, 100}, {-10, 100, {INPUT_RIGHT}, -6, 100},
        {-10, 100, {INPUT_LEFT}, -13, 100}, {10, 100, {INPUT_UP}, 10, 97}, {10, 100, {INPUT_DOWN}, 10, 103},
        {10, 100, {}, 10, 100}, {718, 390, {INPUT_RIGHT, INPUT_DOWN}, 720, 391},
        {720, 391, {INPUT_RIGHT, INPUT_DOWN}, 720, 391}, {-85, -8, {INPUT_LEFT, INPUT_UP}, -87, -9},
        {10, 100, {INPUT_UP, INPUT_DOWN, INPUT_LEFT, INPUT_RIGHT}, 6, 97}};
    for (const auto &c : cases) {
        shark.hitbox = SDL_Rect{c.x, c.y, 92, 18};
        for (int code = INPUT_UP; code <= INPUT_RIGHT; ++code)
            Player_SetInput(code, std::ranges::count(c.held, code) > 0);
        Frame();
        EXPECT_EQ(std::vector<int>({shark.hitbox.x, shark.hitbox.y, shark.sprite.dst.x, shark.sprite.dst.y}),
                  std::vector<int>({c.want_x, c.want_y, c.want_x - 11, c.want_y - 11}))
            << "from " << c.x << "," << c.y;
    }
    // Without a table nothing is stored and every control, still held above, reads as released.
    Mem_TestReset(1, 0);
    EXPECT_EQ(Player_InputInit(), -1);
    Mem_TestReset(0, 0);
    Player_SetInput(INPUT_BITE, 1);
    Frame();
    EXPECT_EQ(std::vector<int>({shark.hitbox.x, shark.hitbox.y, D()->biting}), std::vector<int>({6, 97, 0}));
}

TEST_F(Shark, OneBitePerPressEndingInItsFortyEighthFrameThenACooldown)
{
    Player_SetInput(INPUT_BITE, 1);
    for (int f = 1; f <= 150; ++f) {
        Frame();
        EXPECT_EQ(D()->biting, f < 48 ? 1 : 0) << "frame " << f;
    }
    EXPECT_EQ(shark.sprite.current, Image_Get_Sprite("shark_idle", -1));
    Player_SetInput(INPUT_BITE, 0); // release and press: a new bite at once
    Frame();
    Player_SetInput(INPUT_BITE, 1);
    Frame();
    EXPECT_EQ(D()->biting, 1);
    Player_SetInput(INPUT_BITE, 0); // frame m: released mid-bite
    Frame();
    Player_SetInput(INPUT_BITE, 1);
    for (int k = 1; k <= 9; ++k) {
        Frame();
        EXPECT_EQ(D()->biting, k == 9 ? 1 : 0) << "frame m+" << k;
    }
}

TEST_F(Shark, ListsWhatTouchesAndAppliesItAfterwards)
{
    LogCapture log;
    // 0 overlaps without a mouth point inside, 1 holds mouth A, 2 mouth B, 3 is a finished harm.
    const auto fish = {Put(0, COLLISION_FISH, {150, 110, 25, 14}), Put(1, COLLISION_FISH, {185, 110, 25, 14}),
                       Put(2, COLLISION_FISH, {185, 100, 25, 10}), Put(3, COLLISION_HARM, {120, 105, 25, 14})};
    hw.fish(3).dead = 1;
    auto eaten = [&](int i) { return std::vector<int>({hw.fish(i).dead, DataOf(hw.fish(i))->eaten}); };
    Frame(fish);
    EXPECT_EQ(Player_CollisionCount(), 3);
    EXPECT_EQ(eaten(1), std::vector<int>({0, 0})) << "not biting: nothing happens";
    Player_SetInput(INPUT_BITE, 1);
    Frame(fish);
    EXPECT_EQ(eaten(1), std::vector<int>({1, 1}));
    EXPECT_EQ(eaten(2), std::vector<int>({1, 1}));
    EXPECT_EQ(D()->health, 3);

    Object_t *crab = Put(4, COLLISION_HARM, {120, 105, 25, 14}), *sword = Put(5, COLLISION_HARM, {130, 100, 40, 5});
    Frame({crab, sword});
    EXPECT_EQ(D()->health, 2) << "two harms in one frame cost 1";
    Frame({crab}, 36);
    EXPECT_EQ(D()->health, 2);
    Frame({crab}); // frame 38 = 1 + 37
    EXPECT_EQ(D()->health, 1);
    D()->health = 0;
    Frame({crab}, 37);
    EXPECT_EQ(D()->health, 0);

    D()->health = 3;
    Player_SetInput(INPUT_BITE, 0);
    Frame({Put(6, COLLISION_POISON, {185, 110, 20, 14})}, 10);
    EXPECT_EQ(D()->health, 3);
    Player_SetInput(INPUT_BITE, 1);
    Frame({&hw.fish(6)});
    EXPECT_EQ(D()->health, 0);
    D()->health = 3;
    Frame({Put(7, COLLISION_DEATH, {100, 100, 5, 5})}); // far from the mouth
    EXPECT_EQ(D()->health, 0);

    Player_ClearCollisions();
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(Player_CheckCollision(Put(i, COLLISION_HARM, {110, 105, 5, 5}), hw.get()), 0);
    EXPECT_EQ(Player_CheckCollision(Put(100, COLLISION_HARM, {110, 105, 5, 5}), hw.get()), -1);
    EXPECT_EQ(Player_CollisionCount(), 100);
    Player_ClearCollisions();
    World_t no_player{};
    EXPECT_EQ(Player_CheckCollision(&hw.fish(0), &no_player), -1);
    EXPECT_TRUE(InOrder(log.lines(), {"Nom nom nom.", "Ow! 2", "Ow! 1", "Ow! -1", "No more room for collisions this frame!"}));
}

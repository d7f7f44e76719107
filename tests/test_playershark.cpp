#include "fish_fixture.h"

namespace {

using namespace fmtest;

void *const kEnd = nullptr;

/* The shark in the player's record of a hand-built world at (100, 100): its
 * mouth points are A (195, 113) and B (195, 108). */
class Shark : public ::testing::Test {
protected:
    void SetUp() override {
        int x = 100, y = 100;
        ASSERT_TRUE(loaded && CallInit(PlayerShark_Init, &shark, &x, &y, kEnd) == 0);
    }
    SharkData *D() { return static_cast<SharkData *>(shark.data); }
    /* Fish slot made into an entity of the given kind and box. */
    Object_t *Put(int slot, int kind, SDL_Rect box) {
        Object_t &o = hw.fish(slot);
        o.collision = kind, o.hitbox = box, o.COLLISION = Fish_Collision, o.dead = 0;
        return &o;
    }
    /* One frame as the loop runs it: list what touches, then the shark's update. */
    void Frame(std::initializer_list<Object_t *> touching = {}, int frames = 1) {
        for (int f = 0; f < frames; ++f) {
            Player_ClearCollisions();
            for (Object_t *e : touching) Player_CheckCollision(e, hw.get());
            PlayerShark_Update(&shark, hw.get());
        }
    }
    const bool loaded = LoadGameFish() && Player_InputInit() == 0; /* before the world's placeholders */
    HandWorld hw{101};
    Object_t &shark = *hw.get()->player;
    LogCapture log;
};

TEST_F(Shark, MadeAtItsStartWithItsBoxAndRefusingBadArguments) {
    EXPECT_EQ((std::vector<int>{INPUT_UP, INPUT_DOWN, INPUT_LEFT, INPUT_RIGHT, INPUT_BITE, INPUT_COUNT}),
        (std::vector<int>{0, 1, 2, 3, 4, 6})); /* the codes callers pass */
    EXPECT_EQ(
        (std::vector<int>{shark.hitbox.x, shark.hitbox.y, shark.hitbox.w, shark.hitbox.h, shark.draw_x, shark.draw_y,
            shark.sprite.dst.x, shark.sprite.dst.y, D()->health, D()->bite_ready, D()->biting, D()->hurt_timer}),
        (std::vector<int>{100, 100, 92, 18, -11, -11, 89, 89, 3, 1, 0, 0}));
    log.Take();
    Object_t o{};
    int x = 5, y = 6, extra = 0;
    EXPECT_EQ((std::vector<int>{CallInit(PlayerShark_Init, nullptr, &x, &y, kEnd),
                  CallInit(PlayerShark_Init, &o, kEnd, &y, kEnd), CallInit(PlayerShark_Init, &o, &x, kEnd, kEnd),
                  CallInit(PlayerShark_Init, &o, &x, &y, &extra, kEnd),
                  Starved(1, [&] { return CallInit(PlayerShark_Init, &o, &x, &y, kEnd); })}),
        (std::vector<int>{-1, -1, -1, -1, -1}));
    EXPECT_EQ(log.Take(), (Lines{"[ERROR] Invalid parameters to PlayerShark initialisation. Param: \"Start X\"",
                              "[ERROR] Invalid parameters to PlayerShark initialisation. Param: \"Start Y\"",
                              "[ERROR] Bad parameter list passed to Shark initialisation!", "[ERROR] Out of memory."}));
    EXPECT_EQ(PlayerShark_Anim(&o) + PlayerShark_LogDump(&o), 0);
    /* Its own COLLISION: the half-open box. */
    shark.hitbox = SDL_Rect{10, 20, 92, 18};
    const struct {
        float x, y;
        int want;
    } points[] = {{10.0f, 20.0f, COLLISION_PLAYER}, {101.9f, 37.9f, COLLISION_PLAYER}, {9.9f, 30.0f, 0},
        {102.0f, 30.0f, 0}, {50.0f, 19.9f, 0}, {50.0f, 38.0f, 0}};
    for (const auto &p : points) EXPECT_EQ(PlayerShark_Collision(&shark, p.x, p.y), p.want) << p.x << "," << p.y;
    EXPECT_EQ(PlayerShark_Collision(nullptr, 10.0f, 20.0f), 0);
    /* Without its two sprites the shark cannot be made: -1, which Object_Create reports. */
    ASSERT_EQ(Image_Init(1, 1, 0), 0);
    EXPECT_EQ(CallInit(PlayerShark_Init, &o, &x, &y, kEnd), -1);
    ASSERT_EQ(Image_AddSprite("shark_idle", -1, 0, 40, 110, 40), 0);
    EXPECT_EQ(CallInit(PlayerShark_Init, &o, &x, &y, kEnd), -1);
    Mem_Free(o.data);
    EXPECT_TRUE(InOrder(log.lines(), {"Could not get shark_idle sprite!", "Failed to get biting sprite."}));
}

TEST_F(Shark, BitesOnlyWhatHoldsAMouthPoint) {
    /* 1-pixel-high probes across the mouth points' rows and the column x 195. */
    const struct {
        SDL_Rect box;
        bool bitten;
    } probes[] = {{{185, 113, 11, 1}, true}, {{185, 113, 10, 1}, false}, {{196, 113, 5, 1}, false},
        {{185, 112, 11, 1}, false}, {{185, 114, 11, 1}, false}, {{185, 108, 11, 1}, true}, {{185, 107, 11, 1}, false},
        {{185, 109, 11, 1}, false}, {{150, 110, 25, 14}, false}, {{185, 100, 25, 10}, true},
        {{192, 110, 10, 5}, false}};
    Player_SetInput(4, 1);
    for (const auto &p : probes) {
        Object_t *fish = Put(0, COLLISION_FISH, p.box);
        DataOf(*fish)->eaten = 0;
        Frame({fish});
        EXPECT_EQ((std::vector<int>{fish->dead, DataOf(*fish)->eaten}), (std::vector<int>{p.bitten, p.bitten}))
            << p.box.x << "," << p.box.y << " " << p.box.w << "x" << p.box.h;
    }
    Player_ClearCollisions();
    EXPECT_EQ(Player_CheckCollision(Put(0, COLLISION_FISH, {185, 110, 25, 14}), hw.get()), 0);
    EXPECT_EQ(Player_CollisionCount(), 1);
    EXPECT_EQ(PlayerShark_Update(&shark, hw.get()), 0);
    Put(0, COLLISION_FISH, {185, 110, 25, 14})->COLLISION = nullptr; /* no way to ask: not listed */
    Frame({&hw.fish(0)});
    Player_CheckCollision(Put(1, COLLISION_PLAYER, {110, 105, 5, 5}), hw.get()); /* nor are these kinds */
    Player_CheckCollision(Put(2, COLLISION_NULL, {110, 105, 5, 5}), hw.get());
    EXPECT_EQ(Player_CollisionCount(), 0);
    World_t no_player{};
    EXPECT_EQ(Player_CheckCollision(nullptr, hw.get()) + Player_CheckCollision(&hw.fish(0), nullptr) +
                  Player_CheckCollision(&hw.fish(0), &no_player),
        -3);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(Player_CheckCollision(Put(i, COLLISION_HARM, {110, 105, 5, 5}), hw.get()), 0);
    EXPECT_EQ(Player_CheckCollision(Put(100, COLLISION_HARM, {110, 105, 5, 5}), hw.get()), -1);
    EXPECT_EQ(Player_CollisionCount(), 100);
    const Lines lines = log.Take();
    EXPECT_EQ(Lines(lines.end() - 4, lines.end()),
        (Lines{"[ERROR] Bad parameters - NULL passed!", "[ERROR] Bad parameters - NULL passed!",
            "[ERROR] Player is not initialised properly.", "[ERROR] No more room for collisions this frame!"}));
}

TEST_F(Shark, HarmsCostOneEveryThirtySevenFramesAndPoisonOrDeathCostAll) {
    Object_t *crab = Put(4, COLLISION_HARM, {120, 105, 25, 14}), *sword = Put(5, COLLISION_HARM, {130, 100, 40, 5});
    Put(3, COLLISION_HARM, {120, 105, 25, 14})->dead = 1; /* a finished harm does nothing */
    std::vector<int> health;
    Frame({&hw.fish(3)}), health.push_back(D()->health);
    Frame({crab, sword}), health.push_back(D()->health); /* two harms in one frame cost 1 */
    Frame({crab}, 36), health.push_back(D()->health);
    Frame({crab}), health.push_back(D()->health); /* frame 38 = 1 + 37 */
    D()->health = 0;
    Frame({crab}, 37), health.push_back(D()->health);
    EXPECT_EQ(health, (std::vector<int>{3, 2, 2, 1, 0}));
    EXPECT_EQ(log.Take(), (Lines{"[INFO] Ow! 2", "[INFO] Ow! 1", "[INFO] Ow! -1"}));
    D()->health = 3;
    Object_t *puffer = Put(6, COLLISION_POISON, {185, 110, 20, 14});
    Frame({puffer}, 10);
    EXPECT_EQ(D()->health, 3) << "harmless until bitten";
    Player_SetInput(4, 1);
    Frame({puffer});
    EXPECT_EQ((std::vector<int>{D()->health, puffer->dead}), (std::vector<int>{0, 0}));
    D()->health = 3;
    Frame({Put(7, COLLISION_DEATH, {100, 100, 5, 5})}); /* far from the mouth */
    EXPECT_EQ(D()->health, 0);
    D()->health = 3;
    Frame({Put(8, COLLISION_FISH, {185, 110, 25, 14})});
    EXPECT_EQ(D()->health, 3) << "a bitten fish costs nothing";
}

} // namespace


#include "class/fish_ai.h"
#include "fish_fixture.h"

namespace {

using namespace fmtest;

void *const kEnd = nullptr;

std::vector<int> State(const Object_t &o) {
    return {o.hitbox.x, o.hitbox.y, o.hitbox.w, o.hitbox.h, o.sprite.dst.x, o.sprite.dst.y, o.collision, o.dead};
}

class FishClass : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadGameFish()); }
};

TEST_F(FishClass, RemakePlacesTheFishByItsSpriteAndMakesItLive) {
    HandWorld w(4);
    Object_t &fish = w.fish(2);
    LogCapture log;
    World_t no_flags{};
    no_flags.max_fish = 4;
    const int refusals[] = {Fish_Remake(nullptr, w.get(), 2, 200, "crab"), Fish_Remake(&fish, nullptr, 2, 200, "crab"),
        Fish_Remake(&fish, &no_flags, 2, 200, "crab"), Fish_Remake(&fish, w.get(), 4, 200, "crab"),
        Fish_Remake(&fish, w.get(), -1, 200, "crab"), Fish_Remake(&fish, w.get(), 2, 200, nullptr),
        Fish_Remake(&fish, w.get(), 2, 200, "Nemo")};
    for (int r : refusals) EXPECT_EQ(r, -1);
    EXPECT_EQ(std::vector<int32_t>(w.get()->alive, w.get()->alive + 5), (std::vector<int32_t>{0, 0, 0, 0, 1}));
    ASSERT_EQ(Fish_Remake(&fish, w.get(), 2, 200, "horiz_slow"), 0);
    EXPECT_EQ(State(fish), (std::vector<int>{800, 207, 25, 14, 800, 207, COLLISION_FISH, 0}));
    EXPECT_EQ(DataOf(fish)->slot, 2);
    EXPECT_EQ(Fish_Remake(&w.fish(0), w.get(), 0, 200, "FishDead"), 0); /* the first type too */
    /* A used fish starts a fresh life as another type. */
    fish.dead = DataOf(fish)->eaten = 1, DataOf(fish)->age = 55, w.get()->alive[2] = 0;
    ASSERT_EQ(Fish_Remake(&fish, w.get(), 2, 200, "sword"), 0);
    EXPECT_EQ(State(fish), (std::vector<int>{800, 204, 40, 5, 790, 203, COLLISION_HARM, 0}));
    EXPECT_EQ((std::vector<int>{DataOf(fish)->eaten, DataOf(fish)->age, w.alive(2)}), (std::vector<int>{0, 0, 1}));
    const Lines bad = {"[ERROR] Bad memory.", "[ERROR] Invalid index value.",
        "[ERROR] Invalid fish type - cannot be NULL! (this is impossible)"};
    EXPECT_EQ(log.Take(), (Lines{bad[0], bad[0], bad[0], bad[1], bad[1], bad[2], "[ERROR] Could not find fish: Nemo.",
                              "[ERROR] Failed to find fish Nemo"}));
    /* The logged draw position is the previous life's. */
    EXPECT_TRUE(log.contains("Set Fish sprite data: wx:800, wy:207, ix:0, iy:182, iw:50, ih:9"));
    Object_t bare{}; /* a record whose construction failed has no data block */
    EXPECT_EQ(Starved(1, [&] { return Fish_Remake(&bare, w.get(), 3, 600, "crab"); }), -1);
    EXPECT_EQ(w.alive(3), 0);
    ASSERT_EQ(Fish_Load("ai_five", 0, "fish_slow", 25, 14, 0, 0, 5, 1.0f, 1.0f, 0, COLLISION_FISH), 0);
    EXPECT_EQ(Fish_Remake(&w.fish(1), w.get(), 1, 200, "ai_five"), -1);
    EXPECT_EQ(w.alive(1), 0);
    EXPECT_EQ(log.Take(true),
        (Lines{"[ERROR] Fish_Remake: Out of memory.", "[ERROR] Fish_Remake: Invalid AI type in fish template!"}));
}

TEST_F(FishClass, UpdateRetiresOnceAndNeverWithABadSlot) {
    HandWorld w(3);
    ASSERT_TRUE(w.Spawn(0, 200, "horiz_fast") == 0 && w.Spawn(1, 200, "horiz_slow") == 0);
    Object_t &slow = w.fish(1);
    for (int i = 0; i < 166; ++i) slow.UPDATE(&slow, w.get());
    ASSERT_EQ(slow.hitbox.x, -24);
    slow.dead = DataOf(slow)->eaten = 1; /* eaten in the tick in which it also leaves the screen */
    slow.UPDATE(&slow, w.get());
    EXPECT_EQ(slow.hitbox.x, -28);
    EXPECT_EQ(std::vector<int>({w.alive(1), w.get()->fish_count, w.get()->score}), std::vector<int>({0, 1, 10}));
    w.fish(0).dead = 1; /* slot 0 is a fish slot too */
    EXPECT_EQ(Fish_Update(&w.fish(0), w.get()), 0);
    EXPECT_EQ(std::vector<int>({w.alive(0), w.get()->fish_count, w.get()->score}), std::vector<int>({0, 0, 10}));
    w.get()->fish_count = 1;
    /* The slot comes from the fish's data: the player's index is no fish slot. */
    LogCapture log;
    for (int slot : {3, -1}) {
        DataOf(slow)->slot = slot;
        EXPECT_EQ(Fish_Update(&slow, w.get()), 0);
    }
    Object_t empty{};
    EXPECT_EQ(
        (std::vector<int>{Fish_Update(&slow, nullptr), Fish_Update(&empty, w.get()), Fish_Update(nullptr, w.get())}),
        (std::vector<int>{0, -1, -1}));
    EXPECT_EQ(std::vector<int>({w.alive(3), w.get()->fish_count, w.get()->score, DataOf(slow)->age}),
        std::vector<int>({1, 1, 10, 170}));
    EXPECT_EQ(log.Take(), (Lines{"[ERROR] Invalid index value.", "[ERROR] Invalid index value.", "[ERROR] Bad memory.",
                              "[ERROR] Bad memory.", "[ERROR] Bad memory."}));
}

/* A step that int32 cannot hold leaves the fish where it was. */
TEST_F(FishClass, AStepBeyondInt32LeavesTheCoordinate) {
    HandWorld w(1);
    ASSERT_EQ(Fish_Load("rocket", 0, "fish_slow", 25, 14, 0, 0, FISH_AI_HORIZONTAL, 3e9f, 1.0f, 10, COLLISION_FISH), 0);
    ASSERT_EQ(w.Spawn(0, 200, "rocket"), 0);
    w.fish(0).UPDATE(&w.fish(0), w.get());
    EXPECT_EQ(w.fish(0).hitbox.x, 800);
}

/* A crab whose steps land exactly on the bottom edge is still in the scene there, and leaves on the next step. */
TEST_F(FishClass, ACrabOnTheBottomEdgeHasNotLeft) {
    HandWorld w(1);
    ASSERT_EQ(Fish_Load("slow_crab", 0, "fish_crab", 25, 14, -3, -1, FISH_AI_CRAB, 2.0f, 0.0f, 0, COLLISION_HARM), 0);
    ASSERT_EQ(w.Spawn(0, 600, "slow_crab"), 0);
    Object_t &crab = w.fish(0);
    for (int i = 0; i < 208; ++i) crab.UPDATE(&crab, w.get()); /* from -14 by 2 */
    EXPECT_EQ((std::vector<int>{crab.hitbox.y, crab.dead}), (std::vector<int>{400, 0}));
    crab.UPDATE(&crab, w.get());
    EXPECT_EQ((std::vector<int>{crab.hitbox.y, w.alive(0)}), (std::vector<int>{402, 0}));
}

TEST(FishAnim, StepsThroughTheRingByFrameTimeAndStopsAtABrokenLink) {
    Sprite_t ring[3] = {{{0, 0, 1, 1}, nullptr, &ring[1], 2}, {{1, 0, 1, 1}, nullptr, &ring[2], 3},
        {{2, 0, 1, 1}, nullptr, nullptr, 1}};
    Object_t fish{};
    EXPECT_TRUE(Fish_Anim(&fish) == 0 && fish.sprite.frameCounter == 0); /* not animated: nothing moves */
    fish.sprite.animated = 1, fish.sprite.current = &ring[0], fish.sprite.frameCounter = -2;
    std::vector<int> shown;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Fish_Anim(&fish), 0);
        shown.push_back(fish.sprite.src.x * 10 + fish.sprite.frameCounter);
    }
    EXPECT_EQ(shown, (std::vector<int>{-1, 7, 8, 9, 19}));
    LogCapture log;
    EXPECT_EQ(Fish_Anim(&fish) + Fish_Anim(nullptr), -2);
    EXPECT_EQ(log.Take(), (Lines{"[ERROR] Bad next-sprite pointer in Animation."}));
}

TEST_F(FishClass, ClassLoadsAndLogDumpNamesNoBadKind) {
    LogCapture log;
    EXPECT_EQ(Class_LoadFish(), -1); /* no registry to take a class id from */
    ASSERT_TRUE(Object_Begin() == 0 && Object_PushLoadForClass(Class_LoadFish) == 0 && Object_LoadClasses() == 0);
    CollisionNames[COLLISION_FISH] = const_cast<char *>("COLLISION_FISH"); /* the other names stay unset */
    HandWorld w(2);
    Object_t &fish = w.fish(1);
    ASSERT_EQ(Fish_Remake(&fish, w.get(), 1, 200, "sine_wide"), 0);
    fish.id = 41, DataOf(fish)->age = 12;
    log.Take();
    for (int kind : std::vector<int>{COLLISION_FISH, COLLISION_HARM, -1, 6})
        EXPECT_EQ((fish.collision = kind, Fish_LogDump(&fish)), 0);
    EXPECT_EQ(Fish_LogDump(nullptr), -1);
    const Lines lines = log.Take();
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 5),
        (Lines{"[INFO] Object dump for Class: Fish", "[INFO]   Base Data - ID: 41, x: 800.000000, y: 207.000000",
            "[INFO]    Width: 32.000000, Height: 15.000000, Collision ID: COLLISION_FISH",
            "[INFO]    Age: 12 ticks, Points: 800", "[INFO]    Speed: 7.000000, Speed2: 18.000000"}));
    EXPECT_EQ(lines[7], "[INFO]    Width: 32.000000, Height: 15.000000, Collision ID: COLLISION_UNKNOWN");
    EXPECT_EQ((Lines{lines[15], lines[21], lines[22]}),
        (Lines{"[ERROR] Invalid collision value.", "[ERROR] Invalid collision value.", "[ERROR] Bad memory."}));
    EXPECT_TRUE(InOrder(log.lines(), {"Invalid class ID assigned to: Fish", "@@Loaded class: Fish"}));
}

} // namespace

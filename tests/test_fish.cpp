#include <gtest/gtest.h>

#include "class/fish.h"
#include "class/fish_ai.h"
#include "fish_fixture.h"
#include "object.h"
#include "test_support.h"

namespace {

using fmtest::CallInit;
using fmtest::DataOf;
using fmtest::HandWorld;
using fmtest::InOrder;
using fmtest::LogCapture;

void *const kEnd = nullptr;

class FishClass : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fmtest::LoadGameFish()); }
};

TEST_F(FishClass, InitMakesAnUnplacedPlaceholder)
{
    Object_t fish{};
    int start_y = 0;
    ASSERT_EQ(CallInit(Fish_Init, &fish, &start_y, "FishDead", kEnd), 0);
    ASSERT_NE(fish.data, nullptr);
    EXPECT_EQ(fish.hitbox.x, 800);
    EXPECT_EQ(fish.hitbox.y, 0);
    // The sprite's size, not the type's 32x10 hitbox.
    EXPECT_EQ(fish.hitbox.w, 32);
    EXPECT_EQ(fish.hitbox.h, 14);
    EXPECT_EQ(fish.UPDATE, &fish_ai_null);
    EXPECT_EQ(fish.collision, COLLISION_NULL);
    EXPECT_EQ(fish.sprite.current, Image_Get_Sprite("fish_pink", -1));
    EXPECT_EQ(fish.draw_y, 0);
    EXPECT_EQ(DataOf(fish)->slot, 0);
    Mem_Free(fish.data);

    int y = 37;
    Object_t other{};
    ASSERT_EQ(CallInit(Fish_Init, &other, &y, "sword", kEnd), 0);
    EXPECT_EQ(other.hitbox.y, 37);
    EXPECT_EQ(other.hitbox.w, 50);
    EXPECT_EQ(other.UPDATE, &fish_ai_sword);
    EXPECT_EQ(other.collision, COLLISION_HARM);
    EXPECT_EQ(DataOf(other)->speed2, 60.0f);
    Mem_Free(other.data);
}

TEST_F(FishClass, InitRefusesBadArgumentListsAndDropsItsData)
{
    LogCapture log;
    int y = 0;
    int marker = 0;
    Object_t fish{};

    EXPECT_EQ(CallInit(Fish_Init, &fish, &y, "FishDead", &marker, kEnd), -1);
    EXPECT_TRUE(log.contains("Bad parameter list passed to Fish initialisation!"));
    EXPECT_EQ(fish.data, nullptr);

    EXPECT_EQ(CallInit(Fish_Init, &fish, kEnd, "FishDead", kEnd), -1);
    EXPECT_TRUE(log.contains("Invalid parameters to Fish initialisation. Param: \"Start Y\""));
    EXPECT_FALSE(log.contains("FishType"));
    EXPECT_EQ(fish.data, nullptr);

    EXPECT_EQ(CallInit(Fish_Init, &fish, &y, kEnd), -1);
    EXPECT_TRUE(log.contains("Invalid parameters to Fish initialisation. Param: \"FishType\""));
    EXPECT_EQ(fish.data, nullptr);

    EXPECT_EQ(CallInit(Fish_Init, &fish, &y, "Nemo", kEnd), -1);
    EXPECT_TRUE(log.contains("Could not find fish: Nemo."));
    EXPECT_EQ(fish.data, nullptr);

    Mem_TestReset(1, 0);
    EXPECT_EQ(CallInit(Fish_Init, &fish, &y, "FishDead", kEnd), -1);
    Mem_TestReset(0, 0);
    EXPECT_TRUE(log.contains("[ERROR] (class/fish:Fish_Init():"));
    EXPECT_TRUE(log.contains("Out of memory."));
    EXPECT_EQ(fish.data, nullptr);
}

TEST_F(FishClass, RemakePlacesTheFishByItsSpriteAndMakesItLive)
{
    HandWorld w(4);
    Object_t &fish = w.fish(2);
    LogCapture log;
    ASSERT_EQ(Fish_Remake(&fish, w.get(), 2, 200, "horiz_slow"), 0);
    EXPECT_EQ(fish.hitbox.x, 800);
    EXPECT_EQ(fish.hitbox.y, 207);
    EXPECT_EQ(fish.hitbox.w, 25);
    EXPECT_EQ(fish.hitbox.h, 14);
    EXPECT_EQ(fish.sprite.dst.x, 800);
    EXPECT_EQ(fish.sprite.dst.y, 207);
    EXPECT_EQ(fish.collision, COLLISION_FISH);
    EXPECT_EQ(fish.UPDATE, &fish_ai_horizontal);
    EXPECT_EQ(fish.dead, 0);
    EXPECT_EQ(DataOf(fish)->age, 0);
    EXPECT_EQ(DataOf(fish)->slot, 2);
    EXPECT_EQ(DataOf(fish)->speed, 4.8f);
    EXPECT_EQ(w.alive(2), 1);
    EXPECT_EQ(w.alive(1), 0);
    EXPECT_EQ(w.get()->fish_count, 0);
    // The draw position logged is the previous life's, the source the new sprite's.
    EXPECT_TRUE(InOrder(log.lines(), {"Remaking fish, type: horiz_slow..",
                                      "Set Fish sprite data: wx:0, wy:0, ix:38, iy:0, iw:35, ih:14",
                                      "Remade Fish - Speed: 4.800000, Speed2: 1.000000"}));

    // A used fish starts a fresh life as another type.
    fish.dead = 1;
    DataOf(fish)->eaten = 1;
    DataOf(fish)->age = 55;
    w.get()->alive[2] = 0;
    ASSERT_EQ(Fish_Remake(&fish, w.get(), 2, 200, "sword"), 0);
    EXPECT_EQ(fish.hitbox.x, 800);
    EXPECT_EQ(fish.hitbox.y, 204);
    EXPECT_EQ(fish.hitbox.w, 40);
    EXPECT_EQ(fish.hitbox.h, 5);
    EXPECT_EQ(fish.sprite.dst.x, 790);
    EXPECT_EQ(fish.sprite.dst.y, 203);
    EXPECT_EQ(fish.dead, 0);
    EXPECT_EQ(DataOf(fish)->eaten, 0);
    EXPECT_EQ(DataOf(fish)->age, 0);
    EXPECT_EQ(fish.UPDATE, &fish_ai_sword);
    EXPECT_EQ(w.alive(2), 1);
    EXPECT_TRUE(log.contains("Set Fish sprite data: wx:800, wy:207, ix:0, iy:182, iw:50, ih:9"));

    ASSERT_EQ(Fish_Remake(&w.fish(0), w.get(), 0, 50, "FishDead"), 0);
    EXPECT_EQ(w.fish(0).UPDATE, &fish_ai_null);
    EXPECT_EQ(w.alive(0), 1);
}

TEST_F(FishClass, RemakeRefusalsChangeNoFlag)
{
    HandWorld w(4);
    Object_t &fish = w.fish(1);
    const Object_t before = fish;
    LogCapture log;

    EXPECT_EQ(Fish_Remake(&fish, w.get(), 4, 200, "horiz_slow"), -1);
    EXPECT_EQ(Fish_Remake(&fish, w.get(), -1, 200, "horiz_slow"), -1);
    EXPECT_TRUE(log.contains("Invalid index value."));
    EXPECT_EQ(Fish_Remake(&fish, w.get(), 1, 200, nullptr), -1);
    EXPECT_TRUE(log.contains("Invalid fish type - cannot be NULL! (this is impossible)"));
    EXPECT_EQ(Fish_Remake(&fish, nullptr, 1, 200, "horiz_slow"), -1);
    EXPECT_EQ(Fish_Remake(nullptr, w.get(), 1, 200, "horiz_slow"), -1);
    EXPECT_TRUE(log.contains("Bad memory."));
    EXPECT_EQ(Fish_Remake(&fish, w.get(), 1, 200, "Horiz_slow"), -1);
    EXPECT_TRUE(InOrder(log.lines(), {"Could not find fish: Horiz_slow.", "Failed to find fish Horiz_slow"}));

    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(w.alive(i), i == 4 ? 1 : 0) << i;
    EXPECT_EQ(fish.hitbox.x, before.hitbox.x);
    EXPECT_EQ(fish.hitbox.y, before.hitbox.y);
    EXPECT_EQ(fish.UPDATE, before.UPDATE);
}

TEST(FishClassAiRange, AnAiTypeWithoutRoutineIsCaughtWhenAFishIsMade)
{
    ASSERT_TRUE(fmtest::AddManifestSprites());
    ASSERT_EQ(Fish_Load_Init(10), 0);
    ASSERT_EQ(Fish_Load("FishDead", 0, "fish_pink", 32, 10, 0, -2, 0, 0.0f, 0.0f, 0, 0), 0);
    ASSERT_EQ(Fish_Load("odd", 0, "fish_red", 34, 11, 0, 0, 7, 6.6f, 1.0f, 50, COLLISION_FISH), 0);
    HandWorld w(2);
    LogCapture log;

    Object_t fish{};
    int y = 0;
    EXPECT_EQ(CallInit(Fish_Init, &fish, &y, "odd", kEnd), -1);
    EXPECT_TRUE(log.contains("Invalid AI type in fish template!"));
    EXPECT_EQ(fish.data, nullptr);

    EXPECT_EQ(Fish_Remake(&w.fish(0), w.get(), 0, 100, "odd"), -1);
    EXPECT_EQ(w.alive(0), 0);
    // The fresh copy of the type's data stays.
    EXPECT_EQ(DataOf(w.fish(0))->speed, 6.6f);
    EXPECT_EQ(w.fish(0).UPDATE, &fish_ai_null);
}

TEST_F(FishClass, UpdateRetiresOnceAndScoresOnlyEatenFish)
{
    HandWorld w(3);
    World_t *world = w.get();
    ASSERT_EQ(w.Spawn(0, 200, "horiz_med"), 0);
    ASSERT_EQ(w.Spawn(1, 200, "horiz_fast"), 0);
    ASSERT_EQ(world->fish_count, 2);
    world->score = 7;

    Object_t &med = w.fish(0);
    med.hitbox.x = 300;
    EXPECT_EQ(Fish_Update(&med, world), 0);
    EXPECT_EQ(DataOf(med)->age, 1);
    EXPECT_EQ(med.sprite.dst.x, 300);
    EXPECT_EQ(w.alive(0), 1);

    med.dead = 1; // left the screen, not eaten
    EXPECT_EQ(Fish_Update(&med, world), 0);
    EXPECT_EQ(w.alive(0), 0);
    EXPECT_EQ(world->fish_count, 1);
    EXPECT_EQ(world->score, 7);
    EXPECT_EQ(DataOf(med)->age, 2);

    Object_t &fast = w.fish(1);
    fast.dead = 1;
    DataOf(fast)->eaten = 1;
    EXPECT_EQ(Fish_Update(&fast, world), 0);
    EXPECT_EQ(w.alive(1), 0);
    EXPECT_EQ(world->fish_count, 0);
    EXPECT_EQ(world->score, 307);
    EXPECT_EQ(w.alive(3), 1);
}

TEST_F(FishClass, UpdateNeverIndexesTheWorldWithABadSlot)
{
    HandWorld w(2);
    ASSERT_EQ(w.Spawn(1, 200, "horiz_slow"), 0);
    Object_t &fish = w.fish(1);
    fish.dead = 1;
    DataOf(fish)->slot = 2; // the player's index, outside the fish slots
    LogCapture log;
    Fish_Update(&fish, w.get());
    EXPECT_TRUE(log.contains("Invalid index value."));
    EXPECT_EQ(w.alive(2), 1);
    EXPECT_EQ(w.get()->fish_count, 1);
}

TEST(FishCollision, HalfOpenBoxAnswersWithTheKindEvenWhenDead)
{
    Object_t fish{};
    fish.hitbox = {100, 50, 25, 14};
    fish.collision = COLLISION_POISON;
    EXPECT_EQ(Fish_Collision(&fish, 100.0f, 50.0f), COLLISION_POISON);
    EXPECT_EQ(Fish_Collision(&fish, 124.9f, 63.9f), COLLISION_POISON);
    EXPECT_EQ(Fish_Collision(&fish, 125.0f, 50.0f), COLLISION_NULL);
    EXPECT_EQ(Fish_Collision(&fish, 100.0f, 64.0f), COLLISION_NULL);
    EXPECT_EQ(Fish_Collision(&fish, 99.9f, 55.0f), COLLISION_NULL);
    EXPECT_EQ(Fish_Collision(&fish, 110.0f, 49.9f), COLLISION_NULL);
    fish.dead = 1;
    EXPECT_EQ(Fish_Collision(&fish, 110.0f, 55.0f), COLLISION_POISON);
    // A right edge beyond int32 must not wrap round to a negative one.
    fish.hitbox = {2000000000, 0, 2000000000, 10};
    EXPECT_EQ(Fish_Collision(&fish, 3.0e9f, 5.0f), COLLISION_POISON);
}

TEST(FishAnim, PlainSpritesStayAndAnimatedOnesStepOnFrameTime)
{
    Object_t fish{};
    Sprite_t plain{{0, 0, 10, 10}, nullptr, nullptr, -1};
    Image_SetSprite(&fish.sprite, &plain);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Fish_Anim(&fish), 0);
    EXPECT_EQ(fish.sprite.current, &plain);
    EXPECT_EQ(fish.sprite.frameCounter, 0);

    // Two frames in a ring, each shown for three calls after a step.
    Sprite_t a{{0, 0, 10, 10}, nullptr, nullptr, 3};
    Sprite_t b{{10, 0, 12, 10}, nullptr, &a, 3};
    a.next = &b;
    Image_SetSprite(&fish.sprite, &a);
    fish.sprite.animated = 1;
    fish.sprite.frameCounter = -3;
    std::vector<Sprite_t *> seen;
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(Fish_Anim(&fish), 0);
        seen.push_back(fish.sprite.current);
    }
    EXPECT_EQ(seen, (std::vector<Sprite_t *>{&a, &a, &b, &b, &b, &a, &a, &a, &b}));
    EXPECT_EQ(fish.sprite.src.x, 10);
    EXPECT_EQ(fish.sprite.src.w, 12);

    LogCapture log;
    b.next = nullptr;
    fish.sprite.frameCounter = 0;
    EXPECT_EQ(Fish_Anim(&fish), -1);
    EXPECT_TRUE(log.contains("Bad next-sprite pointer in Animation."));
    EXPECT_EQ(fish.sprite.current, &b);
}

class FishWithClasses : public FishClass {
protected:
    void SetUp() override
    {
        FishClass::SetUp();
        ASSERT_EQ(Object_Begin(), 0);
        ASSERT_EQ(Object_PushLoadForClass(Class_LoadFish), 0);
        ASSERT_EQ(Object_LoadClasses(), 0);
    }
};

TEST_F(FishWithClasses, ClassLoadFillsThePrototypeAndRefusesAfterStart)
{
    EXPECT_EQ(FishPrototype.class_id, 0);
    EXPECT_EQ(FishPrototype.UPDATE, &Fish_Update);
    EXPECT_EQ(FishPrototype.ANIM, &Fish_Anim);
    EXPECT_EQ(FishPrototype.INIT, &Fish_Init);
    EXPECT_EQ(FishPrototype.LOG, &Fish_LogDump);
    EXPECT_EQ(FishPrototype.COLLISION, &Fish_Collision);
    EXPECT_EQ(FishPrototype.data, nullptr);

    LogCapture log;
    EXPECT_EQ(Class_LoadFish(), -1);
    EXPECT_TRUE(log.contains("Invalid class ID assigned to: Fish"));
}

TEST_F(FishWithClasses, ObjectCreateHandsTheArgumentsToInit)
{
    Object_t fish{};
    int y = 120;
    ASSERT_EQ(Object_Create(&fish, &FishPrototype, &y, "crab", kEnd), 0);
    EXPECT_EQ(fish.UPDATE, &fish_ai_crab);
    EXPECT_EQ(fish.LOG, &Fish_LogDump);
    EXPECT_EQ(fish.hitbox.y, 120);
    EXPECT_EQ(fish.hitbox.w, 31);
    Mem_Free(fish.data);
}

TEST_F(FishWithClasses, LogDumpWritesItsLinesAndNamesNoBadKind)
{
    static char fish_name[] = "COLLISION_FISH";
    char *saved[COLLISION_KIND_COUNT];
    for (int i = 0; i < COLLISION_KIND_COUNT; ++i) {
        saved[i] = CollisionNames[i];
        CollisionNames[i] = nullptr;
    }
    CollisionNames[COLLISION_FISH] = fish_name;

    HandWorld w(2);
    Object_t &fish = w.fish(1);
    ASSERT_EQ(Fish_Remake(&fish, w.get(), 1, 200, "sine_wide"), 0);
    fish.id = 41;
    DataOf(fish)->age = 12;
    {
        LogCapture log;
        EXPECT_EQ(Fish_LogDump(&fish), 0);
        const auto lines = log.lines();
        ASSERT_EQ(lines.size(), 5u);
        const std::string pre = "[INFO] (class/fish:Fish_LogDump():";
        for (const auto &line : lines)
            EXPECT_EQ(line.rfind(pre, 0), 0u) << line;
        auto msg = [](const std::string &line) { return line.substr(line.find(") ") + 2); };
        EXPECT_EQ(msg(lines[0]), "Object dump for Class: Fish");
        EXPECT_EQ(msg(lines[1]), "  Base Data - ID: 41, x: 800.000000, y: 207.000000");
        EXPECT_EQ(msg(lines[2]), "   Width: 32.000000, Height: 15.000000, Collision ID: COLLISION_FISH");
        EXPECT_EQ(msg(lines[3]), "   Age: 12 ticks, Points: 800");
        EXPECT_EQ(msg(lines[4]), "   Speed: 7.000000, Speed2: 18.000000");
    }
    {
        LogCapture log;
        fish.collision = 9;
        EXPECT_EQ(Fish_LogDump(&fish), 0);
        const auto lines = log.lines();
        ASSERT_EQ(lines.size(), 6u);
        EXPECT_NE(lines[2].find("Collision ID: COLLISION_UNKNOWN"), std::string::npos);
        EXPECT_EQ(lines[5].rfind("[ERROR] (class/fish:Fish_LogDump():", 0), 0u);
        EXPECT_NE(lines[5].find(") Invalid collision value."), std::string::npos);
        fish.collision = -1;
        EXPECT_EQ(Fish_LogDump(&fish), 0);
        EXPECT_EQ(log.lines().size(), 12u);
    }
    {
        // A kind in range whose name is missing from the table.
        LogCapture log;
        fish.collision = COLLISION_HARM;
        EXPECT_EQ(Fish_LogDump(&fish), 0);
        EXPECT_TRUE(log.contains("Collision ID: COLLISION_UNKNOWN"));
        EXPECT_FALSE(log.contains("Invalid collision value."));
    }
    for (int i = 0; i < COLLISION_KIND_COUNT; ++i)
        CollisionNames[i] = saved[i];
}

} // namespace

#include <gtest/gtest.h>

#include "class/fish.h"
#include "class/fish_ai.h"
#include "fish_fixture.h"
#include "test_support.h"

namespace {

using fmtest::InOrder;
using fmtest::LogCapture;

const char kClosing[] = "Could not load Fish: ";

/* A valid row, varied by the test. */
int LoadPlain(const char *name, int animated = 0, int ai_type = FISH_AI_HORIZONTAL,
              const char *sprite = "fish_slow")
{
    return Fish_Load(name, animated, sprite, 25, 14, 1, 2, ai_type, 4.8f, 1.5f, 10, COLLISION_FISH);
}

TEST(FishCatalogue, LoadBeforeInitIsRefusedWithBothLines)
{
    ASSERT_TRUE(fmtest::AddManifestSprites());
    LogCapture log;
    EXPECT_EQ(LoadPlain("early"), -1);
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("[ERROR] (class/fish:Fish_Load():", 0), 0u);
    EXPECT_NE(lines[0].find("Arrays are NULL, check Fish_Data_Init() is called."), std::string::npos);
    EXPECT_NE(lines[1].find("errno: None) Could not load Fish: early"), std::string::npos);
    EXPECT_EQ(Fish_TypeCount(), 0);
    EXPECT_EQ(Fish_FindType("early"), -1);
}

TEST(FishCatalogue, InitRefusesBadCapacityAndASecondInit)
{
    LogCapture log;
    EXPECT_EQ(Fish_Load_Init(0), -1);
    EXPECT_EQ(Fish_Load_Init(-4), -1);
    EXPECT_TRUE(log.contains("Invalid parameter for number of fish!"));
    EXPECT_EQ(Fish_AICount(), 0);

    // The refusals left the catalogue uninitialised, so a good call works.
    ASSERT_EQ(Fish_Load_Init(10), 0);
    EXPECT_EQ(Fish_Load_Init(10), -1);
    EXPECT_TRUE(log.contains("Cannot initialise data that already exists!"));

    // The routine table follows the ai_type numbering.
    ASSERT_EQ(Fish_AICount(), 5);
    EXPECT_EQ(Fish_GetAI(FISH_AI_NULL), &fish_ai_null);
    EXPECT_EQ(Fish_GetAI(FISH_AI_HORIZONTAL), &fish_ai_horizontal);
    EXPECT_EQ(Fish_GetAI(FISH_AI_SINE), &fish_ai_sine);
    EXPECT_EQ(Fish_GetAI(FISH_AI_SWORD), &fish_ai_sword);
    EXPECT_EQ(Fish_GetAI(FISH_AI_CRAB), &fish_ai_crab);
    EXPECT_EQ(Fish_GetAI(5), nullptr);
    EXPECT_EQ(Fish_GetAI(-1), nullptr);
}

TEST(FishCatalogue, InitWithoutMemoryLeavesEveryLoadRefused)
{
    ASSERT_TRUE(fmtest::AddManifestSprites());
    Mem_TestReset(1, 0);
    EXPECT_EQ(Fish_Load_Init(10), 0);
    Mem_TestReset(0, 0);
    LogCapture log;
    EXPECT_EQ(LoadPlain("a"), -1);
    EXPECT_TRUE(InOrder(log.lines(), {"Arrays are NULL, check Fish_Data_Init() is called.",
                                      "Could not load Fish: a"}));
    // Still initialised: a second init is refused by the loading state.
    EXPECT_EQ(Fish_Load_Init(10), -1);
    EXPECT_TRUE(log.contains("Invalid loading state for fish data!"));
    EXPECT_EQ(Fish_FreeAll(), 0);
}

TEST(FishCatalogue, LoadChecksParametersAndStoresTheType)
{
    ASSERT_TRUE(fmtest::AddManifestSprites());
    ASSERT_EQ(Fish_Load_Init(10), 0);
    LogCapture log;

    EXPECT_EQ(LoadPlain("bad_anim", 2), -1);
    EXPECT_TRUE(InOrder(log.lines(), {"Invalid value for parameter: 'animated'",
                                      std::string(kClosing) + "bad_anim"}));
    EXPECT_EQ(LoadPlain("bad_ai", 0, -1), -1);
    EXPECT_TRUE(InOrder(log.lines(), {"Invalid value for parameter: 'ai_type'",
                                      std::string(kClosing) + "bad_ai"}));
    EXPECT_EQ(LoadPlain("no_sprite", 0, 1, "fish_nothing"), -1);
    EXPECT_TRUE(InOrder(log.lines(), {"Could not get sprite: fish_nothing",
                                      "Failed to get sprite data for fish!",
                                      std::string(kClosing) + "no_sprite"}));
    // A plain sprite is no animation.
    EXPECT_EQ(LoadPlain("not_anim", 1), -1);
    EXPECT_TRUE(log.contains("Could not get animation: fish_slow"));
    EXPECT_EQ(Fish_TypeCount(), 0);
    EXPECT_EQ(Fish_FindType("no_sprite"), -1);

    // The refused calls took no slot: the first good type is index 0.
    ASSERT_EQ(Fish_Load("first", 0, "fish_slow", 25, 14, -3, -1, FISH_AI_SINE, 7.6f, 2.3f, 100,
                        COLLISION_HARM),
              0);
    EXPECT_EQ(Fish_FindType("first"), 0);
    const FishData *d = Fish_GetData(0);
    const FishTemplate *t = Fish_GetTemplate(0);
    ASSERT_NE(d, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(d->age, 0);
    EXPECT_EQ(d->speed, 7.6f);
    EXPECT_EQ(d->speed2, 2.3f);
    EXPECT_EQ(d->points, 100);
    EXPECT_EQ(d->eaten, 0);
    EXPECT_EQ(d->slot, 0);
    EXPECT_EQ(t->ai_type, FISH_AI_SINE);
    EXPECT_EQ(t->collision, COLLISION_HARM);
    EXPECT_EQ(t->animated, 0);
    EXPECT_EQ(t->sprite, Image_Get_Sprite("fish_slow", -1));
    EXPECT_EQ(t->draw_x, -3);
    EXPECT_EQ(t->draw_y, -1);
    EXPECT_EQ(t->hitbox_w, 25);
    EXPECT_EQ(t->hitbox_h, 14);
    EXPECT_TRUE(log.contains("DEBUG class/fish:Fish_Load():"));
    EXPECT_TRUE(log.contains("Loaded new fish first, Speed: 7.600000, Speed2: 2.300000"));

    // No upper bound on ai_type here: it is caught when a fish is made.
    EXPECT_EQ(LoadPlain("ai_seven", 0, 7), 0);
    EXPECT_EQ(Fish_GetTemplate(1)->ai_type, 7);
    EXPECT_EQ(Fish_GetData(2), nullptr);
}

TEST(FishCatalogue, TheEleventhTypeFindsNoRoom)
{
    ASSERT_TRUE(fmtest::AddManifestSprites());
    ASSERT_EQ(Fish_Load_Init(10), 0);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(LoadPlain(("t" + std::to_string(i)).c_str()), 0) << i;
    LogCapture log;
    EXPECT_EQ(LoadPlain("t10"), -1);
    EXPECT_TRUE(InOrder(log.lines(), {"Not enough room for new fish type.", "Could not load Fish: t10"}));
    EXPECT_EQ(Fish_TypeCount(), 10);
    EXPECT_EQ(Fish_FindType("t9"), 9);
    EXPECT_EQ(Fish_FreeAll(), 0);
}

TEST(FishCatalogue, NameCopyWithoutMemoryAddsNothing)
{
    ASSERT_TRUE(fmtest::AddManifestSprites());
    ASSERT_EQ(Fish_Load_Init(10), 0);
    LogCapture log;
    Mem_TestReset(1, 0);
    EXPECT_EQ(LoadPlain("starved"), -1);
    Mem_TestReset(0, 0);
    EXPECT_TRUE(InOrder(log.lines(), {"Out of memory.", "Could not load Fish: starved"}));
    EXPECT_EQ(Fish_TypeCount(), 0);
    EXPECT_EQ(LoadPlain("fed"), 0);
    EXPECT_EQ(Fish_FindType("fed"), 0);
}

TEST(FishCatalogue, NullNamesAreRefusedNotCopied)
{
    ASSERT_TRUE(fmtest::AddManifestSprites());
    ASSERT_EQ(Fish_Load_Init(10), 0);
    LogCapture log;
    EXPECT_EQ(LoadPlain(nullptr), -1);
    EXPECT_TRUE(log.contains("Could not load Fish: (null)"));
    EXPECT_EQ(Fish_TypeCount(), 0);
    EXPECT_EQ(Fish_FindType(nullptr), -1);
}

TEST(FishCatalogue, FindIsExactCaseSensitiveAndFirstWins)
{
    ASSERT_TRUE(fmtest::AddManifestSprites());
    ASSERT_EQ(Fish_Load_Init(10), 0);
    ASSERT_EQ(LoadPlain("puffer"), 0);
    ASSERT_EQ(LoadPlain("twin"), 0);
    ASSERT_EQ(LoadPlain("twin"), 0);
    LogCapture log;
    EXPECT_EQ(Fish_FindType("Puffer"), -1);
    EXPECT_TRUE(log.contains("[ERROR] (class/fish:Fish_FindType():"));
    EXPECT_TRUE(log.contains("Could not find fish: Puffer."));
    EXPECT_EQ(Fish_FindType("puff"), -1);
    EXPECT_EQ(Fish_FindType("puffers"), -1);
    EXPECT_EQ(Fish_FindType("twin"), 1);
}

TEST(FishCatalogue, GameTableLoadsNineTypesInRowOrder)
{
    LogCapture log;
    ASSERT_TRUE(fmtest::LoadGameFish());
    EXPECT_TRUE(log.contains("DEBUG game:Main_LoadFish():"));
    EXPECT_TRUE(log.contains("Starting fish load..."));
    ASSERT_EQ(Fish_TypeCount(), 9);
    const char *names[] = {"FishDead", "horiz_slow", "horiz_med", "horiz_fast", "sine_slow",
                           "sine_wide", "sword", "crab", "puffer"};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Fish_FindType(names[i]), i) << names[i];

    // Spot checks of values the movement tests do not reach.
    EXPECT_EQ(Fish_GetTemplate(0)->collision, COLLISION_NULL);
    EXPECT_EQ(Fish_GetTemplate(0)->draw_y, -2);
    EXPECT_EQ(Fish_GetTemplate(6)->collision, COLLISION_HARM);
    EXPECT_EQ(Fish_GetTemplate(7)->collision, COLLISION_HARM);
    EXPECT_EQ(Fish_GetTemplate(8)->collision, COLLISION_POISON);
    const int points[] = {0, 10, 50, 300, 100, 800, 0, 0, 0};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Fish_GetData(i)->points, points[i]) << names[i];
        EXPECT_EQ(Fish_GetTemplate(i)->animated, 0) << names[i];
    }
    EXPECT_EQ(Fish_GetTemplate(5)->sprite, Image_Get_Sprite("fish_green", -1));
    EXPECT_EQ(Fish_GetTemplate(8)->sprite, Image_Get_Sprite("fish_puffer", -1));
}

TEST(FishCatalogue, GameTableStopsAtTheFirstMissingSprite)
{
    ASSERT_TRUE(fmtest::AddManifestSprites("fish_green"));
    LogCapture log;
    EXPECT_EQ(Main_LoadFish(), -1);
    EXPECT_TRUE(InOrder(log.lines(), {"Could not load Fish: sine_wide", "[ERROR] (game:Main_LoadFish():"}));
    EXPECT_TRUE(log.lines().back().find("ASSERT catch") != std::string::npos);
    // Rows after the failing one are not tried.
    EXPECT_EQ(Fish_TypeCount(), 5);
    EXPECT_FALSE(log.contains("Could not load Fish: sword"));
}

TEST(FishCatalogue, FreeAllReleasesAndToleratesNothingLoaded)
{
    EXPECT_EQ(Fish_FreeAll(), 0);
    ASSERT_TRUE(fmtest::LoadGameFish());
    EXPECT_EQ(Fish_FreeAll(), 0);
    EXPECT_EQ(Fish_GetData(0), nullptr);
    EXPECT_EQ(Fish_GetTemplate(0), nullptr);
    EXPECT_EQ(Fish_FindType("FishDead"), -1);
    EXPECT_EQ(Fish_FreeAll(), 0);
}

} // namespace

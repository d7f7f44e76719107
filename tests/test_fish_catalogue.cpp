#include <gtest/gtest.h>

#include <string>

#include "fish_fixture.h"
#include "test_support.h"

namespace {

using namespace fmtest;

/* A valid row, varied by the test. */
int Plain(const char *name, int animated = 0, int ai_type = FISH_AI_HORIZONTAL, const char *sprite = "fish_slow")
{
    return Fish_Load(name, animated, sprite, 25, 14, 1, 2, ai_type, 4.8f, 1.5f, 10, COLLISION_FISH);
}

TEST(FishCatalogue, RefusalsAddNothingAndTheTenthTypeFillsIt)
{
    ASSERT_TRUE(AddManifestSprites());
    LogCapture log;
    EXPECT_EQ(Plain("early"), -1);
    EXPECT_EQ(Fish_Load_Init(0), -1);
    ASSERT_EQ(Fish_Load_Init(10), 0); // the refusal left it uninitialised
    EXPECT_EQ(Fish_Load_Init(10), -1);
    EXPECT_EQ(Plain("bad_anim", 2), -1);
    EXPECT_EQ(Plain("bad_ai", 0, -1), -1);
    EXPECT_EQ(Plain("no_sprite", 0, FISH_AI_HORIZONTAL, "fish_nothing"), -1);
    EXPECT_EQ(Plain(nullptr), -1);
    EXPECT_EQ(Fish_TypeCount(), 0);
    // No upper bound on ai_type here; it is caught when a fish is made.
    ASSERT_EQ(Plain("ai_seven", 0, 7), 0);
    EXPECT_EQ(Fish_FindType("ai_seven"), 0);
    Object_t fish{};
    int y = 0;
    EXPECT_EQ(CallInit(Fish_Init, &fish, &y, "ai_seven", static_cast<void *>(nullptr)), -1);
    EXPECT_EQ(fish.data, nullptr);
    for (int i = 1; i < 10; ++i)
        ASSERT_EQ(Plain(("t" + std::to_string(i)).c_str()), 0) << i;
    EXPECT_EQ(Plain("t10"), -1);
    EXPECT_EQ(Fish_TypeCount(), 10);
    EXPECT_TRUE(InOrder(log.lines(), {"Arrays are NULL, check Fish_Data_Init() is called.", "Could not load Fish: early",
                                      "Invalid parameter for number of fish!",
                                      "Cannot initialise data that already exists!",
                                      "Invalid value for parameter: 'animated'", "Could not load Fish: bad_anim",
                                      "Invalid value for parameter: 'ai_type'", "Could not load Fish: bad_ai",
                                      "Failed to get sprite data for fish!", "Could not load Fish: no_sprite",
                                      "Invalid AI type in fish template!", "Not enough room for new fish type.",
                                      "Could not load Fish: t10"}));
}

TEST(FishCatalogue, GameTableLoadsNineTypesFoundByExactName)
{
    ASSERT_TRUE(LoadGameFish());
    EXPECT_EQ(Fish_TypeCount(), 9);
    const char *names[] = {"FishDead", "horiz_slow", "horiz_med", "horiz_fast", "sine_slow",
                           "sine_wide", "sword", "crab", "puffer"};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Fish_FindType(names[i]), i) << names[i];
    LogCapture log;
    EXPECT_EQ(Fish_FindType("Puffer"), -1);
    EXPECT_EQ(Fish_FindType("puff"), -1);
    EXPECT_EQ(Fish_FindType(nullptr), -1);
    EXPECT_TRUE(log.contains("Could not find fish: Puffer."));
    EXPECT_EQ(Fish_FreeAll(), 0);
    EXPECT_EQ(Fish_FindType("FishDead"), -1);
    EXPECT_EQ(Fish_FreeAll(), 0); // nothing left to release twice
}

} // namespace



#include "class/fish_ai.h"
#include "fish_fixture.h"

namespace {

using namespace fmtest;

/* A valid row, varied by the test. */
int Plain(const char *name, int animated = 0, int ai_type = FISH_AI_HORIZONTAL, const char *sprite = "fish_slow") {
    return Fish_Load(name, animated, sprite, 25, 14, 1, 2, ai_type, 4.8f, 1.5f, 10, COLLISION_FISH);
}

TEST(FishCatalogue, RefusalsAddNothingAndTheTenthTypeFillsIt) {
    ASSERT_TRUE(AddManifestSprites());
    LogCapture log;
    EXPECT_EQ((std::vector<int>{Plain("early"), Fish_FindType("early"), Fish_AICount(), Fish_Load_Init(0)}),
        (std::vector<int>{-1, -1, 0, -1}));
    ASSERT_EQ(Fish_Load_Init(1), 0); /* the refusal left it uninitialised */
    EXPECT_EQ((std::vector<int>{Fish_Load_Init(10), Fish_AICount()}), (std::vector<int>{-1, 5}));
    const FishAI_t routines[] = {fish_ai_null, fish_ai_horizontal, fish_ai_sine, fish_ai_sword, fish_ai_crab, nullptr};
    for (int ai = -1; ai <= 5; ++ai) EXPECT_EQ(Fish_GetAI(ai), ai < 0 ? nullptr : routines[ai]) << ai;
    /* An animated type names an animation; no upper bound on the AI here: it is caught when a fish is made. */
    EXPECT_EQ((std::vector<int>{Plain("bad_anim", 2), Plain("bad_anim", -1), Plain("bad_ai", 0, -1),
                  Plain("no_sprite", 0, FISH_AI_HORIZONTAL, "fish_nothing"), Plain("no_animation", 1), Plain(nullptr),
                  Starved(1, [] { return Plain("no_memory"); }), Fish_TypeCount(), Plain("ai_five", 0, 5),
                  Plain("second"), Fish_TypeCount(), Fish_FindType(nullptr), Fish_FindType("ai_five")}),
        (std::vector<int>{-1, -1, -1, -1, -1, -1, -1, 0, 0, -1, 1, -1, 0}));
    EXPECT_EQ(log.Take(),
        (Lines{"[ERROR] Arrays are NULL, check Fish_Data_Init() is called.", "[ERROR] Could not load Fish: early",
            "[ERROR] Could not find fish: early.", "[ERROR] Invalid parameter for number of fish!",
            "[ERROR] Cannot initialise data that already exists!", "[ERROR] Invalid value for parameter: 'animated'",
            "[ERROR] Could not load Fish: bad_anim", "[ERROR] Invalid value for parameter: 'animated'",
            "[ERROR] Could not load Fish: bad_anim", "[ERROR] Invalid value for parameter: 'ai_type'",
            "[ERROR] Could not load Fish: bad_ai", "[ERROR] Invalid sprite handle provided.",
            "[ERROR] Could not get sprite: fish_nothing", "[ERROR] Failed to get sprite data for fish!",
            "[ERROR] Could not load Fish: no_sprite", "[ERROR] Invalid sprite handle provided.",
            "[ERROR] Could not get animation: fish_slow", "[ERROR] Failed to get sprite data for fish!",
            "[ERROR] Could not load Fish: no_animation", "[ERROR] Invalid value for parameter: 'name'",
            "[ERROR] Could not load Fish: (null)", "[ERROR] Out of memory.", "[ERROR] Could not load Fish: no_memory",
            "[ERROR] Not enough room for new fish type.", "[ERROR] Could not load Fish: second",
            "[ERROR] Could not find fish: (null)."}));
    Object_t fish{};
    int y = 0;
    EXPECT_EQ(CallInit(Fish_Init, &fish, &y, "ai_five", static_cast<void *>(nullptr)), -1);
    EXPECT_EQ(fish.data, nullptr);
    EXPECT_EQ(Fish_FreeAll(), 0); /* once loading has begun it cannot begin again */
    EXPECT_EQ(Fish_Load_Init(1), -1);
    EXPECT_EQ(log.Take(true), (Lines{"[ERROR] Fish_Init: Invalid AI type in fish template!",
                                  "[ERROR] Fish_Load_Init: Invalid loading state for fish data!"}));
}

} // namespace



#include "class/fish_ai.h"
#include "fish_fixture.h"

namespace {

using namespace fmtest;

/* A valid row, varied by the test. */
int Plain(const char *name, int animated = 0, int ai_type = FISH_AI_HORIZONTAL, const char *sprite = "fish_slow") {
    return Fish_Load(name, animated, sprite, 25, 14, 1, 2, ai_type, 4.8f, 1.5f, 10, COLLISION_FISH);
}

TEST(FishCatalogue, RefusalsAddNothingAndOneTypeFillsIt) {
    ASSERT_TRUE(AddManifestSprites());
    Transcript t("fish_catalogue");
    SAY(t, Plain("early"));
    SAY(t, Fish_FindType("early"));
    SAY(t, Fish_AICount());
    SAY(t, Fish_Load_Init(0));
    SAY(t, Fish_Load_Init(1)); /* the refusal left it uninitialised */
    SAY(t, Fish_Load_Init(10));
    SAY(t, Fish_AICount());
    SAY(t, Fish_GetAI(0) == fish_ai_null);
    SAY(t, Fish_GetAI(1) == fish_ai_horizontal);
    SAY(t, Fish_GetAI(2) == fish_ai_sine);
    SAY(t, Fish_GetAI(3) == fish_ai_sword);
    SAY(t, Fish_GetAI(4) == fish_ai_crab);
    SAY(t, Fish_GetAI(5) == nullptr);
    SAY(t, Fish_GetAI(-1));
    /* An animated type names an animation; no upper bound on the AI here: it is caught when a fish is made. */
    SAY(t, Plain("bad_anim", 2));
    SAY(t, Plain("bad_anim", -1));
    SAY(t, Plain("bad_ai", 0, -1));
    SAY(t, Plain("no_sprite", 0, FISH_AI_HORIZONTAL, "fish_nothing"));
    SAY(t, Plain("no_animation", 1));
    SAY(t, Plain(nullptr));
    SAY(t, Starved(1, [] { return Plain("no_memory"); }));
    SAY(t, Fish_TypeCount());
    SAY(t, Plain("ai_five", 0, 5));
    SAY(t, Plain("second"));
    SAY(t, Fish_TypeCount());
    SAY(t, Fish_GetTemplate(Fish_TypeCount())); /* one past the last type */
    SAY(t, Fish_FindType(nullptr));
    SAY(t, Fish_FindType("ai_five"));
    Object_t fish{};
    int y = 0;
    SAY(t, CallInit(Fish_Init, nullptr, &y, "ai_five", static_cast<void *>(nullptr)));
    SAY(t, CallInit(Fish_Init, &fish, &y, "ai_five", static_cast<void *>(nullptr)));
    SAY(t, fish.data);
    SAY(t, Fish_FreeAll()); /* once loading has begun it cannot begin again */
    SAY(t, Fish_Load_Init(1));
}

} // namespace

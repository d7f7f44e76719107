
#include "class/fish_ai.h"
#include "fish_fixture.h"

namespace {

using namespace fmtest;

/* A fish's record as a line: its box, where its sprite is drawn, its kind and its data. */
std::string Record(Object_t &o) {
    const FishData *d = DataOf(o);
    char line[256];
    snprintf(line, sizeof line, "box %d,%d %dx%d, drawn at %d,%d, collision %d, dead %d, slot %d, eaten %d, age %d",
        o.hitbox.x, o.hitbox.y, o.hitbox.w, o.hitbox.h, o.sprite.dst.x, o.sprite.dst.y, o.collision, o.dead, d->slot,
        d->eaten, d->age);
    return line;
}

/* The world's fish count, score and live flags, the shark's last. */
std::string Flags(const World_t *w) {
    std::string out = std::to_string(w->fish_count) + " fish, score " + std::to_string(w->score) + ", live:";
    for (int i = 0; i < w->entity_count; ++i) out += " " + std::to_string(w->alive[i]);
    return out;
}

class FishClass : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadGameFish()); }
};

TEST_F(FishClass, RemakePlacesTheFishByItsSpriteAndMakesItLive) {
    HandWorld w(4);
    Object_t &fish = w.fish(2);
    World_t no_flags{};
    no_flags.max_fish = 4;
    Object_t bare{}; /* a record whose construction failed has no data block */
    Transcript t("fish_remake");
    SAY(t, Fish_Remake(nullptr, w.get(), 2, 200, "crab"));
    SAY(t, Fish_Remake(&fish, nullptr, 2, 200, "crab"));
    SAY(t, Fish_Remake(&fish, &no_flags, 2, 200, "crab"));
    SAY(t, Fish_Remake(&fish, w.get(), 4, 200, "crab"));
    SAY(t, Fish_Remake(&fish, w.get(), -1, 200, "crab"));
    SAY(t, Fish_Remake(&fish, w.get(), 2, 200, nullptr));
    SAY(t, Fish_Remake(&fish, w.get(), 2, 200, "Nemo"));
    SAY(t, Starved(1, [&] { return Fish_Remake(&bare, w.get(), 3, 600, "crab"); }));
    SAY(t, Fish_Load("ai_five", 0, "fish_slow", 25, 14, 0, 0, 5, 1.0f, 1.0f, 0, COLLISION_FISH));
    SAY(t, Fish_Remake(&w.fish(1), w.get(), 1, 200, "ai_five"));
    /* The first type too; its sprite is taller than its hitbox. */
    SAY(t, Fish_Remake(&w.fish(0), w.get(), 0, 200, "FishDead"));
    t.Note(Record(w.fish(0)));
    t.Note(Flags(w.get()));
}

TEST_F(FishClass, UpdateRetiresOnceAndNeverWithABadSlot) {
    HandWorld w(3);
    Object_t &slow = w.fish(1);
    ASSERT_EQ(w.Spawn(1, 200, "horiz_slow"), 0);
    for (int i = 0; i < 166; ++i) slow.UPDATE(&slow, w.get());
    Transcript t("fish_retire");
    slow.dead = 1; /* eaten in the tick in which it also leaves the screen */
    DataOf(slow)->eaten = 1;
    SAY(t, slow.UPDATE(&slow, w.get()));
    t.Note(Flags(w.get()));
    for (int slot : {3, -1}) { /* the slot comes from the fish's data: the player's index is no fish slot */
        DataOf(slow)->slot = slot;
        SAY(t, Fish_Update(&slow, w.get()));
    }
    Object_t empty{};
    SAY(t, Fish_Update(&slow, nullptr));
    SAY(t, Fish_Update(&empty, w.get()));
    SAY(t, Fish_Update(nullptr, w.get()));
    SAY(t, fish_ai_null(&empty, w.get()));
    SAY(t, fish_ai_horizontal(&empty, w.get())); /* each way of moving refuses a fish without data */
    SAY(t, fish_ai_sine(&empty, w.get()));
    SAY(t, fish_ai_sword(&empty, w.get()));
    SAY(t, fish_ai_crab(&empty, w.get()));
    t.Note(Record(slow));
    t.Note(Flags(w.get()));
}

/* A step to 2^31, just past what int32 holds, leaves the fish where it was;
 * one to -2^31, the first value it holds, is taken (and the fish has left);
 * a crab whose step lands exactly on the bottom edge is still in the scene
 * there, and leaves on the next step. */
TEST_F(FishClass, StepsAtTheEdges) {
    HandWorld w(2);
    Object_t &rocket = w.fish(0);
    Object_t &crab = w.fish(1);
    ASSERT_EQ(w.Spawn(0, 200, "horiz_slow"), 0);
    ASSERT_EQ(w.Spawn(1, 600, "crab"), 0);
    DataOf(rocket)->speed = -2147482880.0f; /* 800 plus this rounds to 2^31 */
    Transcript t("fish_edges");
    SAY(t, rocket.UPDATE(&rocket, w.get()));
    t.Note(Record(rocket));
    DataOf(rocket)->speed = 2147484416.0f; /* 800 less this rounds to -2^31 */
    SAY(t, rocket.UPDATE(&rocket, w.get()));
    t.Note(Record(rocket));
    SAY(t, crab.UPDATE(&crab, w.get())); /* drops in from above */
    crab.hitbox.y = FIELD_H - 4;         /* a step above the bottom edge */
    SAY(t, crab.UPDATE(&crab, w.get()));
    t.Note(Record(crab));
    SAY(t, crab.UPDATE(&crab, w.get()));
    t.Note(Record(crab));
    t.Note(Flags(w.get()));
}

TEST(FishAnim, StepsThroughTheRingByFrameTimeAndStopsAtABrokenLink) {
    Sprite_t ring[3] = {
        {{0, 0, 1, 1}, nullptr, &ring[1], 2},
        {{1, 0, 1, 1}, nullptr, &ring[2], 3},
        {{2, 0, 1, 1}, nullptr, nullptr, 1},
    };
    Object_t fish{};
    const auto shown = [&] {
        return "showing " + std::to_string(fish.sprite.src.x) + ", counter " + std::to_string(fish.sprite.frameCounter);
    };
    Transcript t("fish_anim");
    t.Note("a ring of frames 0, 1 and 2, whose frame times are 2, 3 and 1, the last linking nowhere");
    SAY(t, Fish_Anim(&fish)); /* not animated: nothing moves */
    t.Note(shown());
    fish.sprite.animated = 1;
    fish.sprite.current = &ring[0];
    fish.sprite.frameCounter = 2; /* as the first frame, just made current, leaves it */
    for (int i = 0; i < 5; ++i) {
        SAY(t, Fish_Anim(&fish));
        t.Note(shown());
    }
    SAY(t, Fish_Anim(&fish)); /* the last frame links nowhere */
    SAY(t, Fish_Anim(nullptr));
}

TEST_F(FishClass, ClassLoadsAndLogDumpNamesNoBadKind) {
    Transcript t("fish_dump");
    SAY(t, Class_LoadFish()); /* no registry to take a class id from */
    SAY(t, Object_Begin());
    SAY(t, Object_PushLoadForClass(Class_LoadFish));
    SAY(t, Object_LoadClasses());
    CollisionNames[COLLISION_NULL] = const_cast<char *>("COLLISION_NULL"); /* the other names stay unset */
    CollisionNames[COLLISION_FISH] = const_cast<char *>("COLLISION_FISH");
    HandWorld w(2);
    Object_t &fish = w.fish(1);
    SAY(t, Fish_Remake(&fish, w.get(), 1, 200, "sine_wide"));
    fish.id = 41;
    DataOf(fish)->age = 12;
    for (int kind : std::vector<int>{COLLISION_NULL, COLLISION_FISH, COLLISION_HARM, -1, 6}) {
        fish.collision = kind;
        SAY(t, Fish_LogDump(&fish));
    }
    SAY(t, Fish_LogDump(nullptr));
}

} // namespace

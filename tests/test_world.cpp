#include <numeric>

#include "fish_fixture.h"

namespace {

using namespace fmtest;

/* Sprites, catalogue and both classes, as start-up leaves them. */
class World : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadGameFish());
        ASSERT_EQ(Object_Begin(), 0);
        ASSERT_EQ(Object_PushLoadForClass(Class_LoadFish), 0);
        ASSERT_EQ(Object_PushLoadForClass(Class_LoadPlayerShark), 0);
        ASSERT_EQ(Object_LoadClasses(), 0);
    }
    void TearDown() override { World_Destroy(&world); }
    World_t world{};
};

/* The world's records as a line: each record's live flag, then "!" when it
 * has no data, its id when that is not its index, its box's y when not 0. */
std::string Layout(const World_t &w) {
    std::string out = std::to_string(w.fish_count) + " fish, next slot " + std::to_string(w.next_slot) + ", score " +
                      std::to_string(w.score) + ", " + std::to_string(w.entity_count) + " records:";
    for (int i = 0; i < w.entity_count; ++i) {
        const Object_t &o = w.entities[i];
        out += " " + std::to_string(w.alive[i]) + (o.data ? "" : "!") + (o.id == i ? "" : "#" + std::to_string(o.id));
        out += o.hitbox.y == 0 ? "" : "@" + std::to_string(o.hitbox.y);
    }
    return out + (w.player == &w.entities[w.entity_count - 1] ? ", the shark last" : ", the shark elsewhere");
}

TEST_F(World, MadeFilledAndReleased) {
    Transcript t("world_made");
    t.Note("layouts: each record's live flag, then ! if it has no data, #id if that is not its index, @y if not 0");
    const long live = Mem_TestLive();
    SAY(t, World_Create(&world, 4));
    SAY(t, World_SpawnPlayer(&world, 0, 200));
    SAY(t, World_GetPlayer(&world) == world.player);
    t.Note(Layout(world));
    SAY(t, World_SpawnFish(&world, 200, "goldfish"));
    for (const char *type : {"horiz_slow", "crab", "sword", "sine_wide"})
        SAY(t.Let("type", type), World_SpawnFish(&world, 200, type));
    SAY(t, World_SpawnFish(&world, 200, "horiz_slow"));
    t.Note(Layout(world));
    world.alive[1] = 0; /* as a retiring fish leaves it */
    world.fish_count = 3;
    SAY(t, World_SpawnFish(&world, 200, "crab"));
    t.Note(Layout(world));
    world.fish_count = 3; /* a count that disagrees with the flags still cannot loop for ever */
    SAY(t, World_SpawnFish(&world, 200, "crab"));
    for (int cursor : {-1, 4, 3}) { /* a cursor outside the fish slots starts over at 0 */
        world.next_slot = cursor;
        world.alive[0] = 0;
        world.fish_count = 3;
        SAY(t, World_SpawnFish(&world, 200, "crab"));
        t.Note(Layout(world));
    }
    Object_t *entities = nullptr;
    int32_t *alive = nullptr;
    int32_t count = 0;
    SAY(t, World_GetEntityList(&world, &entities, &alive, &count));
    SAY(t, entities == world.entities && alive == world.alive && count == 5);
    SAY(t, World_GetEntityList(&world, nullptr, nullptr, &count)); /* the arrays may be left out */
    SAY(t, World_GetEntityList(&world, nullptr, nullptr, nullptr));
    for (int score : {1000000, -1, 999999, 0, 42}) {
        world.score = score;
        SAY(t, World_NewFrame(&world));
        t.Note("score " + std::to_string(score) + " becomes " + std::to_string(world.score));
    }
    int digits[6];
    const std::pair<int, int> scores[] = {
        {1234, 6},
        {1234567, 6},
        {-5, 2},
        {987, 1},
    };
    for (const auto &[score, n] : scores) {
        SAY(t.Let("score", score).Let("n", n), World_GetScoreAsArray(score, digits, n));
        t.Note("lowest first: " + std::accumulate(digits, digits + n, std::string(),
                                      [](const std::string &s, int d) { return s + " " + std::to_string(d); }));
    }
    Object_t sword{};
    sword.collision = COLLISION_HARM;
    sword.hitbox = SDL_Rect{10, 205, 40, 5};
    SAY(t, Player_CheckCollision(&sword, &world));
    SAY(t, World_NewFrame(&world));
    SAY(t, Player_CollisionCount());
    SAY(t, World_Destroy(&world));
    world = World_t{};
    SAY(t, Mem_TestLive() - live); /* the shark's data too */
}

TEST_F(World, RefusalsAndFailures) {
    Transcript t("world_refusals");
    World_t bare{};
    World_t no_player{};
    World_t no_flags{};
    Object_t records[2]{};
    int32_t flags[2]{};
    no_player.entities = records;
    no_player.alive = flags;
    no_flags.entities = records;
    no_flags.player = &records[1];
    int digits[1];
    int32_t count = 0;
    SAY(t, World_Create(nullptr, 5));
    SAY(t, World_Create(&bare, 0));
    World_t one{};
    SAY(t, World_Create(&one, 1)); /* the fewest fish a world holds */
    SAY(t, World_Destroy(&one));
    SAY(t, World_SpawnPlayer(nullptr, 0, 0));
    SAY(t, World_SpawnPlayer(&bare, 0, 0));
    SAY(t, World_SpawnFish(nullptr, 0, "crab"));
    SAY(t, World_SpawnFish(&no_player, 0, nullptr));
    SAY(t, World_SpawnFish(&bare, 0, "crab"));
    SAY(t, World_SpawnFish(&no_flags, 0, "crab"));
    SAY(t, World_GetEntityList(nullptr, nullptr, nullptr, &count));
    SAY(t, World_GetEntityList(&no_flags, nullptr, nullptr, &count));
    SAY(t, World_GetEntityList(&no_player, nullptr, nullptr, &count));
    SAY(t, World_GetScoreAsArray(5, nullptr, 1));
    SAY(t, World_GetScoreAsArray(5, digits, 0));
    SAY(t, World_GetPlayer(nullptr));
    SAY(t, World_GetPlayer(&bare));
    SAY(t, World_Destroy(nullptr));
    World_t only_player{}; /* a shark's record, but no records to free */
    only_player.player = &records[1];
    SAY(t, World_Destroy(&only_player));
    World_t half{}; /* records without flags */
    half.entities = static_cast<Object_t *>(Mem_Calloc(2, sizeof(Object_t)));
    half.player = &half.entities[1];
    errno = EINVAL; /* the closing line names the failure without touching errno */
    SAY(t, World_Destroy(&half));
    SAY(t, errno == EINVAL);
    for (long n = 1; n <= 3; ++n) { /* the records, the flags, the first placeholder's data */
        World_t w{};
        t.Note("allocation " + std::to_string(n) + " failing:");
        SAY(t.Let("n", n), Starved(n, [&] { return World_Create(&w, 3); }));
        SAY(t, World_Destroy(&w));
    }
}

} // namespace

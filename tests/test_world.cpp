#include "fish_fixture.h"

namespace {

using namespace fmtest;

/* Sprites, catalogue and both classes, as start-up leaves them. */
class World : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadGameFish() && Object_Begin() == 0 && Object_PushLoadForClass(Class_LoadFish) == 0 &&
                    Object_PushLoadForClass(Class_LoadPlayerShark) == 0 && Object_LoadClasses() == 0);
    }
    void TearDown() override { World_Destroy(&world); }
    void Create(int n) { ASSERT_TRUE(World_Create(&world, n) == 0 && World_SpawnPlayer(&world, 0, 200) == 0); }
    World_t world{};
    LogCapture log;
};

TEST_F(World, CreateLaysOutPlaceholdersThenTheSharkAndDestroyReleasesAll) {
    const long live = Mem_TestLive();
    Create(120);
    EXPECT_EQ((std::vector<int>{world.fish_count, world.next_slot, world.score, world.entity_count, world.max_fish,
                  world.alive[120], world.player->id, world.player->hitbox.y}),
        (std::vector<int>{0, 0, 0, 121, 120, 1, 120, 200}));
    for (int i = 0; i < 120; ++i)
        ASSERT_TRUE(world.alive[i] == 0 && world.entities[i].id == i && world.entities[i].data &&
                    world.entities[i].hitbox.y == 0)
            << i;
    EXPECT_TRUE(world.player == &world.entities[120] && World_GetPlayer(&world) == world.player);
    log.Take();
    EXPECT_EQ(World_Destroy(&world), 0);
    world = World_t{};
    EXPECT_EQ(Mem_TestLive(), live); /* the shark's data too */
    EXPECT_EQ(log.Take(), (Lines{"[INFO] World Entity array cleaned.", "[INFO] Finshed cleaning World_t memory."}));
}

TEST_F(World, RefusalsAndFailuresReturnMinusOneWithTheirLines) {
    World_t bare{}, no_player{}, no_flags{};
    Object_t records[2]{};
    int32_t flags[2]{};
    no_player.entities = records, no_player.alive = flags;
    no_flags.entities = records, no_flags.player = &records[1];
    int d[1], count = 0;
    log.Take();
    const int results[] = {World_Create(nullptr, 5), World_Create(&bare, 0), World_SpawnPlayer(nullptr, 0, 0),
        World_SpawnPlayer(&bare, 0, 0), World_SpawnFish(nullptr, 0, "crab"), World_SpawnFish(&no_player, 0, nullptr),
        World_SpawnFish(&bare, 0, "crab"), World_SpawnFish(&no_flags, 0, "crab"),
        World_GetEntityList(nullptr, nullptr, nullptr, &count),
        World_GetEntityList(&no_flags, nullptr, nullptr, &count),
        World_GetEntityList(&no_player, nullptr, nullptr, &count), World_GetScoreAsArray(5, nullptr, 1),
        World_GetScoreAsArray(5, d, 0), World_Destroy(nullptr)};
    for (int r : results) EXPECT_EQ(r, -1);
    EXPECT_TRUE(!World_GetPlayer(nullptr) && !World_GetPlayer(&bare));
    World_t half{}; /* records without flags */
    half.entities = static_cast<Object_t *>(Mem_Calloc(2, sizeof(Object_t)));
    half.player = &half.entities[1];
    errno = EINVAL; /* the closing line names the failure without touching errno */
    EXPECT_EQ(World_Destroy(&half), -1);
    EXPECT_EQ(errno, EINVAL);
    const std::string null_world = "[ERROR] Invalid world parameter - cannot be NULL.",
                      uninit = "[ERROR] World data not properly initialised.";
    EXPECT_EQ(log.Take(),
        (Lines{"[ERROR] Target  was not allocated!", "[ERROR] Invalid parameter for maximum fish entites.", null_world,
            "[ERROR] Invalid world parameter - must be properly initialised.", null_world,
            "[ERROR] Invalid fish type name - cannot be NULL.", uninit, uninit, null_world, uninit,
            "[ERROR] Player is not initialised properly.", "[ERROR] Invalid input!", "[ERROR] Invalid input!",
            "[ERROR] Target must exist.", null_world, "[ERROR] Invalid world parameter - must be properly initialised.",
            "[INFO] World Entity array cleaned.", "[ERROR] Could not properly cleanup World_t memory."}));
    for (long n = 1; n <= 3; ++n) { /* the records, the flags, the first placeholder's data */
        World_t w{};
        EXPECT_EQ(Starved(n, [&] { return World_Create(&w, 3); }), -1) << n;
        World_Destroy(&w);
    }
    EXPECT_TRUE(InOrder(
        log.Take(), {"[ERROR] Out of memory.", "[ERROR] Out of memory.", "[ERROR] Could not initialise fish array!"}));
}

TEST_F(World, SpawnCursorStaysOnItsSlotWrapsAndStopsWhenFull) {
    Create(120);
    log.Take();
    EXPECT_EQ(World_SpawnFish(&world, 200, "goldfish"), -1);
    EXPECT_EQ(world.fish_count, 0);
    for (int i = 0; i <= 10; ++i) {
        ASSERT_EQ(World_SpawnFish(&world, 200, "horiz_slow"), 0);
        EXPECT_EQ(world.next_slot, i);
    }
    world.alive[3] = 0, --world.fish_count; /* as a retiring fish leaves it */
    ASSERT_EQ(World_SpawnFish(&world, 200, "crab"), 0);
    EXPECT_EQ(
        (std::vector<int>{world.next_slot, world.entities[11].collision}), (std::vector<int>{11, COLLISION_HARM}));
    for (int i = 12; i < 120; ++i) ASSERT_EQ(World_SpawnFish(&world, 200, "horiz_med"), 0);
    ASSERT_EQ(World_SpawnFish(&world, 20, "sine_wide"), 0);
    EXPECT_EQ((std::vector<int>{world.next_slot, world.alive[3]}), (std::vector<int>{3, 1}));
    EXPECT_EQ(World_SpawnFish(&world, 200, "horiz_slow"), -1);
    world.fish_count = 119; /* a count that disagrees with the flags still cannot loop for ever */
    EXPECT_EQ(World_SpawnFish(&world, 200, "horiz_slow"), -1);
    for (int cursor : {-1, 120, 119}) { /* a cursor outside the fish slots starts over at 0 */
        world.next_slot = cursor, world.alive[0] = 0;
        ASSERT_EQ(World_SpawnFish(&world, 200, "crab"), 0) << cursor;
        EXPECT_EQ(world.next_slot, 0);
        --world.fish_count;
    }
    EXPECT_TRUE(InOrder(log.Take(), {"Could not find fish: goldfish.", "[ERROR] Failed to reinitialise Fish in World.",
                                        "[ERROR] No room for new fish: 120/120!", "[ERROR] No room for new fish!"}));
}

TEST_F(World, ScoreDigitsFrameClampAndEntityList) {
    int d[6];
    const struct {
        int score, count;
        std::vector<int> digits;
    } rows[] = {{1234, 6, {4, 3, 2, 1, 0, 0}}, {1234567, 6, {7, 6, 5, 4, 3, 2}}, {-5, 2, {-5, 0}}, {987, 1, {7}}};
    for (const auto &r : rows) {
        ASSERT_EQ(World_GetScoreAsArray(r.score, d, r.count), 0);
        EXPECT_EQ(std::vector<int>(d, d + r.count), r.digits);
    }
    Create(2);
    for (auto [in, out] : {std::pair{1000000, 999999}, {-1, 0}, {999999, 999999}, {0, 0}, {42, 42}}) {
        world.score = in;
        EXPECT_EQ(World_NewFrame(&world), 0);
        EXPECT_EQ(world.score, out) << in;
    }
    Object_t sword{};
    sword.collision = COLLISION_HARM, sword.hitbox = SDL_Rect{10, 205, 40, 5};
    ASSERT_EQ(Player_CheckCollision(&sword, &world), 0);
    ASSERT_EQ(Player_CollisionCount(), 1);
    EXPECT_EQ(World_NewFrame(&world), 0);
    EXPECT_EQ(Player_CollisionCount(), 0);
    Object_t *entities = nullptr;
    int32_t *alive = nullptr, count = 0;
    ASSERT_EQ(World_GetEntityList(&world, &entities, &alive, &count), 0);
    EXPECT_TRUE(entities == world.entities && alive == world.alive && count == 3);
    count = 0;
    EXPECT_EQ(World_GetEntityList(&world, nullptr, nullptr, &count), 0); /* the arrays may be left out */
    EXPECT_EQ(count, 3);
    EXPECT_EQ(World_GetEntityList(&world, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(log.Take().back(), "[ERROR] This is strange!");
}

} // namespace

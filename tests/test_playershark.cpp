#include "fish_fixture.h"

namespace {

using namespace fmtest;

void *const kEnd = nullptr;

/* Named values as one transcript line: "name value, name value". */
std::string Said(std::initializer_list<std::pair<const char *, int>> fields) {
    std::string out;
    for (const auto &[name, value] : fields)
        out += (out.empty() ? "" : ", ") + std::string(name) + " " + std::to_string(value);
    return out;
}

/* The shark in the player's record of a hand-built world at (100, 100): its
 * mouth points are A (195, 113) and B (195, 108). */
class Shark : public ::testing::Test {
protected:
    void SetUp() override {
        int start = 100;
        ASSERT_TRUE(loaded && CallInit(PlayerShark_Init, &shark, &start, &start, kEnd) == 0);
    }
    SharkData *D() { return static_cast<SharkData *>(shark.data); }
    /* Fish slot made into an entity of the given kind and box. */
    Object_t *Put(int slot, int kind, SDL_Rect box) {
        Object_t &o = hw.fish(slot);
        o.collision = kind;
        o.hitbox = box;
        o.COLLISION = Fish_Collision;
        o.dead = 0;
        return &o;
    }
    /* The shark's box, where it is drawn, and its data. */
    std::string State() {
        return Said({{"x", shark.hitbox.x}, {"y", shark.hitbox.y}, {"w", shark.hitbox.w}, {"h", shark.hitbox.h},
            {"draw_x", shark.draw_x}, {"draw_y", shark.draw_y}, {"dst.x", shark.sprite.dst.x},
            {"dst.y", shark.sprite.dst.y}, {"health", D()->health}, {"bite_ready", D()->bite_ready},
            {"biting", D()->biting}, {"hurt_timer", D()->hurt_timer}});
    }
    /* Frames as the loop runs them: list what touches, then the shark's update. */
    std::string Frame(std::initializer_list<Object_t *> touching, int frames = 1) {
        for (int f = 0; f < frames; ++f) {
            Player_ClearCollisions();
            for (Object_t *e : touching) Player_CheckCollision(e, hw.get());
            PlayerShark_Update(&shark, hw.get());
        }
        return State();
    }
    /* A fish put at box for one frame: its dead and eaten flags. */
    std::string Bite(SDL_Rect box) {
        Object_t *fish = Put(0, COLLISION_FISH, box);
        DataOf(*fish)->eaten = 0;
        Frame({fish});
        return std::to_string(fish->dead) + std::to_string(DataOf(*fish)->eaten);
    }
    const bool loaded = LoadGameFish() && Player_InputInit() == 0; /* before the world's placeholders */
    HandWorld hw{101};
    Object_t &shark = *hw.get()->player;
};

TEST_F(Shark, MadeAtItsStartWithItsBoxAndRefusingBadArguments) {
    Transcript t("shark_made");
    t.Note(Said({{"up", INPUT_UP}, {"down", INPUT_DOWN}, {"left", INPUT_LEFT}, {"right", INPUT_RIGHT},
        {"bite", INPUT_BITE}, {"count", INPUT_COUNT}})); /* the codes callers pass */
    t.Note(State());
    Object_t o{};
    int at = 5;
    SAY(t, CallInit(PlayerShark_Init, nullptr, &at, &at, kEnd));
    SAY(t, CallInit(PlayerShark_Init, &o, kEnd, &at, kEnd));
    SAY(t, CallInit(PlayerShark_Init, &o, &at, kEnd, kEnd));
    SAY(t, CallInit(PlayerShark_Init, &o, &at, &at, &at, kEnd));
    SAY(t, Starved(1, [&] { return CallInit(PlayerShark_Init, &o, &at, &at, kEnd); }));
    SAY(t, PlayerShark_Update(nullptr, hw.get()));
    SAY(t, PlayerShark_Update(&o, hw.get())); /* a record without its data */
    SAY(t, Player_SetInput(INPUT_COUNT, 1));
    SAY(t, Player_SetInput(INPUT_COUNT - 1, 1)); /* a code the shark does not read */
    SAY(t, PlayerShark_Anim(&o));
    SAY(t, PlayerShark_LogDump(&o));
    shark.hitbox = SDL_Rect{10, 20, 92, 18}; /* its own COLLISION: the half-open box */
    SAY(t, PlayerShark_Collision(&shark, 10.0f, 20.0f));
    SAY(t, PlayerShark_Collision(&shark, 101.9f, 37.9f));
    SAY(t, PlayerShark_Collision(&shark, 9.9f, 30.0f));
    SAY(t, PlayerShark_Collision(&shark, 102.0f, 30.0f));
    SAY(t, PlayerShark_Collision(&shark, 50.0f, 19.9f));
    SAY(t, PlayerShark_Collision(&shark, 50.0f, 38.0f));
    SAY(t, PlayerShark_Collision(nullptr, 10.0f, 20.0f));
    /* Without its two sprites the shark cannot be made. */
    SAY(t, Image_Init(1, 1, 0));
    SAY(t, CallInit(PlayerShark_Init, &o, &at, &at, kEnd));
    SAY(t, Image_AddSprite("shark_idle", -1, 0, 40, 110, 40));
    SAY(t, CallInit(PlayerShark_Init, &o, &at, &at, kEnd));
    Mem_Free(o.data);
}

TEST_F(Shark, BitesOnlyWhatHoldsAMouthPoint) {
    Transcript t("shark_bites");
    SAY(t, Player_SetInput(INPUT_BITE, 1));
    Put(0, COLLISION_FISH, {185, 110, 25, 14})->COLLISION = nullptr; /* no way to ask: not listed */
    SAY(t, Player_CheckCollision(&hw.fish(0), hw.get()));
    SAY(t, Player_CheckCollision(Put(1, COLLISION_PLAYER, {110, 105, 5, 5}), hw.get())); /* nor are these kinds */
    SAY(t, Player_CheckCollision(Put(2, COLLISION_NULL, {110, 105, 5, 5}), hw.get()));
    SAY(t, Player_CollisionCount());
    SAY(t, Player_CheckCollision(Put(0, COLLISION_FISH, {185, 110, 25, 14}), hw.get()));
    SAY(t, Player_CollisionCount());
    SAY(t, PlayerShark_Update(&shark, hw.get()));
    /* 7x1 fish across the mouth points' rows and the column x 195, each cell
     * its dead and eaten flags; few enough frames to fit in the one bite. */
    for (int y = 107; y <= 114; ++y) {
        std::string row = "y " + std::to_string(y) + ", x 188 to 192:";
        for (int x = 188; x <= 192; ++x) row += " " + Bite({x, y, 7, 1});
        t.Note(row);
    }
    World_t no_player{};
    SAY(t, Player_CheckCollision(nullptr, hw.get()));
    SAY(t, Player_CheckCollision(&hw.fish(0), nullptr));
    SAY(t, Player_CheckCollision(&hw.fish(0), &no_player));
    for (int i = 0; i < 100; ++i) Player_CheckCollision(Put(i, COLLISION_HARM, {110, 105, 5, 5}), hw.get());
    SAY(t, Player_CheckCollision(Put(100, COLLISION_HARM, {110, 105, 5, 5}), hw.get()));
    SAY(t, Player_CollisionCount());
}

TEST_F(Shark, HarmsCostOneEveryThirtySevenFramesAndPoisonOrDeathCostAll) {
    Transcript t("shark_harms");
    Object_t *crab = Put(4, COLLISION_HARM, {120, 105, 25, 14});
    Object_t *sword = Put(5, COLLISION_HARM, {130, 100, 40, 5});
    Put(3, COLLISION_HARM, {120, 105, 25, 14})->dead = 1; /* a finished harm does nothing */
    SAY(t, Frame({&hw.fish(3)}));
    SAY(t, Frame({crab, sword})); /* two harms in one frame cost 1 */
    SAY(t, Frame({crab}, 36));
    SAY(t, Frame({crab})); /* frame 38 = 1 + 37 */
    D()->health = 3;
    Object_t *puffer = Put(6, COLLISION_POISON, {185, 110, 20, 14});
    SAY(t, Frame({puffer}, 10)); /* harmless until bitten */
    SAY(t, Player_SetInput(INPUT_BITE, 1));
    SAY(t, Frame({puffer}));
    SAY(t, puffer->dead);
    D()->health = 3;
    SAY(t, Frame({Put(7, COLLISION_DEATH, {100, 100, 5, 5})})); /* far from the mouth */
}

} // namespace

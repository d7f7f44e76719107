/* A long random game: the real start-up, then 100,000 frames of the real
 * frame (drawing included) under the dummy video driver, fed seeded random
 * key presses and releases. After every event and every frame the world is
 * checked against a small model of its fish slots: the live count, where
 * each fish may be for its pattern, that a finished fish is gone after its
 * next update, and that the score is the clamped score plus exactly the
 * points of the fish retired as eaten. */
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "alloc.h"
#include "class/fish.h"
#include "class/fish_ai.h"
#include "class/playershark.h"
#include "game.h"
#include "game_main.h"
#include "share_utils.h"
#include "test_support.h"

namespace {

constexpr int kFrames = 100000;
constexpr int kScreenW = 800;
constexpr int kScreenH = 400;

/* The eight spawn keys, in key order. */
struct Kind {
    SDL_Keycode key;
    const char *name;
    FishAI_t routine;
    int points;
};
const Kind kKinds[] = {
    {SDLK_1, "horiz_slow", fish_ai_horizontal, 10},
    {SDLK_2, "horiz_med", fish_ai_horizontal, 50},
    {SDLK_3, "horiz_fast", fish_ai_horizontal, 300},
    {SDLK_4, "sine_slow", fish_ai_sine, 100},
    {SDLK_5, "sine_wide", fish_ai_sine, 800},
    {SDLK_6, "sword", fish_ai_sword, 0},
    {SDLK_7, "puffer", fish_ai_horizontal, 0},
    {SDLK_8, "crab", fish_ai_crab, 0},
};
constexpr int kKindCount = static_cast<int>(sizeof kKinds / sizeof kKinds[0]);
enum { SINE_SLOW = 3, SINE_WIDE = 4, SWORD = 5, CRAB = 7 };

const SDL_Keycode kSteerKeys[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT,
                                  SDLK_w, SDLK_s, SDLK_a, SDLK_d};
/* Keys that must change nothing, and key-ups that must change nothing. */
const SDL_Keycode kIdleKeys[] = {SDLK_9, SDLK_0, SDLK_RETURN, SDLK_x};
const SDL_Keycode kIdleUps[] = {SDLK_ESCAPE, SDLK_1, SDLK_8, SDLK_c, SDLK_h, SDLK_p};

/* One fish slot as the test expects it. */
struct Life {
    bool live = false;
    int kind = -1;
    int updates = 0; /* updates run in this life */
    int y0 = 0;      /* hitbox y right after the spawn */
    SDL_Rect box{};  /* hitbox before the frame */
    bool dead_before = false;
    bool eaten_before = false;
};

struct Tally {
    std::array<long, kKindCount> spawned{};
    long refused_full = 0;
    long eaten = 0;
    long left_screen = 0;
    long hurts = 0;
    long paused_frames = 0;
    long hitbox_frames = 0;
    long clamped_high = 0;
    long clamped_low = 0;
    int most_fish = 0;
};

#define SOAK_CHECK(cond, msg)                                                        \
    do {                                                                             \
        if (!(cond)) {                                                               \
            ADD_FAILURE() << "frame " << frame_ << ": " << msg << "  [" #cond "]";  \
            return false;                                                            \
        }                                                                            \
    } while (0)

class Soak : public ::testing::Test {
protected:
    void SetUp() override
    {
        cd_ = std::make_unique<fmtest::ChdirGuard>(dir_.path());
        ASSERT_EQ(File_InitialiseResourcePathFrom(FINMAW_SOURCE_RES_DIR), 0);
        game_ = std::make_unique<Game_t>();
        memset(game_.get(), 0, sizeof(Game_t));
        ASSERT_EQ(Game_Startup(game_.get()), 0) << fmtest::ReadFile(dir_.path() / "startup.log");
        started_ = true;
        Game_LoopBegin(game_.get());
        World_t &w = world();
        for (int i = 0; i < w.max_fish; ++i)
            data_[i] = w.entities[i].data;
    }
    void TearDown() override
    {
        if (started_)
            Game_Shutdown(game_.get());
        cd_.reset();
    }

    World_t &world() { return game_->world; }
    FishData *Data(int slot) { return static_cast<FishData *>(world().entities[slot].data); }

    void Send(Uint32 type, SDL_Keycode sym, bool repeat = false)
    {
        SDL_Event e;
        memset(&e, 0, sizeof e);
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.sym = sym;
        Game_HandleEvent(game_.get(), &e);
    }

    int LiveFish()
    {
        int n = 0;
        for (int i = 0; i < world().max_fish; ++i)
            n += world().alive[i] == 1;
        return n;
    }

    /* What holds at any moment between frames. */
    bool CheckWorld()
    {
        World_t &w = world();
        SOAK_CHECK(w.max_fish == GAME_MAX_FISH && w.entity_count == GAME_MAX_FISH + 1, "world size changed");
        SOAK_CHECK(w.player == &w.entities[w.max_fish], "the shark is not the last record");
        SOAK_CHECK(w.alive[w.max_fish] == 1, "the shark is not live");
        SOAK_CHECK(w.player->UPDATE == PlayerShark_Update, "the shark's UPDATE changed");
        SOAK_CHECK(w.player->data == game_->player_data, "the shark's data moved");
        int live = 0;
        for (int i = 0; i < w.max_fish; ++i) {
            SOAK_CHECK(w.alive[i] == 0 || w.alive[i] == 1, "slot " << i << " flag " << w.alive[i]);
            SOAK_CHECK(w.entities[i].id == i && w.entities[i].class_id == 0, "slot " << i << " record clobbered");
            SOAK_CHECK(w.entities[i].data == data_[i], "slot " << i << " data block replaced");
            SOAK_CHECK((w.alive[i] == 1) == life_[i].live,
                       "slot " << i << " flag " << w.alive[i] << " but the model says "
                               << (life_[i].live ? "live" : "free"));
            live += w.alive[i];
        }
        SOAK_CHECK(w.fish_count == live, "fish_count " << w.fish_count << " but " << live << " live flags");
        SOAK_CHECK(w.next_slot >= 0 && w.next_slot < w.max_fish, "spawn cursor " << w.next_slot);
        return true;
    }

    /* Where a live fish may be, by its kind and its number of updates. */
    bool CheckPlace(int slot)
    {
        const Object_t &f = world().entities[slot];
        const Life &l = life_[slot];
        const SDL_Rect &b = f.hitbox;
        const FishData *d = Data(slot);
        SOAK_CHECK(f.UPDATE == kKinds[l.kind].routine, "slot " << slot << " has another pattern");
        SOAK_CHECK(d->age == l.updates, "slot " << slot << " age " << d->age << " after " << l.updates << " updates");
        SOAK_CHECK(d->slot == slot, "slot " << slot << " data names slot " << d->slot);
        SOAK_CHECK(f.sprite.dst.x == b.x + f.draw_x && f.sprite.dst.y == b.y + f.draw_y,
                   "slot " << slot << " sprite not at its hitbox");
        if (l.updates == 0) {
            SOAK_CHECK(b.x == kScreenW && b.y == l.y0, "slot " << slot << " moved before its first update");
            return true;
        }
        switch (l.kind) {
        case SWORD:
            SOAK_CHECK(b.y == l.y0, "sword " << slot << " changed height to " << b.y);
            SOAK_CHECK(b.x >= -b.w && b.x <= kScreenW, "sword " << slot << " at x " << b.x);
            if (l.updates <= 61)
                SOAK_CHECK(b.x <= 21 - b.w, "sword " << slot << " dashed early, x " << b.x);
            break;
        case CRAB:
            SOAK_CHECK(b.x == l.y0, "crab " << slot << " at x " << b.x << ", dropped from " << l.y0);
            SOAK_CHECK(b.y >= -b.h && b.y <= kScreenH, "crab " << slot << " at y " << b.y);
            break;
        case SINE_SLOW:
        case SINE_WIDE:
            SOAK_CHECK(b.x >= -b.w && b.x < kScreenW, "sine fish " << slot << " at x " << b.x);
            if (l.kind == SINE_SLOW)
                SOAK_CHECK(b.y >= 155 && b.y <= 228, "sine_slow " << slot << " at y " << b.y);
            else
                SOAK_CHECK(b.y >= -12 && b.y <= 269, "sine_wide " << slot << " at y " << b.y);
            break;
        default:
            SOAK_CHECK(b.y == l.y0, "fish " << slot << " changed height to " << b.y);
            SOAK_CHECK(b.x >= -b.w && b.x < kScreenW, "fish " << slot << " at x " << b.x);
            break;
        }
        return true;
    }

    bool Spawn(int kind)
    {
        World_t &w = world();
        const int before = w.fish_count;
        Send(SDL_KEYDOWN, kKinds[kind].key, rng_() % 4 == 0);
        if (before >= w.max_fish) {
            SOAK_CHECK(w.fish_count == before, "a spawn into a full world changed the count");
            ++tally_.refused_full;
            return true;
        }
        SOAK_CHECK(w.fish_count == before + 1, "spawn of " << kKinds[kind].name << " with room did not count");
        const int slot = w.next_slot;
        SOAK_CHECK(!life_[slot].live, "spawn took live slot " << slot);
        const Object_t &f = w.entities[slot];
        const FishData *d = Data(slot);
        SOAK_CHECK(f.dead == 0 && d->eaten == 0 && d->age == 0 && d->points == kKinds[kind].points,
                   "spawned " << kKinds[kind].name << " is not fresh");
        Life &l = life_[slot];
        l = Life{};
        l.live = true;
        l.kind = kind;
        l.y0 = f.hitbox.y;
        ++tally_.spawned[kind];
        tally_.most_fish = std::max(tally_.most_fish, w.fish_count);
        return true;
    }

    /* Random keys between two frames. */
    bool Events()
    {
        std::uniform_real_distribution<double> u(0.0, 1.0);
        if (burst_ > 0) {
            /* A held number key: auto-repeats until the world is full. */
            --burst_;
            return Spawn(burst_kind_) && Spawn(burst_kind_) && CheckWorld();
        }
        if (u(rng_) < 0.3 && !Spawn(static_cast<int>(rng_() % kKindCount)))
            return false;
        if (u(rng_) < 0.0005) {
            burst_ = 40 + static_cast<int>(rng_() % 100);
            burst_kind_ = static_cast<int>(rng_() % kKindCount);
        }
        if (u(rng_) < 0.12) {
            SDL_Keycode key = kSteerKeys[rng_() % 8];
            Send(rng_() % 2 ? SDL_KEYDOWN : SDL_KEYUP, key, rng_() % 8 == 0);
        }
        if (u(rng_) < 0.06)
            Send(rng_() % 3 ? SDL_KEYDOWN : SDL_KEYUP, SDLK_SPACE, rng_() % 8 == 0);
        if (u(rng_) < 0.004) {
            const int before = game_->player_data->health;
            Send(SDL_KEYDOWN, SDLK_h, rng_() % 2 == 0);
            SOAK_CHECK(game_->player_data->health == before + 1, "h did not add one health");
        }
        if (u(rng_) < (game_->hitbox_view ? 0.01 : 0.002)) {
            const int before = game_->hitbox_view;
            Send(SDL_KEYDOWN, SDLK_c);
            SOAK_CHECK(game_->hitbox_view == !before, "c did not flip the hitbox view");
        }
        /* Short pauses, now and then. */
        if (u(rng_) < (game_->paused ? 0.03 : 0.001)) {
            const int before = game_->paused;
            Send(SDL_KEYDOWN, SDLK_p);
            SOAK_CHECK(game_->paused == !before, "p did not flip the pause");
        }
        if (u(rng_) < 0.01) {
            const int count = world().fish_count;
            const int paused = game_->paused;
            const int view = game_->hitbox_view;
            const int health = game_->player_data->health;
            if (rng_() % 2)
                Send(SDL_KEYDOWN, kIdleKeys[rng_() % 4]);
            else
                Send(SDL_KEYUP, kIdleUps[rng_() % 6]);
            SOAK_CHECK(world().fish_count == count && game_->paused == paused &&
                           game_->hitbox_view == view && game_->player_data->health == health,
                       "an idle key changed something");
        }
        return CheckWorld();
    }

    /* Takes the model's picture of the slots before a frame. */
    void BeforeFrame()
    {
        for (int i = 0; i < world().max_fish; ++i) {
            Life &l = life_[i];
            if (!l.live)
                continue;
            l.box = world().entities[i].hitbox;
            l.dead_before = world().entities[i].dead == 1;
            l.eaten_before = Data(i)->eaten == 1;
        }
    }

    bool AfterFrame(int score_before)
    {
        World_t &w = world();
        const bool paused = game_->paused != 0;
        const int clamped = std::clamp(score_before, 0, WORLD_SCORE_MAX);
        tally_.clamped_high += score_before > WORLD_SCORE_MAX;
        tally_.clamped_low += score_before < 0;
        long expected = clamped;
        for (int i = 0; i < w.max_fish; ++i) {
            Life &l = life_[i];
            if (!l.live)
                continue;
            const Object_t &f = w.entities[i];
            const FishData *d = Data(i);
            if (paused) {
                SOAK_CHECK(w.alive[i] == 1 && d->age == l.updates && f.hitbox.x == l.box.x && f.hitbox.y == l.box.y &&
                               (f.dead == 1) == l.dead_before,
                           "fish " << i << " changed during a pause");
                continue;
            }
            ++l.updates;
            if (l.dead_before) {
                /* Finished before this frame: gone after its update. */
                SOAK_CHECK(w.alive[i] == 0, "dead fish " << i << " (" << kKinds[l.kind].name << ") still live");
                SOAK_CHECK(l.eaten_before && d->eaten == 1, "fish " << i << " dead but not eaten before the frame");
                expected += d->points;
                ++tally_.eaten;
                l.live = false;
                continue;
            }
            if (w.alive[i] == 0) {
                /* Retired in its own update: it left the screen. */
                SOAK_CHECK(f.dead == 1 && d->eaten == 0, "fish " << i << " freed without leaving the screen");
                const SDL_Rect &b = f.hitbox;
                bool gone = false;
                switch (l.kind) {
                case SWORD: gone = b.x > kScreenW; break;
                case CRAB: gone = b.y > kScreenH; break;
                default: gone = b.x < -b.w; break;
                }
                SOAK_CHECK(gone, "fish " << i << " (" << kKinds[l.kind].name << ") freed on screen at "
                                         << b.x << "," << b.y);
                ++tally_.left_screen;
                l.live = false;
                continue;
            }
            /* Still live: either swimming, or bitten by the shark just now. */
            SOAK_CHECK(f.dead == 0 || d->eaten == 1, "fish " << i << " finished but live");
            if (l.kind != SWORD && l.kind != CRAB && l.updates > 1)
                SOAK_CHECK(f.hitbox.x < l.box.x, "fish " << i << " did not move left");
            if (l.kind == CRAB && l.updates > 1)
                SOAK_CHECK(f.hitbox.y > l.box.y, "crab " << i << " did not drop");
            if (!CheckPlace(i))
                return false;
        }
        SOAK_CHECK(w.score == expected, "score " << w.score << ", expected " << expected << " (from "
                                                  << score_before << ")");
        const int shown = ((w.score % 1000000) + 1000000) % 1000000;
        int digits = 0;
        for (int k = GAME_SCORE_DIGITS - 1; k >= 0; --k)
            digits = digits * 10 + game_->score_digits[k];
        SOAK_CHECK(digits == shown, "score digits show " << digits << " for " << w.score);

        const Object_t &shark = *w.player;
        SOAK_CHECK(shark.hitbox.x >= -87 && shark.hitbox.x <= 720 && shark.hitbox.y >= -9 && shark.hitbox.y <= 391,
                   "shark at " << shark.hitbox.x << "," << shark.hitbox.y);
        SOAK_CHECK(game_->player_data->health >= 0, "health " << game_->player_data->health);
        if (game_->player_data->health < health_before_)
            ++tally_.hurts;
        tally_.paused_frames += paused;
        tally_.hitbox_frames += game_->hitbox_view != 0;
        return CheckWorld();
    }

    fmtest::TempDir dir_;
    std::unique_ptr<fmtest::ChdirGuard> cd_;
    std::unique_ptr<Game_t> game_;
    bool started_ = false;

    std::mt19937 rng_{20240611u};
    std::array<Life, GAME_MAX_FISH> life_{};
    std::array<void *, GAME_MAX_FISH> data_{};
    Tally tally_;
    int frame_ = 0;
    int burst_ = 0;
    int burst_kind_ = 0;
    int health_before_ = 0;
};

TEST_F(Soak, HundredThousandRandomFramesKeepTheWorldConsistent)
{
    ASSERT_TRUE(CheckWorld());
    const long allocations = Mem_TestCount();
    bool ok = true;
    for (frame_ = 1; frame_ <= kFrames && ok; ++frame_) {
        if (!Events())
            break;
        /* Now and then a score at either edge, so that the clamp at the
         * start of the frame has something to do. */
        if (frame_ % 25000 == 12500)
            world().score = WORLD_SCORE_MAX - 40;
        if (frame_ % 25000 == 0)
            world().score = -7 - frame_ / 25000;
        BeforeFrame();
        const int score_before = world().score;
        health_before_ = game_->player_data->health;
        ASSERT_EQ(Game_Frame(game_.get()), 0) << "frame " << frame_;
        ok = AfterFrame(score_before);
    }
    ASSERT_TRUE(ok);
    EXPECT_EQ(Mem_TestCount(), allocations) << "the frames or the spawns allocated";

    /* The random keys reached every path they were meant to. */
    for (int k = 0; k < kKindCount; ++k)
        EXPECT_GT(tally_.spawned[k], 100) << kKinds[k].name;
    EXPECT_EQ(tally_.most_fish, GAME_MAX_FISH);
    EXPECT_GT(tally_.refused_full, 0);
    EXPECT_GT(tally_.eaten, 100);
    EXPECT_GT(tally_.left_screen, 1000);
    EXPECT_GT(tally_.hurts, 10);
    EXPECT_GT(tally_.paused_frames, 100);
    EXPECT_GT(tally_.hitbox_frames, 1000);
    EXPECT_GT(tally_.clamped_high, 0);
    EXPECT_GT(tally_.clamped_low, 0);
    std::cout << "soak: " << kFrames << " frames, spawned";
    for (int k = 0; k < kKindCount; ++k)
        std::cout << ' ' << kKinds[k].name << '=' << tally_.spawned[k];
    std::cout << "; refused " << tally_.refused_full << ", eaten " << tally_.eaten << ", left "
              << tally_.left_screen << ", hurts " << tally_.hurts << ", paused frames "
              << tally_.paused_frames << ", hitbox frames " << tally_.hitbox_frames << ", clamps "
              << tally_.clamped_high << '/' << tally_.clamped_low << ", score " << world().score << '\n';

    /* Escape still ends the run after all that. */
    if (game_->paused)
        Send(SDL_KEYDOWN, SDLK_p);
    Send(SDL_KEYDOWN, SDLK_ESCAPE);
    Game_DrainEvents(game_.get());
    EXPECT_EQ(game_->running, 0);
}

} // namespace

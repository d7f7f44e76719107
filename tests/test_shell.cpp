/* The shell driven in-process under the dummy video driver: start-up in a
 * scratch working directory with the real pictures, then events and frames
 * one at a time, checking the window surface's pixels and the log files. */
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "alloc.h"
#include "game.h"
#include "game_main.h"
#include "share_utils.h"
#include "test_support.h"

using fmtest::InOrder;
using fmtest::ReadFile;
using fmtest::SplitLines;

namespace {

void PushKey(Uint32 type, SDL_Keycode sym, Uint8 repeat = 0)
{
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.sym = sym;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

struct Rgb {
    Uint8 r, g, b;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb PixelAt(SDL_Surface *s, int x, int y)
{
    SDL_LockSurface(s);
    const Uint8 *p = static_cast<const Uint8 *>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 v = 0;
    memcpy(&v, p, s->format->BytesPerPixel); /* little-endian host */
    SDL_UnlockSurface(s);
    Rgb c{};
    SDL_GetRGB(v, s->format, &c.r, &c.g, &c.b);
    return c;
}

/* Pixels of a rectangle, row by row. */
std::vector<Rgb> Region(SDL_Surface *s, SDL_Rect r)
{
    std::vector<Rgb> out;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            out.push_back(PixelAt(s, x, y));
    return out;
}

int CountLines(const std::string &text, const std::string &needle)
{
    int n = 0;
    for (const auto &line : SplitLines(text))
        if (line.find(needle) != std::string::npos)
            ++n;
    return n;
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override
    {
        cd_ = std::make_unique<fmtest::ChdirGuard>(dir_.path());
        ASSERT_EQ(File_InitialiseResourcePathFrom(FINMAW_SOURCE_RES_DIR), 0);
        game_ = std::make_unique<Game_t>();
        memset(game_.get(), 0, sizeof(Game_t));
        ASSERT_EQ(Game_Startup(game_.get()), 0) << ReadFile(dir_.path() / "startup.log");
        started_ = true;
        Game_LoopBegin(game_.get());
    }
    void TearDown() override
    {
        if (started_)
            Game_Shutdown(game_.get());
        cd_.reset();
    }

    Game_t &g() { return *game_; }
    std::string RunLog() const
    {
        Log_Flush();
        return ReadFile(dir_.path() / "run.log");
    }
    int Frame() { return Game_Frame(game_.get()); }
    void Drain() { Game_DrainEvents(game_.get()); }

    /* A surface like the screen holding the background only. */
    SDL_Surface *Background()
    {
        SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, g().screen->w, g().screen->h, 0,
                                                        g().screen->format->format);
        EXPECT_NE(s, nullptr);
        SDL_UpperBlit(g().background, nullptr, s, nullptr);
        return s;
    }
    void Glyph(SDL_Surface *onto, int digit, int x, int y)
    {
        SDL_Rect src{10 * digit, 0, 10, 12};
        SDL_Rect dst{x, y, 10, 12};
        SDL_UpperBlit(g().font, &src, onto, &dst);
    }

    fmtest::TempDir dir_;
    std::unique_ptr<fmtest::ChdirGuard> cd_;
    std::unique_ptr<Game_t> game_;
    bool started_ = false;
};

const SDL_Rect kScoreArea{30, 25, 60, 12};
const SDL_Rect kHealthArea{400, 25, 10, 12};

TEST_F(Shell, StartupLeavesTheRunReady)
{
    const char *names[] = {"COLLISION_NULL", "COLLISION_PLAYER", "COLLISION_FISH",
                           "COLLISION_DEATH", "COLLISION_HARM", "COLLISION_POISON"};
    for (int k = 0; k < COLLISION_KIND_COUNT; ++k)
        EXPECT_STREQ(CollisionNames[k], names[k]);
    EXPECT_STREQ(Object_GetClassString(0), "Fish");
    EXPECT_STREQ(Object_GetClassString(1), "PlayerShark");

    ASSERT_NE(GameWindow, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(GameWindow), "Finmaw");
    EXPECT_EQ(g().screen->w, 800);
    EXPECT_EQ(g().screen->h, 400);
    EXPECT_EQ(g().world.max_fish, 120);
    EXPECT_EQ(g().world.player->hitbox.x, 0);
    EXPECT_EQ(g().world.player->hitbox.y, 200);
    EXPECT_EQ(g().player_data, g().world.player->data);
    EXPECT_NE(g().background, nullptr);
    EXPECT_NE(g().font, nullptr);

    /* The shell's last startup.log line is the player's; run.log has begun. */
    auto startup = SplitLines(ReadFile(dir_.path() / "startup.log"));
    std::string last_game;
    for (const auto &line : startup)
        if (line.find("(game:") != std::string::npos)
            last_game = line;
    EXPECT_NE(last_game.find("Created Player in world."), std::string::npos) << last_game;
    EXPECT_TRUE(InOrder(startup, {"Starting up...", "Started SDL systems.",
                                  "Created Window and SDL Surfaces.", "Started Image systems.",
                                  "Started Object systems.", "Loaded Fish data!",
                                  "Initialised Game world.", "Created Player in world."}));
    auto run = SplitLines(RunLog());
    ASSERT_EQ(run.size(), 1u);
    EXPECT_NE(run[0].find("[INFO] (game:"), std::string::npos);
    EXPECT_NE(run[0].find("Starting up..."), std::string::npos);
}

TEST_F(Shell, ScoreDigitsWithLeadingZeros)
{
    /* Every glyph must look different, or the comparison proves nothing. */
    std::vector<std::vector<Rgb>> looks;
    for (int d = 0; d < 10; ++d) {
        SDL_Surface *s = Background();
        Glyph(s, d, 30, 25);
        looks.push_back(Region(s, SDL_Rect{30, 25, 10, 12}));
        SDL_FreeSurface(s);
    }
    for (int a = 0; a < 10; ++a)
        for (int b = a + 1; b < 10; ++b)
            ASSERT_NE(looks[a], looks[b]) << a << " vs " << b;

    g().world.score = 1234;
    ASSERT_EQ(Frame(), 0);
    SDL_Surface *expected = Background();
    const int digits[] = {0, 0, 1, 2, 3, 4};
    for (int i = 0; i < 6; ++i)
        Glyph(expected, digits[i], 30 + 10 * i, 25);
    Glyph(expected, 3, 400, 25);
    EXPECT_TRUE(Region(g().screen, kScoreArea) == Region(expected, kScoreArea));
    EXPECT_TRUE(Region(g().screen, kHealthArea) == Region(expected, kHealthArea));
    SDL_FreeSurface(expected);
    EXPECT_EQ(g().score_rect.x, 90);

    /* A digit outside 0 to 9 has no glyph: its place is left alone. */
    SDL_UpperBlit(g().background, nullptr, g().screen, nullptr);
    g().world.score = -5;
    ASSERT_EQ(Game_DrawScore(&g()), 0);
    expected = Background();
    for (int i = 0; i < 5; ++i)
        Glyph(expected, 0, 30 + 10 * i, 25);
    EXPECT_TRUE(Region(g().screen, kScoreArea) == Region(expected, kScoreArea));
    SDL_FreeSurface(expected);

    /* A score beyond six digits is clamped by the world's frame start. */
    g().world.score = 1234567;
    ASSERT_EQ(Frame(), 0);
    expected = Background();
    for (int i = 0; i < 6; ++i)
        Glyph(expected, 9, 30 + 10 * i, 25);
    EXPECT_TRUE(Region(g().screen, kScoreArea) == Region(expected, kScoreArea));
    SDL_FreeSurface(expected);
}

TEST_F(Shell, HealthDigitOnlyForZeroToNine)
{
    SDL_Surface *bg = Background();
    SDL_Surface *three = Background();
    Glyph(three, 3, 400, 25);
    ASSERT_FALSE(Region(bg, kHealthArea) == Region(three, kHealthArea));

    ASSERT_EQ(Frame(), 0);
    EXPECT_TRUE(Region(g().screen, kHealthArea) == Region(three, kHealthArea));

    /* Seven presses of h bring 3 to 10: the digit goes. */
    for (int i = 0; i < 7; ++i)
        PushKey(SDL_KEYDOWN, SDLK_h);
    Drain();
    EXPECT_EQ(g().player_data->health, 10);
    ASSERT_EQ(Frame(), 0);
    EXPECT_TRUE(Region(g().screen, kHealthArea) == Region(bg, kHealthArea));

    /* Paused, so the shark's own update cannot lift it back to 0. */
    g().paused = 1;
    g().player_data->health = -1;
    ASSERT_EQ(Frame(), 0);
    EXPECT_TRUE(Region(g().screen, kHealthArea) == Region(bg, kHealthArea));
    SDL_FreeSurface(bg);
    SDL_FreeSurface(three);
}

TEST_F(Shell, HitboxViewShowsRedBoxesOnBlack)
{
    PushKey(SDL_KEYDOWN, SDLK_1);
    PushKey(SDL_KEYDOWN, SDLK_6);
    PushKey(SDL_KEYDOWN, SDLK_c);
    Drain();
    ASSERT_EQ(g().hitbox_view, 1);
    ASSERT_EQ(g().world.fish_count, 2);
    /* Put the two fish where they are wholly visible. */
    g().world.entities[0].hitbox.x = 300;
    g().world.entities[0].hitbox.y = 100;
    g().world.entities[1].hitbox.x = 500;
    g().world.entities[1].hitbox.y = 300;
    std::vector<SDL_Rect> boxes;
    for (int i = 0; i < g().world.entity_count; ++i)
        if (g().world.alive[i] == 1)
            boxes.push_back(g().world.entities[i].hitbox);
    ASSERT_EQ(boxes.size(), 3u);

    ASSERT_EQ(Frame(), 0);
    int red = 0, wrong = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 800; ++x) {
            bool inside = false;
            for (const auto &b : boxes)
                inside = inside || (x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h);
            Rgb want = inside ? Rgb{255, 0, 0} : Rgb{0, 0, 0};
            Rgb got = PixelAt(g().screen, x, y);
            if (inside && got == want)
                ++red;
            if (!(got == want))
                ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(red, 0);

    /* Off again: the scene is back from the next frame. */
    PushKey(SDL_KEYDOWN, SDLK_c);
    Drain();
    ASSERT_EQ(Frame(), 0);
    SDL_Surface *bg = Background();
    EXPECT_TRUE(PixelAt(g().screen, 700, 390) == PixelAt(bg, 700, 390));
    SDL_FreeSurface(bg);
}

TEST_F(Shell, PictureShowsTheStateBeforeTheUpdate)
{
    PushKey(SDL_KEYDOWN, SDLK_d);
    Drain();
    const Object_t before = *g().world.player;
    ASSERT_EQ(Frame(), 0);
    ASSERT_EQ(g().world.player->hitbox.x, before.hitbox.x + 3);

    const SDL_Rect area{0, 180, 130, 60};
    auto drawn_at = [&](const Object_t &o) {
        SDL_Surface *s = Background();
        SDL_Rect dst = o.sprite.dst;
        SDL_UpperBlit(o.sprite.sheet, &o.sprite.src, s, &dst);
        auto r = Region(s, area);
        SDL_FreeSurface(s);
        return r;
    };
    auto old_picture = drawn_at(before);
    auto new_picture = drawn_at(*g().world.player);
    ASSERT_FALSE(old_picture == new_picture);
    EXPECT_TRUE(Region(g().screen, area) == old_picture);
}

TEST_F(Shell, EntityRecordsKeepTheirRectanglesWhenClipped)
{
    /* One fish half out on the right, one half out on the left. */
    PushKey(SDL_KEYDOWN, SDLK_1);
    PushKey(SDL_KEYDOWN, SDLK_2);
    Drain();
    ASSERT_EQ(g().world.alive[0], 1);
    ASSERT_EQ(g().world.alive[1], 1);
    Object_t &right = g().world.entities[0];
    Object_t &left = g().world.entities[1];
    ASSERT_GT(right.sprite.src.w, 2);
    ASSERT_GT(left.sprite.src.w, 2);
    right.sprite.dst.x = 800 - right.sprite.src.w / 2;
    left.sprite.dst.x = -left.sprite.src.w / 2;
    const SDL_Rect right_dst = right.sprite.dst, left_dst = left.sprite.dst;
    g().paused = 1; /* keeps the records exactly as set */
    ASSERT_EQ(Frame(), 0);
    EXPECT_EQ(memcmp(&right.sprite.dst, &right_dst, sizeof right_dst), 0);
    EXPECT_EQ(memcmp(&left.sprite.dst, &left_dst, sizeof left_dst), 0);
}

TEST_F(Shell, PauseFreezesEntitiesOnly)
{
    PushKey(SDL_KEYDOWN, SDLK_RIGHT);
    PushKey(SDL_KEYDOWN, SDLK_1);
    Drain();
    ASSERT_EQ(Frame(), 0);
    g().world.score = 42;
    PushKey(SDL_KEYDOWN, SDLK_p);
    Drain();
    ASSERT_EQ(g().paused, 1);
    EXPECT_EQ(LOG_STREAM, nullptr);
    auto lines = SplitLines(ReadFile(dir_.path() / "run.log"));
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("Score: 42"), std::string::npos) << lines.back();
    const std::string before_pause = ReadFile(dir_.path() / "run.log");

    const SDL_Rect fish = g().world.entities[0].hitbox;
    const SDL_Rect shark = g().world.player->hitbox;
    PushKey(SDL_KEYDOWN, SDLK_2);
    PushKey(SDL_KEYDOWN, SDLK_c);
    PushKey(SDL_KEYDOWN, SDLK_h);
    PushKey(SDL_KEYUP, SDLK_RIGHT);
    Drain();
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(Frame(), 0);
    EXPECT_EQ(g().world.fish_count, 2);
    EXPECT_EQ(g().world.alive[1], 1);
    EXPECT_EQ(g().hitbox_view, 1);
    EXPECT_EQ(g().player_data->health, 4);
    EXPECT_EQ(memcmp(&g().world.entities[0].hitbox, &fish, sizeof fish), 0);
    EXPECT_EQ(memcmp(&g().world.player->hitbox, &shark, sizeof shark), 0);
    /* Nothing reached the closed file. */
    EXPECT_EQ(ReadFile(dir_.path() / "run.log"), before_pause);

    /* A move pressed during the pause acts in the first frame after it. */
    PushKey(SDL_KEYDOWN, SDLK_s);
    Drain();
    ASSERT_EQ(Frame(), 0);
    EXPECT_EQ(g().world.player->hitbox.y, shark.y);
    PushKey(SDL_KEYDOWN, SDLK_p);
    Drain();
    ASSERT_EQ(g().paused, 0);
    ASSERT_NE(LOG_STREAM, nullptr);
    g().score_countdown = 1;
    ASSERT_EQ(Frame(), 0);
    EXPECT_EQ(g().world.player->hitbox.y, shark.y + 3);
    EXPECT_EQ(g().world.player->hitbox.x, shark.x);

    /* Appended after the earlier lines, not over them. */
    const std::string after = RunLog();
    ASSERT_EQ(after.compare(0, before_pause.size(), before_pause), 0);
    EXPECT_NE(after.find("Score: 42", before_pause.size()), std::string::npos);
}

TEST_F(Shell, QuitWhilePausedDropsTheShutdownLines)
{
    PushKey(SDL_KEYDOWN, SDLK_p);
    Drain();
    const std::string before = ReadFile(dir_.path() / "run.log");
    started_ = false;
    EXPECT_EQ(Game_Shutdown(&g()), 0);
    EXPECT_EQ(LOG_STREAM, nullptr);
    EXPECT_EQ(ReadFile(dir_.path() / "run.log"), before);
}

TEST_F(Shell, ScoreLineOnFramesOneThreeHundredOneAndSixHundredOne)
{
    std::vector<int> counts;
    for (int frame = 1; frame <= 601; ++frame) {
        ASSERT_EQ(Frame(), 0);
        if (frame == 1 || frame == 300 || frame == 301 || frame == 600 || frame == 601)
            counts.push_back(CountLines(RunLog(), "Score: 0"));
    }
    EXPECT_EQ(counts, (std::vector<int>{1, 1, 2, 2, 3}));
}

TEST_F(Shell, KeysOutsideTheTableDoNothing)
{
    const std::string log_before = RunLog();
    const SDL_Rect shark = g().world.player->hitbox;
    for (SDL_Keycode k : {SDLK_9, SDLK_0, SDLK_RETURN})
        PushKey(SDL_KEYDOWN, k);
    for (SDL_Keycode k : {SDLK_ESCAPE, SDLK_1, SDLK_5, SDLK_8, SDLK_c, SDLK_h, SDLK_p})
        PushKey(SDL_KEYUP, k);
    Drain();
    EXPECT_EQ(g().running, 1);
    EXPECT_EQ(g().paused, 0);
    EXPECT_EQ(g().hitbox_view, 0);
    EXPECT_EQ(g().player_data->health, 3);
    EXPECT_EQ(g().world.fish_count, 0);
    ASSERT_EQ(Frame(), 0);
    EXPECT_EQ(memcmp(&g().world.player->hitbox, &shark, sizeof shark), 0);
    EXPECT_EQ(CountLines(RunLog(), "Quit message"), 0);

    /* Repeats count as presses: two toggles of the hitbox view. */
    PushKey(SDL_KEYDOWN, SDLK_c);
    PushKey(SDL_KEYDOWN, SDLK_c, 1);
    PushKey(SDL_KEYDOWN, SDLK_c, 1);
    Drain();
    EXPECT_EQ(g().hitbox_view, 1);
}

TEST_F(Shell, EscapePushesAQuit)
{
    PushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    /* SDL hands over an event pushed during a drain in the next one. */
    Drain();
    Drain();
    EXPECT_EQ(g().running, 0);
    EXPECT_EQ(CountLines(RunLog(), "Quit message recieved."), 1);
}

TEST_F(Shell, QuitStillDrainsAndRunsTheDueFrame)
{
    /* The loop's first frame is due from tick 1 on. */
    while (SDL_GetTicks() < 2) {
    }
    SDL_Event quit;
    memset(&quit, 0, sizeof quit);
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    PushKey(SDL_KEYDOWN, SDLK_h); /* behind the quit: still handled */
    EXPECT_EQ(Game_Loop(&g()), 0);
    EXPECT_EQ(g().running, 0);
    EXPECT_EQ(g().player_data->health, 4);
    EXPECT_EQ(CountLines(RunLog(), "Quit message recieved."), 1);
    EXPECT_EQ(CountLines(RunLog(), "Score: 0"), 1);
    EXPECT_TRUE(InOrder(SplitLines(RunLog()), {"Starting up...", "Quit message recieved.", "Score: 0"}));
}

TEST_F(Shell, FailingFrameStepsEndTheLoop)
{
    /* No renderer: filling a hitbox fails. */
    g().hitbox_view = 1;
    SDL_Renderer *renderer = g().renderer;
    g().renderer = nullptr;
    EXPECT_NE(Frame(), 0);
    EXPECT_NE(g().status, 0);
    EXPECT_EQ(CountLines(RunLog(), "[ERROR] (game:Game_Frame():"), 1);
    EXPECT_EQ(CountLines(RunLog(), "Could not draw rect!"), 1);
    EXPECT_EQ(CountLines(RunLog(), "Score: 0"), 0);
    g().renderer = renderer;
    g().hitbox_view = 0;

    /* A world without its player cannot hand out its entities. */
    Object_t *player = g().world.player;
    g().world.player = nullptr;
    EXPECT_EQ(Game_Loop(&g()), -1);
    EXPECT_EQ(g().status, -1);
    EXPECT_EQ(CountLines(RunLog(), "Failed to get entity list from World."), 1);
    g().world.player = player;
}

/* ---- Start-up pieces without the fixture ---- */

TEST(ShellStartup, CollisionNameBufferFailureStopsStartup)
{
    fmtest::TempDir dir;
    fmtest::ChdirGuard cd(dir.path());
    Mem_TestReset(3, 0);
    int status = Game_Main();
    Mem_TestReset(0, 0);
    EXPECT_NE(status, 0);
    EXPECT_EQ(CollisionNames[2], nullptr);
    EXPECT_STREQ(CollisionNames[1], "COLLISION_PLAYER");
    EXPECT_STREQ(CollisionNames[3], "COLLISION_DEATH");
    auto lines = SplitLines(ReadFile(dir.path() / "startup.log"));
    EXPECT_TRUE(InOrder(lines, {"Out of memory.", "Closing down systems.", "All cleaning done."}));
    EXPECT_EQ(CountLines(ReadFile(dir.path() / "startup.log"), "Starting up..."), 0);
    EXPECT_FALSE(fmtest::fs::exists(dir.path() / "run.log"));

    /* A second fill gets the missing buffer and keeps the others. */
    char *kept = CollisionNames[0];
    EXPECT_EQ(Main_FillCollisionNames(), 0);
    EXPECT_EQ(CollisionNames[0], kept);
    EXPECT_STREQ(CollisionNames[2], "COLLISION_FISH");
}

TEST(ShellStartup, InitWindowWarnsAboutAScreenAlreadySet)
{
    fmtest::LogCapture log;
    SDL_Surface *screen = nullptr;
    /* Creating a window starts video on demand; with no driver it fails. */
    setenv("SDL_VIDEODRIVER", "nonexistent", 1);
    EXPECT_EQ(Main_InitWindow(&screen), -1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    EXPECT_EQ(GameWindow, nullptr);
    EXPECT_EQ(screen, nullptr);
    EXPECT_TRUE(log.contains("[ERROR] (game:Main_InitWindow():"));
    EXPECT_TRUE(log.contains("Failed to initialise SDL_Window: "));

    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    SDL_Surface dummy;
    screen = &dummy;
    EXPECT_EQ(Main_InitWindow(&screen), 0);
    EXPECT_TRUE(log.contains("[WARN] (game:Main_InitWindow():"));
    EXPECT_TRUE(log.contains("Screen handle parameter should be NULL - check initialisation."));
    EXPECT_NE(screen, &dummy);
    EXPECT_EQ(screen, SDL_GetWindowSurface(GameWindow));
    EXPECT_TRUE(InOrder(log.lines(), {"I reach this point.", "Boop.", "I reach the end of this point."}));

    SDL_Renderer *r = Main_CreateHitboxRenderer(screen);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r, HitboxRenderer);
    EXPECT_EQ(HitboxSurface->format->format, screen->format->format);
    EXPECT_EQ(HitboxSurface->w, 800);
    /* The window surface survives the renderer. */
    EXPECT_EQ(SDL_GetWindowSurface(GameWindow), screen);

    EXPECT_EQ(Main_CloseAll(), 0);
    EXPECT_EQ(GameWindow, nullptr);
    EXPECT_EQ(HitboxRenderer, nullptr);
    EXPECT_EQ(HitboxSurface, nullptr);
    EXPECT_EQ(LOG_STREAM, nullptr);
}

} // namespace

/* The shell driven in-process under the dummy video driver: start-up in a
 * scratch working directory with the real pictures, then events and frames
 * one at a time, checking the window surface's pixels and the log files. */
#include "class/fish.h"
#include "play_script.h"

using namespace fmtest;

namespace {

void Push(SDL_Keycode key, Uint32 type = SDL_KEYDOWN, Uint8 repeat = 0) {
    SDL_Event e{type};
    e.key.repeat = repeat, e.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

/* Pixel values of a rectangle, row by row (all surfaces here share the screen's 32-bit format). */
std::vector<Uint32> Region(SDL_Surface *s, SDL_Rect r) {
    std::vector<Uint32> out;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            out.push_back(static_cast<const Uint32 *>(s->pixels)[y * s->pitch / 4 + x]);
    return out;
}

const SDL_Rect kScoreArea{30, 25, 60, 12}, kHealthArea{400, 25, 10, 12};

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Start(&g)) << ReadFile(dir_.path() / "startup.log");
        ASSERT_EQ(g.screen->format->BytesPerPixel, 4);
    }
    void TearDown() override {
        if (g.screen) Game_Shutdown(&g); /* a test that shut down already left no screen */
    }
    std::string RunLog() const { return Log_Flush(), ReadFile(dir_.path() / "run.log"); }
    long Count(const std::string &needle) const {
        const Lines lines = SplitLines(RunLog());
        return std::ranges::count_if(lines, [&](const std::string &l) { return l.find(needle) != std::string::npos; });
    }
    int Frame() { return Game_Frame(&g); }
    void Send(std::initializer_list<SDL_Keycode> keys, Uint32 type = SDL_KEYDOWN) { Press(&g, keys, type); }
    /* The area as the background alone would show it, with glyphs {digit, x} of the font on top. */
    std::vector<Uint32> Expected(SDL_Rect area, std::vector<std::pair<int, int>> glyphs) {
        SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, 800, 400, 0, g.screen->format->format);
        SDL_UpperBlit(g.background, nullptr, s, nullptr);
        for (auto [digit, x] : glyphs) {
            SDL_Rect src{10 * digit, 0, 10, 12}, at{x, 25, 10, 12};
            SDL_UpperBlit(g.font, &src, s, &at);
        }
        auto r = Region(s, area);
        SDL_FreeSurface(s);
        return r;
    }

    TempDir dir_;
    ChdirGuard cd_{dir_.path()};
    Game_t g{};
};

TEST_F(Shell, ScoreAndHealthDigits) {
    /* Every glyph must look different, or the comparisons prove nothing. */
    for (int a = 0; a < 10; ++a)
        for (int b = a + 1; b < 10; ++b)
            ASSERT_FALSE(Expected({30, 25, 10, 12}, {{a, 30}}) == Expected({30, 25, 10, 12}, {{b, 30}}));
    g.world.score = 1234;
    ASSERT_EQ(Frame(), 0);
    EXPECT_TRUE(
        Region(g.screen, kScoreArea) == Expected(kScoreArea, {{0, 30}, {0, 40}, {1, 50}, {2, 60}, {3, 70}, {4, 80}}));
    EXPECT_TRUE(Region(g.screen, kHealthArea) == Expected(kHealthArea, {{3, 400}}));
    Send({SDLK_h, SDLK_h, SDLK_h, SDLK_h, SDLK_h, SDLK_h, SDLK_h}); /* 3 + 7: the digit goes */
    EXPECT_EQ(g.player_data->health, 10);
    ASSERT_EQ(Frame(), 0);
    EXPECT_TRUE(Region(g.screen, kHealthArea) == Expected(kHealthArea, {}));
    g.paused = 1; /* so the shark's own update cannot lift it back to 0 */
    g.player_data->health = -1;
    ASSERT_EQ(Frame(), 0);
    EXPECT_TRUE(Region(g.screen, kHealthArea) == Expected(kHealthArea, {}));
}

TEST_F(Shell, HitboxViewShowsRedBoxesOnBlack) {
    Send({SDLK_1, SDLK_6, SDLK_c});
    ASSERT_EQ(g.world.fish_count, 2);
    for (int i : {0, 1}) /* where they are wholly visible */
        g.world.entities[i].hitbox.x = 300 + 200 * i, g.world.entities[i].hitbox.y = 100 + 200 * i;
    g.paused = 1; /* the boxes stay where they are put */
    ASSERT_EQ(Frame(), 0);
    SDL_Surface *want = SDL_CreateRGBSurfaceWithFormat(0, 800, 400, 0, g.screen->format->format);
    SDL_FillRect(want, nullptr, SDL_MapRGB(want->format, 0, 0, 0));
    for (int i = 0; i < g.world.entity_count; ++i) /* the two fish and the shark */
        if (g.world.alive[i] == 1) SDL_FillRect(want, &g.world.entities[i].hitbox, SDL_MapRGB(want->format, 255, 0, 0));
    EXPECT_TRUE(Region(g.screen, {0, 0, 800, 400}) == Region(want, {0, 0, 800, 400}));
    SDL_FreeSurface(want);
}

TEST_F(Shell, PauseFreezesEntitiesOnly) {
    Send({SDLK_RIGHT, SDLK_1});
    ASSERT_EQ(Frame(), 0);
    g.world.score = 42;
    Send({SDLK_p});
    ASSERT_EQ(g.paused, 1);
    const std::string before_pause = ReadFile(dir_.path() / "run.log");
    EXPECT_NE(SplitLines(before_pause).back().find("Score: 42"), std::string::npos);
    const SDL_Rect fish = g.world.entities[0].hitbox, shark = g.world.player->hitbox;
    Send({SDLK_2, SDLK_c, SDLK_h, SDLK_s}); /* s: still held when the game resumes */
    Send({SDLK_RIGHT}, SDL_KEYUP);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(Frame(), 0);
    EXPECT_EQ(
        (std::vector<int>{g.world.fish_count, g.hitbox_view, g.player_data->health}), (std::vector<int>{2, 1, 4}));
    EXPECT_EQ(memcmp(&g.world.entities[0].hitbox, &fish, sizeof fish), 0);
    EXPECT_EQ(memcmp(&g.world.player->hitbox, &shark, sizeof shark), 0);
    EXPECT_EQ(ReadFile(dir_.path() / "run.log"), before_pause); /* nothing reached the closed file */
    Send({SDLK_p});
    g.score_countdown = 1;
    ASSERT_EQ(Frame(), 0);
    EXPECT_EQ((std::vector<int>{g.world.player->hitbox.x, g.world.player->hitbox.y}),
        (std::vector<int>{shark.x, shark.y + 3}));
    EXPECT_EQ(Count("Score: 42"), 2); /* appended, not written over */
    /* Quitting while paused: the shutdown lines have no file and are dropped. */
    Send({SDLK_p});
    const std::string paused_again = ReadFile(dir_.path() / "run.log");
    EXPECT_EQ(Game_Shutdown(&g), 0);
    EXPECT_EQ(ReadFile(dir_.path() / "run.log"), paused_again);
}

TEST_F(Shell, ScoreLineOnFramesOneThreeHundredOneAndSixHundredOne) {
    std::vector<long> counts;
    for (int frame = 1; frame <= 601; ++frame) {
        ASSERT_EQ(Frame(), 0);
        if (frame == 1 || frame == 300 || frame == 301 || frame == 600 || frame == 601)
            counts.push_back(Count("Score: 0"));
    }
    EXPECT_EQ(counts, (std::vector<long>{1, 1, 2, 2, 3}));
    const Uint32 before = SDL_GetTicks(); /* the next frame is due 16 ms after this one */
    ASSERT_EQ(Frame(), 0);
    EXPECT_TRUE(g.next_frame >= before + 16 && g.next_frame <= SDL_GetTicks() + 16) << g.next_frame - before;
}

/* Each key's effect after one frame, and its release's after the next. */
TEST_F(Shell, KeyTableDrivesInputsAndSpawns) {
    Object_t *shark = g.world.player;
    const struct {
        SDL_Keycode key;
        int dx, dy;
    } moves[] = {{SDLK_UP, 0, -3}, {SDLK_w, 0, -3}, {SDLK_DOWN, 0, 3}, {SDLK_s, 0, 3}, {SDLK_LEFT, -4, 0},
        {SDLK_a, -4, 0}, {SDLK_RIGHT, 3, 0}, {SDLK_d, 3, 0}, {SDLK_9, 0, 0}, {SDLK_RETURN, 0, 0}};
    for (const auto &m : moves)
        for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) { /* 300 - 3.4 truncates to 296 */
            shark->hitbox.x = 300, shark->hitbox.y = 200;
            Send({m.key}, type);
            ASSERT_EQ(Frame(), 0);
            EXPECT_EQ((std::vector<int>{shark->hitbox.x - 300, shark->hitbox.y - 200}),
                (type == SDL_KEYDOWN ? std::vector<int>{m.dx, m.dy} : std::vector<int>{0, 0}))
                << SDL_GetKeyName(m.key) << type;
        }
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
        Send({SDLK_SPACE}, type);
        ASSERT_EQ(Frame(), 0);
        EXPECT_EQ(g.player_data->biting, type == SDL_KEYDOWN);
    }
    Send({SDLK_ESCAPE, SDLK_1, SDLK_8, SDLK_c, SDLK_h, SDLK_p}, SDL_KEYUP); /* key-ups of switches do nothing */
    EXPECT_EQ((std::vector<int>{g.running, g.paused, g.hitbox_view, g.player_data->health, g.world.fish_count}),
        (std::vector<int>{1, 0, 0, 3, 0}));
    const struct {
        SDL_Keycode key;
        const char *type;
        int start_y;
    } spawns[] = {{SDLK_1, "horiz_slow", 200}, {SDLK_2, "horiz_med", 200}, {SDLK_3, "horiz_fast", 200},
        {SDLK_4, "sine_slow", 200}, {SDLK_5, "sine_wide", 20}, {SDLK_6, "sword", 200}, {SDLK_7, "puffer", 200},
        {SDLK_8, "crab", 600}};
    for (const auto &s : spawns) Send({s.key}); /* each takes the next free slot */
    ASSERT_EQ(g.world.fish_count, 8);
    for (int i = 0; i < 8; ++i) {
        const Object_t &fish = g.world.entities[i];
        const int type = Fish_FindType(spawns[i].type);
        ASSERT_GE(type, 0);
        EXPECT_EQ((std::vector<int>{static_cast<const FishData *>(fish.data)->points, fish.hitbox.w, fish.hitbox.h,
                      fish.hitbox.y - fish.sprite.src.h / 2}),
            (std::vector<int>{Fish_GetData(type)->points, Fish_GetTemplate(type)->hitbox_w,
                Fish_GetTemplate(type)->hitbox_h, spawns[i].start_y}))
            << spawns[i].type;
    }
    /* Escape pushes a quit, which the next drain hands over; a repeat counts as a press. */
    Push(SDLK_c);
    Push(SDLK_c, SDL_KEYDOWN, 1);
    Push(SDLK_ESCAPE);
    Game_DrainEvents(&g);
    Game_DrainEvents(&g);
    EXPECT_EQ((std::vector<int>{g.hitbox_view, g.running}), (std::vector<int>{0, 0}));
    EXPECT_EQ(Count("Quit message recieved."), 1);
}

TEST_F(Shell, QuitStillDrainsAndRunsTheDueFrame) {
    while (SDL_GetTicks() < 2) {} /* the loop's first frame is due from tick 1 on */
    Push(SDLK_UNKNOWN, SDL_QUIT);
    Push(SDLK_h); /* behind the quit: still handled */
    EXPECT_EQ(Game_Loop(&g), 0);
    EXPECT_EQ(g.player_data->health, 4);
    EXPECT_EQ(Count("Score: 0"), 1);
    EXPECT_TRUE(InOrder(SplitLines(RunLog()), {"Quit message recieved.", "Score: 0"}));
}

} // namespace

/* The hitbox view follows the window's pixel format, 3-byte ones included,
 * for which SDL has no blended fill. */
TEST(HitboxView, RedBoxOnBlackInEveryScreenFormat) {
    for (Uint32 format : {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_RGB24}) {
        Game_t g{};
        g.screen = SDL_CreateRGBSurfaceWithFormat(0, 800, 400, 0, format);
        g.hitbox_view = 1;
        Main_CreateHitboxRenderer(&g);
        ASSERT_NE(g.renderer, nullptr);
        Game_DrawFrameStart(&g);
        Object_t o{};
        o.hitbox = SDL_Rect{100, 50, 30, 20};
        EXPECT_EQ(Game_DrawHitbox(&g, &o), 0);
        SDL_RenderFlush(g.renderer);
        SDL_Surface *want = SDL_ConvertSurfaceFormat(g.hitbox_surface, SDL_PIXELFORMAT_RGB888, 0),
                    *got = SDL_ConvertSurfaceFormat(g.hitbox_surface, SDL_PIXELFORMAT_RGB888, 0);
        SDL_FillRect(want, nullptr, 0);
        SDL_FillRect(want, &o.hitbox, SDL_MapRGB(want->format, 255, 0, 0));
        EXPECT_TRUE(Region(got, {0, 0, 800, 400}) == Region(want, {0, 0, 800, 400})) << SDL_GetPixelFormatName(format);
        SDL_DestroyRenderer(g.renderer);
        for (SDL_Surface *s : {want, got, g.hitbox_surface, g.screen}) SDL_FreeSurface(s);
    }
}

/* Without a video driver: the window step, start-up and the hitbox renderer fail with -1 or null. */
TEST(ShellSteps, FailingStartReturnsMinusOneAndStillClosesDown) {
    TempDir dir;
    ChdirGuard cd(dir.path());
    setenv("SDL_VIDEODRIVER", "nonexistent", 1);
    SDL_Surface *screen = nullptr;
    {
        LogCapture log;
        EXPECT_EQ(Main_InitWindow(&screen), -1);
        EXPECT_EQ(log.Take().back().rfind("[ERROR] Failed to initialise SDL_Window: ", 0), 0u);
    }
    EXPECT_EQ(Main_CreateHitboxRenderer(nullptr), nullptr);
    static Game_t g;
    EXPECT_EQ(Game_Startup(&g), -1);
    EXPECT_EQ(g.status, -1);
    EXPECT_EQ(Game_Shutdown(&g), -1);
    EXPECT_TRUE(InOrder(SplitLines(ReadFile(dir.path() / "startup.log")),
        {"Starting up...", "Failed to initialise SDL. Err #-1: ", "Closing down systems.", "Cleaning resources...",
            "All cleaning done."}));
    EXPECT_EQ(Main_CloseAll(nullptr), 0);
}

/* Frame benchmark: what one frame of the game costs, measured against the
 * cheapest thing a frame could possibly do, copying 800x400 pixels once.
 *
 *   BM_MemcpyFrame      the floor: one memcpy of a whole 32-bit frame
 *   BM_StartUp          pictures, classes, fish catalogue, world and shark,
 *                       each start timed in a fresh process
 *   BM_FrameFullLoad    Game_Frame with all fish slots live, scene view
 *   BM_FrameHitboxView  the same with the hitbox view on
 *   BM_PresentX11       SDL_UpdateWindowSurface on X11, with and without
 *                       SDL's texture framebuffer (skipped without DISPLAY)
 *
 * The budgets (a frame within 3x the floor, start-up within 5 ms) are
 * reported, not enforced: each frame benchmark carries an "x_memcpy" counter
 * and a summary is printed at the end.
 *
 * The game's modules start once per process by design, so whatever has to
 * start them more than once runs in a child: this executable again, with a
 * --child-* argument, writing its measurement to a pipe. */
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ashare/alloc.h"
#include "ashare/share_utils.h"
#include "class/fish.h"
#include "class/playershark.h"
#include "game.h"
#include "game_main.h"
#include "image.h"
#include "load/full_load.h"
#include "object.h"
#include "world.h"

#define FM_LOG_FILE "bench"
#include "ashare/log.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWidth = FIELD_W;
constexpr int kHeight = FIELD_H;
constexpr size_t kFrameBytes = size_t{kWidth} * kHeight * 4;
constexpr double kFrameBudget = 3.0; /* times the memcpy floor */
constexpr double kStartBudgetUs = 5000.0;

const char *g_self = nullptr; /* argv[0], for the children */

/* Mean real time per iteration of the last (largest) run of each
 * benchmark, in microseconds, for the summary. */
std::map<std::string, double> g_us;

double Micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

/* ---------------------------------------------------------------------- */
/* Child processes                                                         */

/* Runs this executable with one argument and returns the number it prints,
 * or a negative value when it failed. */
double RunChild(const char *arg, const char *videodriver)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1.0;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1.0;
    }
    if (pid == 0) {
        close(fds[0]);
        if (dup2(fds[1], STDOUT_FILENO) < 0)
            _exit(127);
        close(fds[1]);
        if (videodriver)
            setenv("SDL_VIDEODRIVER", videodriver, 1);
        execl("/proc/self/exe", g_self, arg, static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[256];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        out.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1.0;
    char *end = nullptr;
    const double value = strtod(out.c_str(), &end);
    return end == out.c_str() ? -1.0 : value;
}

/* Child: the start-up steps that build the picture stores, the classes, the
 * catalogue and the world, timed together. SDL, the window and the log are
 * ready before the clock starts. Prints microseconds. */
int ChildStartUp()
{
    if (Main_FillCollisionNames() != 0 || Log_Open("startup.log", "w") != 0)
        return 1;
    Player_InputInit();
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Surface *screen = nullptr;
    if (Main_InitWindow(&screen) != 0)
        return 1;
    World_t world;
    memset(&world, 0, sizeof world);

    const Clock::time_point t0 = Clock::now();
    int rc = Main_StartImage();
    if (rc == 0)
        rc = Object_Begin();
    if (rc == 0) {
        Object_PushLoadForClass(Class_LoadFish);
        Object_PushLoadForClass(Class_LoadPlayerShark);
        rc = Object_LoadClasses();
    }
    if (rc == 0)
        rc = Main_LoadFish();
    if (rc == 0)
        rc = World_Create(&world, GAME_MAX_FISH);
    if (rc == 0)
        rc = World_SpawnPlayer(&world, GAME_PLAYER_START_X, GAME_PLAYER_START_Y);
    const Clock::time_point t1 = Clock::now();

    World_Destroy(&world);
    Main_CloseAll(nullptr); /* no hitbox view was made */
    if (rc != 0)
        return 1;
    printf("%.3f\n", Micros(t1 - t0));
    return 0;
}

/* Child: mean cost of SDL_UpdateWindowSurface for an 800x400 window on the
 * current video driver; accel is the SDL_FRAMEBUFFER_ACCELERATION hint, or
 * null for SDL's default. Prints microseconds. */
int ChildPresent(const char *accel)
{
    if (accel)
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, accel);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Window *window =
        SDL_CreateWindow("present", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth,
                         kHeight, SDL_WINDOW_SHOWN);
    SDL_Surface *screen = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!screen)
        return 1;
    constexpr int kWarm = 30;
    constexpr int kTimed = 300;
    SDL_Event event;
    Clock::duration total{};
    for (int i = 0; i < kWarm + kTimed; ++i) {
        /* A changing picture, as in the game; filled outside the timing. */
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, static_cast<Uint8>(i), 80));
        while (SDL_PollEvent(&event)) {}
        const Clock::time_point t0 = Clock::now();
        if (SDL_UpdateWindowSurface(window) != 0)
            return 1;
        if (i >= kWarm)
            total += Clock::now() - t0;
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    printf("%.3f\n", Micros(total) / kTimed);
    return 0;
}

/* ---------------------------------------------------------------------- */
/* The game under load                                                     */

/* One game for the whole process, started on first use. */
Game_t g_game;
FullLoad_t g_load;
int g_game_state = 0; /* 0 not started, 1 running, -1 failed */

bool StartGame()
{
    if (g_game_state != 0)
        return g_game_state == 1;
    g_game_state = -1;
    memset(&g_game, 0, sizeof g_game);
    if (Game_Startup(&g_game) != 0) {
        fprintf(stderr, "finmaw_bench: start-up failed, see startup.log in %s\n",
                fs::current_path().c_str());
        return false;
    }
    Game_LoopBegin(&g_game);
    if (FullLoad_Begin(&g_load, &g_game) != 0)
        return false;
    g_game_state = 1;
    return true;
}

void StopGame()
{
    if (g_game_state == 1)
        Game_Shutdown(&g_game);
    g_game_state = 0;
}

void RecordRatio(benchmark::State &state, const char *name, double us)
{
    g_us[name] = us;
    const auto floor = g_us.find("BM_MemcpyFrame");
    if (floor != g_us.end() && floor->second > 0.0)
        state.counters["x_memcpy"] = us / floor->second;
}

void FrameBench(benchmark::State &state, const char *name, int hitbox_view)
{
    if (!StartGame()) {
        state.SkipWithError("game start-up failed");
        return;
    }
    g_game.hitbox_view = hitbox_view;
    const Clock::time_point t0 = Clock::now();
    for (auto _ : state) {
        if (FullLoad_Frame(&g_load) != 0) {
            state.SkipWithError("a frame step failed");
            break;
        }
    }
    const double us = Micros(Clock::now() - t0) / static_cast<double>(state.iterations());
    g_game.hitbox_view = 0;
    state.counters["fish"] = g_game.world.fish_count;
    if (!state.error_occurred())
        RecordRatio(state, name, us);
}

/* ---------------------------------------------------------------------- */
/* Benchmarks                                                              */

void BM_MemcpyFrame(benchmark::State &state)
{
    std::vector<unsigned char> src(kFrameBytes), dst(kFrameBytes);
    for (size_t i = 0; i < kFrameBytes; ++i)
        src[i] = static_cast<unsigned char>(i * 7u);
    const Clock::time_point t0 = Clock::now();
    for (auto _ : state) {
        memcpy(dst.data(), src.data(), kFrameBytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    g_us["BM_MemcpyFrame"] = Micros(Clock::now() - t0) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(kFrameBytes));
}

void BM_StartUp(benchmark::State &state)
{
    double total = 0.0;
    for (auto _ : state) {
        const double us = RunChild("--child-startup", nullptr);
        if (us < 0.0) {
            state.SkipWithError("start-up failed in the child process");
            return;
        }
        state.SetIterationTime(us / 1e6);
        total += us;
    }
    g_us["BM_StartUp"] = total / static_cast<double>(state.iterations());
}

void BM_FrameFullLoad(benchmark::State &state)
{
    FrameBench(state, "BM_FrameFullLoad", 0);
}

void BM_FrameHitboxView(benchmark::State &state)
{
    FrameBench(state, "BM_FrameHitboxView", 1);
}

/* Arg 0: SDL's default (a texture on an accelerated renderer, where SDL
 * finds one); arg 1: SDL_FRAMEBUFFER_ACCELERATION "0", the plain X image
 * the game asks for. */
void BM_PresentX11(benchmark::State &state)
{
    const char *display = getenv("DISPLAY");
    if (!display || !*display) {
        state.SkipWithError("no X display (run under xvfb-run -a)");
        return;
    }
    const bool plain = state.range(0) != 0;
    state.SetLabel(plain ? "accel=0" : "default");
    double total = 0.0;
    for (auto _ : state) {
        const double us =
            RunChild(plain ? "--child-present-plain" : "--child-present-default", "x11");
        if (us < 0.0) {
            state.SkipWithError("could not open an X11 window");
            return;
        }
        state.SetIterationTime(us / 1e6);
        total += us;
    }
    g_us[plain ? "BM_PresentX11/accel=0" : "BM_PresentX11/default"] =
        total / static_cast<double>(state.iterations());
}

/* Registration order is run order: the floor first, so the frames can give
 * their ratio to it; start-up before the frames, which start the game in
 * this process (the children are fresh processes either way). */
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);
BENCHMARK(BM_FrameFullLoad)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameHitboxView)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentX11)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(3);

void PrintSummary()
{
    const auto floor = g_us.find("BM_MemcpyFrame");
    if (g_us.empty())
        return;
    printf("\nSummary (mean real time per iteration)\n");
    for (const auto &[name, us] : g_us) {
        printf("  %-24s %10.1f us", name.c_str(), us);
        if (name.rfind("BM_Frame", 0) == 0 && floor != g_us.end() && floor->second > 0.0) {
            const double ratio = us / floor->second;
            printf("   %.2fx memcpy (budget %.0fx: %s)", ratio, kFrameBudget,
                   ratio <= kFrameBudget ? "within" : "OVER");
        } else if (name == "BM_StartUp") {
            printf("   (budget %.0f us: %s)", kStartBudgetUs,
                   us <= kStartBudgetUs ? "within" : "OVER");
        }
        printf("\n");
    }
}

} // namespace

int main(int argc, char **argv)
{
    g_self = argv[0];
    /* Headless unless told otherwise; the X11 children set their own. */
    setenv("SDL_VIDEODRIVER", "dummy", 0);

    if (argc == 2 && strcmp(argv[1], "--child-startup") == 0)
        return ChildStartUp();
    if (argc == 2 && strcmp(argv[1], "--child-present-default") == 0)
        return ChildPresent(nullptr);
    if (argc == 2 && strcmp(argv[1], "--child-present-plain") == 0)
        return ChildPresent("0");

    /* The logs go to a scratch folder; the pictures are found beside bin/
     * as the game finds them. */
    std::error_code ec;
    std::string tmpl = (fs::temp_directory_path() / "finmaw-bench-XXXXXX").string();
    std::vector<char> dir(tmpl.begin(), tmpl.end());
    dir.push_back('\0');
    if (!mkdtemp(dir.data())) {
        perror("finmaw_bench: mkdtemp");
        return 1;
    }
    const fs::path scratch = dir.data();
    fs::current_path(scratch);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopGame();
    PrintSummary();

    fs::current_path(scratch.parent_path(), ec);
    fs::remove_all(scratch, ec);
    return 0;
}

/* Every allocation that start-up makes is made to fail in turn, each run in
 * a forked child with fresh module state: the run must end without a crash,
 * a sanitizer report or a leak, and either stop start-up with the failing
 * module's line and the shell's line for the step, or play on. Play itself
 * and sheet loading are put through the same. */
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "alloc.h"
#include "child_process.h"
#include "game.h"
#include "game_main.h"
#include "image.h"
#include "share_utils.h"
#include "test_support.h"

/* A sanitizer report in a child must not look like an ordinary status. */
extern "C" const char *__asan_default_options() { return "exitcode=86"; }
extern "C" const char *__ubsan_default_options() { return "exitcode=86:print_stacktrace=1"; }

using fmtest::ChildOutcome;
using fmtest::InOrder;
using fmtest::ReadFile;
using fmtest::SplitLines;
namespace fs = std::filesystem;

namespace {

/* Exit statuses of the child runs. */
enum {
    kPlayed = 0,           /* start-up passed, frames ran, shutdown returned 0 */
    kStartupFailed = 40,   /* start-up failed, shutdown returned non-zero */
    kStatusLost = 41,      /* start-up failed but shutdown returned 0 */
    kFrameFailed = 42,
    kSpawnLost = 43,
    kQuitIgnored = 44,
    kShutdownFailed = 45,
    kNoResourcePath = 46,
    kPlayAllocated = 47,
    kLeftBehind = 48,      /* blocks other than the ones kept by design */
};

/* The blocks a finished run keeps on purpose: the collision-name buffers
 * and the shark's input table, whichever could be had. */
long KeptByDesign()
{
    long kept = 0;
    for (char *name : CollisionNames)
        kept += name ? 1 : 0;
    kept += Player_SetInput(0, 0) == 0 ? 1 : 0;
    return kept;
}

/* The status for the end of a run: what was left behind, in "left". */
int CheckLeftBehind(long baseline, int status)
{
    const long left = Mem_TestLive() - baseline;
    {
        std::ofstream("left") << left << " blocks left, " << KeptByDesign() << " kept by design";
    }
    return left == KeptByDesign() ? status : kLeftBehind;
}

void PushKey(Uint32 type, SDL_Keycode sym)
{
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

/* Keys for every fish kind, the hitbox view, health, bite and steering,
 * a few frames, a pause and its end, then a quit. Returns a child status. */
int PlayAFewFrames(Game_t *game)
{
    Game_LoopBegin(game);
    const SDL_Keycode spawn[] = {SDLK_1, SDLK_2, SDLK_3, SDLK_4, SDLK_5, SDLK_6, SDLK_7, SDLK_8};
    for (SDL_Keycode k : spawn)
        PushKey(SDL_KEYDOWN, k);
    for (SDL_Keycode k : {SDLK_c, SDLK_h, SDLK_SPACE, SDLK_RIGHT, SDLK_DOWN})
        PushKey(SDL_KEYDOWN, k);
    Game_DrainEvents(game);
    if (game->world.fish_count != 8)
        return kSpawnLost;
    for (int frame = 0; frame < 6; ++frame) {
        if (Game_Frame(game) != 0)
            return kFrameFailed;
        if (frame == 2) {
            for (SDL_Keycode k : {SDLK_SPACE, SDLK_RIGHT, SDLK_DOWN})
                PushKey(SDL_KEYUP, k);
            PushKey(SDL_KEYDOWN, SDLK_p);
            PushKey(SDL_KEYDOWN, SDLK_p);
            Game_DrainEvents(game);
        }
    }
    SDL_Event quit;
    memset(&quit, 0, sizeof quit);
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    Game_DrainEvents(game);
    return game->running ? kQuitIgnored : kPlayed;
}

/* One run in the child: start-up with the given failure set up, a few
 * frames when start-up passes, then shutdown. The number of allocations
 * start-up asked for is written to "count". */
int StartupRun(long fail_at, int fail_all)
{
    /* The pictures come from the source tree; set before counting starts. */
    if (File_InitialiseResourcePathFrom(FINMAW_SOURCE_RES_DIR) != 0)
        return kNoResourcePath;
    static Game_t game;
    memset(&game, 0, sizeof game);
    const long baseline = Mem_TestLive();
    Mem_TestReset(fail_at, fail_all);
    const int started = Game_Startup(&game);
    {
        std::ofstream("count") << Mem_TestCount();
    }
    if (started != 0)
        return CheckLeftBehind(baseline, Game_Shutdown(&game) != 0 ? kStartupFailed : kStatusLost);
    const int played = PlayAFewFrames(&game);
    const int status = Game_Shutdown(&game);
    if (played != kPlayed)
        return played;
    return CheckLeftBehind(baseline, status == 0 ? kPlayed : kShutdownFailed);
}

struct StartupOutcome {
    ChildOutcome out;
    std::string startup_log;
    std::string run_log;
    std::string left;
    long count = 0;
};

StartupOutcome RunStartup(long fail_at, int fail_all)
{
    fmtest::TempDir dir;
    StartupOutcome run;
    run.out = fmtest::RunInChild(dir.path(), dir.path() / "stderr.txt",
                                 [&] { return StartupRun(fail_at, fail_all); });
    run.startup_log = ReadFile(dir.path() / "startup.log");
    run.run_log = ReadFile(dir.path() / "run.log");
    run.count = std::atol(ReadFile(dir.path() / "count").c_str());
    run.left = ReadFile(dir.path() / "left");
    return run;
}

/* The shell's line for each start-up step that can fail for want of
 * memory, in start-up order; the first is the collision-name table's. */
const std::vector<std::string> kStepLines = {
    "(game:Game_Startup():",
    "Failed to initialise image module data.",
    "Failed to initialise oject module data.",
    "Failed to load fish data!",
    "Failed to create game world.",
    "Could not spawn player.",
};

/* The step whose shell line the log holds, or -1. The collision-name
 * table's own line is the shell's "Out of memory.". */
int FailedStep(const std::vector<std::string> &lines)
{
    int found = -1;
    for (const auto &line : lines) {
        if (line.find("[ERROR] (game:Game_Startup():") == std::string::npos)
            continue;
        for (size_t s = 1; s < kStepLines.size(); ++s)
            if (line.find(kStepLines[s]) != std::string::npos)
                found = static_cast<int>(s);
        if (found < 0 && line.find("Out of memory.") != std::string::npos)
            found = 0;
    }
    return found;
}

long CountStartupAllocations()
{
    StartupOutcome clean = RunStartup(0, 0);
    EXPECT_TRUE(clean.out.Clean()) << clean.out.Describe();
    EXPECT_EQ(clean.out.status, kPlayed) << clean.out.Describe() << "; " << clean.left;
    /* Six collision names and the input table. */
    EXPECT_EQ(clean.left.rfind("7 blocks left", 0), 0u) << clean.left;
    return clean.count;
}

/* Checks one failed start-up's record; returns the step that failed. */
int CheckFailedStartup(long n, const StartupOutcome &run)
{
    const auto lines = SplitLines(run.startup_log);
    const int step = FailedStep(lines);
    EXPECT_GE(step, 0) << "allocation " << n << ":\n" << run.startup_log;
    if (step < 0)
        return step;
    /* A cause from the module comes before the shell's line (for the
     * collision names the shell's line is the cause). */
    size_t shell_at = 0, cause_at = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("[ERROR] (", 0) == 0 && cause_at == lines.size())
            cause_at = i;
        if (lines[i].find("[ERROR] (game:Game_Startup():") == 0)
            shell_at = i;
    }
    EXPECT_LE(cause_at, shell_at) << "allocation " << n;
    if (step > 0) {
        EXPECT_LT(cause_at, shell_at) << "allocation " << n << ":\n" << run.startup_log;
    }
    EXPECT_TRUE(InOrder(lines, {kStepLines[step], "Closing down systems.", "Cleaning resources...",
                                "All cleaning done."}))
        << "allocation " << n << ":\n" << run.startup_log;
    EXPECT_NE(lines.back().find("All cleaning done."), std::string::npos) << "allocation " << n;
    EXPECT_EQ(run.startup_log.find("Created Player in world."), std::string::npos);
    EXPECT_TRUE(run.run_log.empty()) << "allocation " << n;
    return step;
}

/* The harness itself: what it must catch in a child does show. */
#if defined(__SANITIZE_ADDRESS__)
__attribute__((noinline)) void LoseABlock()
{
    void *volatile block = Mem_Alloc(64);
    block = nullptr;
    (void)block;
}
#endif

TEST(ChildHarness, SeesCrashesAndSanitizerReports)
{
    fmtest::TempDir dir;
    ChildOutcome crashed = fmtest::RunInChild(dir.path(), dir.path() / "e1", [] {
        raise(SIGSEGV);
        return 0;
    });
    EXPECT_FALSE(crashed.Clean());
    ChildOutcome fine = fmtest::RunInChild(dir.path(), dir.path() / "e2", [] { return 7; });
    EXPECT_TRUE(fine.Clean()) << fine.Describe();
    EXPECT_EQ(fine.status, 7);
#if defined(__SANITIZE_ADDRESS__)
    ChildOutcome leaked = fmtest::RunInChild(dir.path(), dir.path() / "e3", [] {
        LoseABlock();
        return 0;
    });
    EXPECT_FALSE(leaked.Clean()) << leaked.Describe();
    EXPECT_EQ(leaked.status, fmtest::kSanitizerExit);
#endif
}

TEST(AllocFailures, EveryStartupAllocationFailingAlone)
{
    const long total = CountStartupAllocations();
    ASSERT_GT(total, 100); /* the world's placeholder fish alone make 120 */

    int survived = 0, last_step = 0, out_of_memory = 0;
    std::vector<int> seen(kStepLines.size(), 0);
    std::vector<long> passed_over, absorbed;
    for (long n = 1; n <= total; ++n) {
        StartupOutcome run = RunStartup(n, 0);
        const bool clean = run.out.Clean() && (run.out.status == kPlayed || run.out.status == kStartupFailed);
        EXPECT_TRUE(clean) << "allocation " << n << " of " << total << ": " << run.out.Describe()
                           << "; " << run.left << "\nstartup.log:\n" << run.startup_log;
        if (!clean)
            continue;
        ++survived;
        if (run.out.status == kPlayed) {
            EXPECT_TRUE(InOrder(SplitLines(run.run_log),
                                {"Starting up...", "Quit message recieved.", "Closing down systems.",
                                 "All cleaning done."}))
                << "allocation " << n << ":\n" << run.run_log;
            if (run.startup_log.find("[ERROR] (") == std::string::npos) {
                /* A string copy that retries with the exact size absorbed it. */
                absorbed.push_back(n);
                continue;
            }
            /* Passed over on purpose: the shark's input table, and the
             * animation store, which the game's pictures never use. */
            passed_over.push_back(n);
            const bool known = run.startup_log.find("(class/playershark:Player_InputInit():") != std::string::npos ||
                               run.startup_log.find("(image:Image_Init():") != std::string::npos;
            EXPECT_TRUE(known) << "allocation " << n << ":\n" << run.startup_log;
            EXPECT_NE(run.startup_log.find("Out of memory."), std::string::npos) << "allocation " << n;
            continue;
        }
        const int step = CheckFailedStartup(n, run);
        if (step < 0)
            continue;
        if (run.startup_log.find("Out of memory.") != std::string::npos)
            ++out_of_memory;
        /* Allocations come in start-up order, so the failing step never
         * goes back. */
        EXPECT_GE(step, last_step) << "allocation " << n;
        last_step = step;
        ++seen[step];
    }
    for (size_t s = 0; s < seen.size(); ++s)
        EXPECT_GT(seen[s], 0) << "no allocation failure stopped at: " << kStepLines[s];
    EXPECT_EQ(passed_over.size(), 3u);
    std::cout << "[ figures  ] " << survived << " of " << total << " single allocation failures survived; "
              << passed_over.size() << " passed over by start-up (";
    for (long n : passed_over)
        std::cout << " #" << n;
    std::cout << " ), " << absorbed.size() << " absorbed by a retry (";
    for (long n : absorbed)
        std::cout << " #" << n;
    std::cout << " ); " << out_of_memory << " failed start-ups logged \"Out of memory.\"\n";
}

TEST(AllocFailures, EveryLaterAllocationFailingToo)
{
    /* From the Nth on nothing can be had: clean-up then runs with the
     * stores half built and must still end cleanly. */
    const long total = CountStartupAllocations();
    int survived = 0;
    for (long n = 1; n <= total; ++n) {
        StartupOutcome run = RunStartup(n, 1);
        const bool clean = run.out.Clean() && run.out.status == kStartupFailed;
        EXPECT_TRUE(clean) << "allocations from " << n << " of " << total << ": " << run.out.Describe()
                           << "; " << run.left << "\nstartup.log:\n" << run.startup_log;
        if (!clean)
            continue;
        ++survived;
        CheckFailedStartup(n, run);
    }
    std::cout << "[ figures  ] " << survived << " of " << total
              << " runs with every allocation from the Nth failing survived\n";
}

/* Start-up in full, then play with every allocation failing: play must not
 * need any. */
int PlayWithoutMemory()
{
    if (File_InitialiseResourcePathFrom(FINMAW_SOURCE_RES_DIR) != 0)
        return kNoResourcePath;
    static Game_t game;
    memset(&game, 0, sizeof game);
    const long baseline = Mem_TestLive();
    if (Game_Startup(&game) != 0) {
        Game_Shutdown(&game);
        return kStartupFailed;
    }
    Mem_TestReset(1, 1);
    int played = PlayAFewFrames(&game);
    /* More spawns, staying below the world's 120 fish. */
    if (played == kPlayed) {
        for (int round = 0; round < 12 && played == kPlayed; ++round) {
            for (SDL_Keycode k : {SDLK_1, SDLK_2, SDLK_3, SDLK_4, SDLK_5, SDLK_6, SDLK_7, SDLK_8})
                PushKey(SDL_KEYDOWN, k);
            Game_DrainEvents(&game);
            if (Game_Frame(&game) != 0)
                played = kFrameFailed;
        }
    }
    const long asked = Mem_TestCount();
    Mem_TestReset(0, 0);
    const int status = Game_Shutdown(&game);
    if (played != kPlayed)
        return played;
    if (asked != 0)
        return kPlayAllocated;
    return CheckLeftBehind(baseline, status == 0 ? kPlayed : kShutdownFailed);
}

TEST(AllocFailures, PlayAllocatesNothing)
{
    fmtest::TempDir dir;
    ChildOutcome out = fmtest::RunInChild(dir.path(), dir.path() / "stderr.txt", PlayWithoutMemory);
    EXPECT_TRUE(out.Clean()) << out.Describe();
    EXPECT_EQ(out.status, kPlayed) << out.Describe() << "; " << ReadFile(dir.path() / "left") << "\n"
                                   << ReadFile(dir.path() / "run.log");
    /* No fish spawn was refused. */
    const std::string run_log = ReadFile(dir.path() / "run.log");
    const size_t error = run_log.find("[ERROR]");
    EXPECT_EQ(error, std::string::npos) << run_log.substr(error == std::string::npos ? 0 : error, 200);
}

/* One sheet load with its Nth allocation failing, in the test process:
 * the load fails as a whole and leaves the store as it was. */
TEST(AllocFailures, SheetLoadFailingAtEachAllocation)
{
    fmtest::LogCapture log;
    ASSERT_GE(File_InitialiseResourcePathFrom(FINMAW_SOURCE_RES_DIR), 0);
    ASSERT_EQ(Image_Init(40, 10, 10), 0);

    Mem_TestReset(0, 0);
    ASSERT_EQ(Image_LoadSpriteSheet("fish_01.bmp", "first", 1, 255, 0, 255), 0);
    const long per_load = Mem_TestCount();
    ASSERT_GE(per_load, 3); /* path copy, its C string, the name */

    int handles = 1, tried = 0, failed = 0;
    for (int fail_all = 0; fail_all <= 1; ++fail_all) {
        for (long n = 1; n <= per_load; ++n) {
            const std::string name = "sheet_" + std::to_string(fail_all) + "_" + std::to_string(n);
            Mem_TestReset(n, fail_all);
            const int loaded = Image_LoadSpriteSheet("fish_01.bmp", name.c_str(), 1, 255, 0, 255);
            Mem_TestReset(0, 0);
            ++tried;
            if (loaded == 0) {
                /* A string copy retried with the exact size: a whole sheet. */
                EXPECT_EQ(Image_Find_SpriteSheet(name.c_str()), handles) << "allocation " << n;
                EXPECT_FALSE(log.contains("Failed to load Sprite Sheet: " + name));
                ++handles;
            } else {
                ++failed;
                EXPECT_EQ(loaded, -1);
                EXPECT_EQ(Image_Find_SpriteSheet(name.c_str()), -1) << "allocation " << n;
                EXPECT_TRUE(log.contains("Failed to load Sprite Sheet: " + name)) << "allocation " << n;
            }
            /* The store goes on from where it was. */
            const std::string next = name + "_after";
            ASSERT_EQ(Image_LoadSpriteSheet("back.bmp", next.c_str(), 0, 255, 255, 255), 0);
            EXPECT_EQ(Image_Find_SpriteSheet(next.c_str()), handles);
            EXPECT_NE(Image_Get_SpriteSheet(next.c_str(), -1), nullptr);
            ++handles;
        }
    }
    EXPECT_GE(failed, per_load); /* with every later one failing too, all fail */
    EXPECT_EQ(Image_Find_SpriteSheet("first"), 0);
    EXPECT_EQ(Image_FreeAll(), 0);
    /* Leaks would show in the sanitizer build's leak check at exit. */
    std::cout << "[ figures  ] " << tried << " sheet loads with a failing allocation, " << failed
              << " refused, the rest absorbed by a retry; " << per_load << " allocations per load\n";
}

/* Resource paths and their conversion: every allocation fails in turn. */
TEST(AllocFailures, ResourcePathRequestsFailingAtEachAllocation)
{
    fmtest::LogCapture log;
    ASSERT_GE(File_InitialiseResourcePathFrom(FINMAW_SOURCE_RES_DIR), 0);
    Mem_TestReset(0, 0);
    bstring path = nullptr;
    ASSERT_NE(File_GetResource_cstr("shark.bmp", &path), nullptr);
    char *cpath = nullptr;
    ASSERT_EQ(Util_CString_Convert(path, &cpath), 0);
    const long per_request = Mem_TestCount();
    const std::string expected = cpath;
    bstring_destroy(path);
    Mem_Free(cpath);
    path = nullptr;
    cpath = nullptr;

    int failed_requests = 0;
    for (long n = 1; n <= per_request; ++n) {
        Mem_TestReset(n, 0);
        bstring got = File_GetResource_cstr("shark.bmp", &path);
        int converted = got ? Util_CString_Convert(path, &cpath) : -1;
        Mem_TestReset(0, 0);
        /* A failed step leaves nothing behind; a retried copy gives the
         * whole path. */
        if (!got) {
            EXPECT_EQ(path, nullptr) << "allocation " << n;
            ++failed_requests;
        } else if (converted != 0) {
            EXPECT_EQ(cpath, nullptr) << "allocation " << n;
            ++failed_requests;
        } else {
            EXPECT_EQ(expected, cpath) << "allocation " << n;
        }
        bstring_destroy(path);
        Mem_Free(cpath);
        path = nullptr;
        cpath = nullptr;
    }
    EXPECT_GT(failed_requests, 0);
    /* The resource path itself is untouched by the failures. */
    ASSERT_NE(File_GetResource_cstr("shark.bmp", &path), nullptr);
    ASSERT_EQ(Util_CString_Convert(path, &cpath), 0);
    EXPECT_EQ(expected, cpath);
    bstring_destroy(path);
    Mem_Free(cpath);
}

} // namespace

/* A working directory where neither log can be opened (folders take their
 * names, since root may write anywhere): the game still starts, plays and
 * ends with status 0, and leaves the directory as it was. */
#include <gtest/gtest.h>

#include <map>

#include "child_process.h"
#include "game_main.h"
#include "ashare/share_utils.h"

using namespace fmtest;
namespace fs = std::filesystem;

namespace {

void ExpectPlaysWithoutLogs(const std::function<ChildOutcome(const fs::path &work, const fs::path &err)> &run)
{
    TempDir root;
    const fs::path work = root.path() / "work";
    fs::create_directories(work / "startup.log");
    fs::create_directories(work / "run.log");
    auto snapshot = [&] {
        std::map<std::string, long> entries; /* folders: -1 */
        for (const auto &e : fs::recursive_directory_iterator(work))
            entries[e.path().string()] = e.is_directory() ? -1 : static_cast<long>(e.file_size());
        return entries;
    };
    const auto before = snapshot();
    const ChildOutcome out = run(work, root.path() / "stderr.txt");
    EXPECT_TRUE(out.Clean() && out.status == 0) << out.Describe();
    EXPECT_EQ(snapshot(), before);
}

/* Start-up, fish, the hitbox view, a pause and its end (which reopens
 * "run.log"), frames and Escape. Returns 0, or where it went wrong. */
int PlayWithoutLogs()
{
    static Game_t game;
    if (File_InitialiseResourcePathFrom(FINMAW_SOURCE_RES_DIR) != 0 || Game_Startup(&game) != 0 || LOG_STREAM)
        return 60;
    Game_LoopBegin(&game);
    SDL_Event e{SDL_KEYDOWN};
    auto key = [&](SDL_Keycode sym) { e.key.keysym.sym = sym; Game_HandleEvent(&game, &e); };
    for (SDL_Keycode k : {SDLK_1, SDLK_4, SDLK_6, SDLK_8, SDLK_c, SDLK_h, SDLK_SPACE, SDLK_RIGHT})
        key(k);
    int status = game.world.fish_count == 4 ? 0 : 61;
    for (int frame = 0; frame < 12 && status == 0; ++frame) {
        if (frame == 3 || frame == 6)
            key(SDLK_p);
        status = Game_Frame(&game) != 0 ? 62 : 0;
    }
    key(SDLK_ESCAPE);
    Game_DrainEvents(&game); /* the quit Escape pushed */
    status = status ? status : game.running ? 63 : 0;
    return Game_Shutdown(&game) != 0 ? 64 : status;
}

TEST(NoLogs, InProcess)
{
    ExpectPlaysWithoutLogs([](const fs::path &work, const fs::path &err) { return RunInChild(work, err, PlayWithoutLogs); });
}

TEST(NoLogs, Program)
{
    for (const char *name : {"finmaw", "finmaw_dbg"}) {
        SCOPED_TRACE(name);
        ExpectPlaysWithoutLogs([&](const fs::path &work, const fs::path &err) {
            return RunProgram(std::string(FINMAW_BIN_DIR) + name, work, err, {"SDL_VIDEODRIVER=dummy"}, CatchesSigterm);
        });
    }
}

} // namespace

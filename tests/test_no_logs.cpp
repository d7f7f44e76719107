/* A working directory where neither log can be opened (folders take their
 * names, since root may write anywhere): the game still starts, plays and
 * ends with status 0, and leaves the directory as it was. */

#include "child_process.h"
#include "play_script.h"

using namespace fmtest;

namespace {

/* Start-up, a short game (a pause's end reopens "run.log") and shutdown,
 * with no log stream open. Returns 0, or where it went wrong. */
int PlayWithoutLogs() {
    static Game_t game;
    if (!Start(&game) || LOG_STREAM) return 60;
    const int played = Play(&game, 3);
    return Game_Shutdown(&game) != 0 ? 64 : played;
}

/* In this process's copy when program is empty, else the program. */
void ExpectPlaysWithoutLogs(const std::string &program) {
    const Sandbox box(program.empty() ? "finmaw" : program);
    fs::create_directories(box.work / "startup.log");
    fs::create_directories(box.work / "run.log");
    const ChildOutcome out = program.empty() ? RunInChild(box.work, box.root / "stderr.txt", PlayWithoutLogs)
                                             : box.Run("dummy", Stop::OnceSdlStarted);
    EXPECT_TRUE(out.Clean() && out.status == 0) << out.Describe();
    /* Still the two empty folders and nothing else. */
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(box.work), fs::recursive_directory_iterator()), 2);
    EXPECT_TRUE(fs::is_directory(box.work / "startup.log") && fs::is_directory(box.work / "run.log"));
}

TEST(NoLogs, InProcessAndBothPrograms) {
    for (const char *name : {"", "finmaw", "finmaw_dbg"}) {
        SCOPED_TRACE(name);
        ExpectPlaysWithoutLogs(name);
    }
}

} // namespace

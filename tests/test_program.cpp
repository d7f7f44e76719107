/* The real program, run as a child process from a scratch install under the
 * dummy video driver. */

#include "child_process.h"

using namespace fmtest;

namespace {

TEST(Program, CleanStartAndQuit) {
    /* SIGTERM becomes a quit event: sent once the first frame is logged, or
     * as soon as SDL catches it (the quit then waits for the loop). */
    for (bool debug : {false, true}) {
        SCOPED_TRACE(debug ? "debug" : "release");
        const Sandbox box(debug ? "finmaw_dbg" : "finmaw");
        const ChildOutcome out = box.Run("dummy", debug ? Stop::OnceSdlStarted : Stop::AfterFirstFrame);
        EXPECT_TRUE(out.Clean() && out.status == 0) << out.Describe();
        const std::string startup = box.Log("startup.log"), run_text = box.Log("run.log");
        std::string last_shell_line;
        for (const auto &line : SplitLines(startup))
            last_shell_line = line.find("(game:") != std::string::npos ? line : last_shell_line;
        EXPECT_NE(last_shell_line.find("Created Player in world."), std::string::npos) << last_shell_line;
        EXPECT_EQ(startup.find("DEBUG game:Main_InitWindow():") != std::string::npos, debug);
        const auto run = SplitLines(run_text);
        EXPECT_TRUE(InOrder(run, {"Starting up...", "Quit message recieved.", "Successfully reached end of execution.",
                                     "Closing down systems.", "Cleaning resources...", "All cleaning done."}) &&
                    run.back().find("All cleaning done.") != std::string::npos)
            << run_text;
        EXPECT_TRUE(InOrder(run, {"Starting up...", "Score: 0"})); /* the first frame, before or after the quit */
        /* Start-up, loop and shutdown lines name the entry function; the
         * helpers they call keep their own names. */
        const struct {
            const std::string *log;
            const char *text, *func;
        } kWriters[] = {{&startup, "Started SDL systems.", "WinMain"},
            {&startup, "Created Player in world.", "WinMain"}, {&run_text, "Quit message recieved.", "WinMain"},
            {&run_text, "Score: 0", "WinMain"}, {&run_text, "Successfully reached end", "WinMain"},
            {&run_text, "Closing down systems.", "WinMain"}, {&run_text, "Cleaning resources...", "Main_CloseAll"},
            {&run_text, "All cleaning done.", "Main_CloseAll"}};
        for (const auto &w : kWriters) {
            const size_t at = w.log->find(w.text);
            ASSERT_NE(at, std::string::npos) << w.text;
            const std::string prefix = "[INFO] (game:" + std::string(w.func) + "():";
            EXPECT_EQ(w.log->substr(w.log->rfind('\n', at) + 1, prefix.size()), prefix) << w.text;
        }
    }
}

} // namespace

/* The real program, run as a child process in a scratch working directory
 * under the dummy video driver. */
#include <gtest/gtest.h>

#include "child_process.h"

using namespace fmtest;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kDummy = {"SDL_VIDEODRIVER=dummy"};

TEST(Program, CleanStartAndQuit)
{
    /* SIGTERM becomes a quit event: sent once the first frame is logged, or
     * as soon as SDL catches it (the quit then waits for the loop). */
    for (bool debug : {false, true}) {
        SCOPED_TRACE(debug ? "debug" : "release");
        TempDir dir;
        const StopWhen stop = debug ? StopWhen(CatchesSigterm) : WhenLogged(dir.path() / "run.log", "Score: 0");
        const ChildOutcome out = RunProgram(std::string(FINMAW_BIN_DIR) + (debug ? "finmaw_dbg" : "finmaw"), dir.path(),
                                            dir.path() / "stderr.txt", kDummy, stop);
        EXPECT_TRUE(out.Clean()) << out.Describe();
        EXPECT_EQ(out.status, 0);
        const std::string startup = ReadFile(dir.path() / "startup.log");
        std::string last_shell_line;
        for (const auto &line : SplitLines(startup))
            if (line.find("(game:") != std::string::npos)
                last_shell_line = line;
        EXPECT_TRUE(last_shell_line.rfind("[INFO] (game:", 0) == 0 &&
                    last_shell_line.find("Created Player in world.") != std::string::npos) << last_shell_line;
        EXPECT_EQ(startup.find("DEBUG game:Main_InitWindow():") != std::string::npos, debug);
        const std::string run_text = ReadFile(dir.path() / "run.log");
        const auto run = SplitLines(run_text);
        ASSERT_FALSE(run.empty());
        EXPECT_TRUE(run.back().rfind("[INFO] (game:", 0) == 0 && run.back().find("All cleaning done.") != std::string::npos)
            << run.back();
        EXPECT_TRUE(InOrder(run, {"Starting up...", "Quit message recieved.", "Successfully reached end of execution.",
                                  "Closing down systems.", "Cleaning resources...", "All cleaning done."}));
        EXPECT_TRUE(InOrder(run, {"Starting up...", "Score: 0"})); /* the first frame, before or after the quit */
        /* Start-up, loop and shutdown lines name the entry function; the
         * helpers they call keep their own names. */
        const struct {
            const std::string *log;
            const char *text, *func;
        } kWriters[] = {
            {&startup, "Started SDL systems.", "WinMain"},        {&startup, "Created Player in world.", "WinMain"},
            {&run_text, "Quit message recieved.", "WinMain"},     {&run_text, "Score: 0", "WinMain"},
            {&run_text, "Successfully reached end", "WinMain"},   {&run_text, "Closing down systems.", "WinMain"},
            {&run_text, "Cleaning resources...", "Main_CloseAll"}, {&run_text, "All cleaning done.", "Main_CloseAll"},
        };
        for (const auto &w : kWriters) {
            const size_t at = w.log->find(w.text);
            ASSERT_NE(at, std::string::npos) << w.text;
            const size_t bol = w.log->rfind('\n', at) + 1;
            const std::string prefix = "[INFO] (game:" + std::string(w.func) + "():";
            EXPECT_EQ(w.log->substr(bol, prefix.size()), prefix) << w.text;
        }
    }
}

TEST(Program, MissingBackgroundFailsStartup)
{
    ResTempDir root;
    const fs::path work = root.path() / "work";
    fs::create_directories(root.path() / "bin");
    fs::create_directories(work);
    fs::copy_file(std::string(FINMAW_BIN_DIR) + "finmaw", root.path() / "bin" / "finmaw");
    fs::copy(FINMAW_SOURCE_RES_DIR, root.path() / "res");
    fs::remove(root.path() / "res" / "back.bmp");
    std::ofstream(work / "run.log") << "an earlier run\n";
    const ChildOutcome out = RunProgram((root.path() / "bin" / "finmaw").string(), work, root.path() / "stderr.txt", kDummy);
    EXPECT_TRUE(out.Clean()) << out.Describe();
    EXPECT_NE(out.status, 0);
    EXPECT_EQ(ReadFile(work / "run.log"), "an earlier run\n");
    const auto startup = SplitLines(ReadFile(work / "startup.log"));
    EXPECT_TRUE(InOrder(startup, {"Started SDL systems.", "Created Window and SDL Surfaces.",
                                  "Failed to load Sprite Sheet: background1", "Failed to initialise image module data.",
                                  "Closing down systems.", "Cleaning resources...", "All cleaning done."}));
    ASSERT_FALSE(startup.empty());
    EXPECT_NE(startup.back().find("All cleaning done."), std::string::npos);
}

TEST(Program, SdlStartFailing)
{
    TempDir dir;
    const ChildOutcome out = RunProgram(std::string(FINMAW_BIN_DIR) + "finmaw", dir.path(), dir.path() / "stderr.txt",
                                        {"SDL_VIDEODRIVER=nonexistent"});
    EXPECT_TRUE(out.Clean()) << out.Describe();
    EXPECT_NE(out.status, 0);
    const std::string text = ReadFile(dir.path() / "startup.log");
    EXPECT_TRUE(InOrder(SplitLines(text), {"Starting up...", "Failed to initialise SDL. Err #-1: ",
                                           "Closing down systems.", "All cleaning done."}));
    EXPECT_EQ(text.find("Started SDL systems."), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path() / "run.log"));
}

} // namespace

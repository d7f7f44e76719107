/* The real program, run as a child process in a scratch working directory
 * under the dummy video driver. */
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "test_support.h"

extern char **environ;

using fmtest::InOrder;
using fmtest::ReadFile;
using fmtest::SplitLines;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    bool exited = false;
    int status = -1;
};

/* Starts exe in cwd with the given video driver. With stop_when_running
 * set, sends SIGTERM once "run.log" shows the first frame has run (SDL turns
 * the signal into a quit event). Waits generously for the end. */
Outcome RunProgram(const std::string &exe, const fs::path &cwd, const char *driver, bool stop_when_running)
{
    std::vector<std::string> env_text;
    for (char **e = environ; *e; ++e)
        if (strncmp(*e, "SDL_VIDEODRIVER=", 16) != 0)
            env_text.emplace_back(*e);
    env_text.push_back(std::string("SDL_VIDEODRIVER=") + driver);
    std::vector<char *> envp;
    for (auto &s : env_text)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    const std::string dir = cwd.string();

    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        char *argv[] = {const_cast<char *>(exe.c_str()), nullptr};
        execve(exe.c_str(), argv, envp.data());
        _exit(127);
    }
    Outcome out;
    if (pid < 0)
        return out;

    bool signalled = !stop_when_running;
    int wstatus = 0;
    /* Polls every 10 ms for up to 60 s: only a safety net against a hang. */
    for (int i = 0; i < 6000; ++i) {
        pid_t done = waitpid(pid, &wstatus, WNOHANG);
        if (done == pid) {
            out.exited = WIFEXITED(wstatus);
            out.status = out.exited ? WEXITSTATUS(wstatus) : -1;
            return out;
        }
        if (!signalled && ReadFile(cwd / "run.log").find("Score: 0") != std::string::npos) {
            kill(pid, SIGTERM);
            signalled = true;
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &wstatus, 0);
    ADD_FAILURE() << exe << " did not end";
    return out;
}

std::string LastShellLine(const std::vector<std::string> &lines)
{
    std::string last;
    for (const auto &line : lines)
        if (line.find("(game:") != std::string::npos)
            last = line;
    return last;
}

void CheckCleanRun(const char *name, bool debug)
{
    fmtest::TempDir dir;
    Outcome out = RunProgram(std::string(FINMAW_BIN_DIR) + name, dir.path(), "dummy", true);
    EXPECT_TRUE(out.exited);
    EXPECT_EQ(out.status, 0);

    auto startup = SplitLines(ReadFile(dir.path() / "startup.log"));
    EXPECT_NE(LastShellLine(startup).find("[INFO] (game:"), std::string::npos);
    EXPECT_NE(LastShellLine(startup).find("Created Player in world."), std::string::npos);
    EXPECT_TRUE(InOrder(startup, {"Starting up...", "Started SDL systems.",
                                  "Created Window and SDL Surfaces.", "Started Image systems.",
                                  "Started Object systems.", "Loaded Fish data!",
                                  "Initialised Game world.", "Created Player in world."}));
    const bool has_debug = ReadFile(dir.path() / "startup.log").find("DEBUG game:Main_InitWindow():") != std::string::npos;
    EXPECT_EQ(has_debug, debug);

    auto run = SplitLines(ReadFile(dir.path() / "run.log"));
    ASSERT_GE(run.size(), 2u);
    EXPECT_NE(run.front().find("Starting up..."), std::string::npos);
    EXPECT_NE(run.back().find("[INFO] (game:"), std::string::npos);
    EXPECT_NE(run.back().find("All cleaning done."), std::string::npos);
    EXPECT_TRUE(InOrder(run, {"Starting up...", "Score: 0", "Quit message recieved.",
                              "Successfully reached end of execution.", "Closing down systems.",
                              "Cleaning resources...", "All cleaning done."}));
}

TEST(Program, CleanStartAndQuitRelease) { CheckCleanRun("finmaw", false); }

TEST(Program, CleanStartAndQuitDebug) { CheckCleanRun("finmaw_dbg", true); }

TEST(Program, MissingBackgroundFailsStartup)
{
    fmtest::TempDir dir;
    fs::create_directories(dir.path() / "bin");
    fs::create_directories(dir.path() / "res");
    fs::create_directories(dir.path() / "work");
    fs::copy_file(std::string(FINMAW_BIN_DIR) + "finmaw", dir.path() / "bin" / "finmaw");
    for (const auto &entry : fs::directory_iterator(FINMAW_SOURCE_RES_DIR))
        if (entry.path().filename() != "back.bmp")
            fs::copy_file(entry.path(), dir.path() / "res" / entry.path().filename());
    ASSERT_TRUE(fs::exists(dir.path() / "res" / "shark.bmp"));
    const std::string earlier = "an earlier run\n";
    {
        std::ofstream(dir.path() / "work" / "run.log") << earlier;
    }

    Outcome out = RunProgram((dir.path() / "bin" / "finmaw").string(), dir.path() / "work", "dummy", false);
    EXPECT_TRUE(out.exited);
    EXPECT_NE(out.status, 0);
    EXPECT_EQ(ReadFile(dir.path() / "work" / "run.log"), earlier);
    auto startup = SplitLines(ReadFile(dir.path() / "work" / "startup.log"));
    EXPECT_TRUE(InOrder(startup, {"Starting up...", "Started SDL systems.",
                                  "Created Window and SDL Surfaces.",
                                  "Failed to load Sprite Sheet: background1",
                                  "Failed to initialise image module data.",
                                  "Closing down systems.", "Cleaning resources...",
                                  "All cleaning done."}));
    EXPECT_EQ(ReadFile(dir.path() / "work" / "startup.log").find("Started Image systems."), std::string::npos);
    ASSERT_FALSE(startup.empty());
    EXPECT_NE(startup.back().find("All cleaning done."), std::string::npos);
}

TEST(Program, NoVideoDriverFailsStartup)
{
    fmtest::TempDir dir;
    Outcome out = RunProgram(std::string(FINMAW_BIN_DIR) + "finmaw", dir.path(), "nonexistent", false);
    EXPECT_TRUE(out.exited);
    EXPECT_NE(out.status, 0);
    const std::string text = ReadFile(dir.path() / "startup.log");
    EXPECT_NE(text.find("[ERROR] (game:"), std::string::npos);
    EXPECT_NE(text.find("Failed to initialise SDL. Err #-1: "), std::string::npos);
    EXPECT_EQ(text.find("Started SDL systems."), std::string::npos);
    EXPECT_TRUE(InOrder(SplitLines(text), {"Starting up...", "Failed to initialise SDL.",
                                           "Closing down systems.", "All cleaning done."}));
    EXPECT_FALSE(fs::exists(dir.path() / "run.log"));
}

} // namespace

/* Running code in a child process: a forked copy of the test running one
 * function, or the program started from a scratch install. The parent sees
 * how the child ended and what it wrote to stderr, so crashes and sanitizer
 * reports show up as failures of the case that caused them. */
#ifndef FINMAW_CHILD_PROCESS_H
#define FINMAW_CHILD_PROCESS_H

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>

#include "test_support.h"

/* A sanitizer report in a forked child must not pass for an ordinary status. */
extern "C" const char *__asan_default_options() { return "exitcode=86"; }
extern "C" const char *__ubsan_default_options() { return "exitcode=86:print_stacktrace=1"; }

namespace fmtest {

constexpr int kSanitizerExit = 86;

struct ChildOutcome {
    int status = -1; /* the exit status, or minus the signal that killed it */
    std::string err; /* what it wrote to stderr */
    /* No crash, no hang, no sanitizer report. */
    bool Clean() const
    {
        return status >= 0 && status != kSanitizerExit && err.find("Sanitizer") == std::string::npos &&
               err.find("runtime error") == std::string::npos;
    }
    std::string Describe() const { return "status " + std::to_string(status) + "; stderr:\n" + err; }
};

/* When the parent sends SIGTERM, which SDL turns into a quit event: never,
 * once "run.log" in the child's folder shows the first frame, or as soon as
 * SDL has installed its handler (the quit then waits for the frame loop). */
enum class Stop { Never, AfterFirstFrame, OnceSdlStarted };

inline bool CatchesSigterm(pid_t pid)
{
    const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("SigCgt:");
    return at != std::string::npos && (std::strtoull(status.c_str() + at + 7, nullptr, 16) >> (SIGTERM - 1)) & 1u;
}

/* Runs child() in a fork, in folder cwd with stderr going to err_file, and
 * waits for its end. After 120 s, only a safety net against a hang, the
 * child is killed. */
inline ChildOutcome Spawn(const fs::path &cwd, const fs::path &err_file, const std::function<void()> &child,
                          Stop stop = Stop::Never)
{
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        return {};
    if (pid == 0) {
        const int fd = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 2);
        close(fd);
        if (chdir(cwd.c_str()) != 0)
            _exit(126);
        child();
        _exit(127);
    }
    int wstatus = 0;
    for (int i = 0; waitpid(pid, &wstatus, WNOHANG) != pid; ++i) {
        const bool due = stop == Stop::AfterFirstFrame ? ReadFile(cwd / "run.log").find("Score: 0") != std::string::npos
                                                       : stop == Stop::OnceSdlStarted && CatchesSigterm(pid);
        if (due && kill(pid, SIGTERM) == 0)
            stop = Stop::Never;
        if (i == 12000)
            kill(pid, SIGKILL);
        usleep(10000);
    }
    return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -WTERMSIG(wstatus), ReadFile(err_file)};
}

/* body in a forked copy of this process; the child ends through exit() with
 * body's result, so the leak check of a sanitizer build runs in it. */
inline ChildOutcome RunInChild(const fs::path &cwd, const fs::path &err_file, const std::function<int()> &body)
{
    return Spawn(cwd, err_file, [&] { exit(body()); });
}

/* A scratch install: the program in bin/ of a temporary folder, a copy of
 * the pictures in res/ beside it, and an empty work/ to run it from. The
 * folder's path holds no "bin": the resource path rule rewrites every one. */
struct Sandbox {
    explicit Sandbox(const std::string &program = "finmaw") : exe(program)
    {
        while (dir->str().find("bin") != std::string::npos)
            dir.emplace();
        root = dir->path();
        work = root / "work";
        fs::create_directories(root / "bin");
        fs::create_directories(work);
        fs::copy_file(FINMAW_BIN_DIR + exe, root / "bin" / exe);
        fs::copy(FINMAW_SOURCE_RES_DIR, root / "res");
    }
    /* Runs the program under the given video driver. */
    ChildOutcome Run(const char *driver, Stop stop) const
    {
        return Spawn(work, root / "stderr.txt", [&] {
            setenv("SDL_VIDEODRIVER", driver, 1);
            execl((root / "bin" / exe).c_str(), exe.c_str(), static_cast<char *>(nullptr));
        }, stop);
    }
    std::string Log(const char *name) const { return ReadFile(work / name); }

    std::optional<TempDir> dir{std::in_place};
    std::string exe;
    fs::path root, work;
};

} // namespace fmtest

#endif

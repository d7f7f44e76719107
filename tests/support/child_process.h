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

#include <cstdio>
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
    bool Clean() const {
        return status >= 0 && status != kSanitizerExit && err.find("Sanitizer") == std::string::npos &&
               err.find("runtime error") == std::string::npos;
    }
    std::string Describe() const { return "status " + std::to_string(status) + "; stderr:\n" + err; }
};

/* When the parent sends SIGTERM, which SDL turns into a quit event: never,
 * once "run.log" in the child's folder shows the first frame, or as soon as
 * SDL has installed its handler (the quit then waits for the frame loop). */
enum class Stop { Never, AfterFirstFrame, OnceSdlStarted };

inline bool CatchesSigterm(pid_t pid) {
    const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("SigCgt:");
    return at != std::string::npos && (std::strtoull(status.c_str() + at + 7, nullptr, 16) >> (SIGTERM - 1)) & 1u;
}

/* body in a forked copy of this process, in folder cwd with stderr going
 * to err_file; the child ends through exit() with body's result, so the
 * leak check of a sanitizer build runs in it. After 120 s, only a safety
 * net against a hang, an alarm ends the child. */
inline ChildOutcome RunInChild(
    const fs::path &cwd, const fs::path &err_file, const std::function<int()> &body, Stop stop = Stop::Never) {
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return {};
    if (pid == 0) {
        alarm(120);
        exit(freopen(err_file.c_str(), "w", stderr) && chdir(cwd.c_str()) == 0 ? body() : 126);
    }
    int wstatus = 0;
    while (waitpid(pid, &wstatus, WNOHANG) != pid) {
        const bool due = stop == Stop::AfterFirstFrame ? ReadFile(cwd / "run.log").find("Score: 0") != std::string::npos
                                                       : stop == Stop::OnceSdlStarted && CatchesSigterm(pid);
        if (due && kill(pid, SIGTERM) == 0) stop = Stop::Never;
        usleep(10000);
    }
    return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -WTERMSIG(wstatus), ReadFile(err_file)};
}

/* A scratch install: the program in bin/ of a temporary folder, a copy of
 * the pictures in res/ beside it, and an empty work/ to run it from. The
 * folder's path holds no "bin": the resource path rule rewrites every one. */
struct Sandbox {
    explicit Sandbox(const std::string &program = "finmaw") : exe(program) {
        while (dir->str().find("bin") != std::string::npos) dir.emplace();
        root = dir->path();
        work = root / "work";
        fs::create_directories(root / "bin");
        fs::create_directories(work);
        fs::copy_file(FINMAW_BIN_DIR + exe, root / "bin" / exe);
        fs::copy(FINMAW_SOURCE_RES_DIR, root / "res");
    }
    /* Runs the program under the given video driver. */
    ChildOutcome Run(const char *driver, Stop stop) const {
        return RunInChild(
            work, root / "stderr.txt",
            [&] {
                setenv("SDL_VIDEODRIVER", driver, 1);
                return execl((root / "bin" / exe).c_str(), exe.c_str(), static_cast<char *>(nullptr));
            },
            stop);
    }
    std::string Log(const char *name) const { return ReadFile(work / name); }

    std::optional<TempDir> dir{std::in_place};
    std::string exe;
    fs::path root, work;
};

} // namespace fmtest

#endif

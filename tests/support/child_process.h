/* Running code in a child process: a forked copy of the test running one
 * function, or a program started in a given folder. The parent sees how
 * the child ended and what it wrote to stderr, so crashes and sanitizer
 * reports show up as failures of the case that caused them. */
#ifndef FINMAW_CHILD_PROCESS_H
#define FINMAW_CHILD_PROCESS_H

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

/* A sanitizer report in a forked child must not pass for an ordinary status. */
extern "C" const char *__asan_default_options() { return "exitcode=86"; }
extern "C" const char *__ubsan_default_options() { return "exitcode=86:print_stacktrace=1"; }

namespace fmtest {

constexpr int kSanitizerExit = 86;
using StopWhen = std::function<bool(pid_t)>;

struct ChildOutcome {
    bool exited = false; /* through exit(), not killed */
    int status = -1;     /* the exit status, or the signal that killed it */
    std::string err;     /* what it wrote to stderr */
    /* No crash, no hang, no sanitizer report. */
    bool Clean() const
    {
        return exited && status != kSanitizerExit && err.find("Sanitizer") == std::string::npos &&
               err.find("runtime error") == std::string::npos;
    }
    std::string Describe() const { return (exited ? "exit " : "signal ") + std::to_string(status) + "; stderr:\n" + err; }
};

/* A temporary folder whose path holds no "bin": the resource path rule
 * rewrites every "bin", and a random name may happen to contain one. */
struct ResTempDir {
    ResTempDir() { while (dir->str().find("bin") != std::string::npos) dir.emplace(); }
    const std::filesystem::path &path() const { return dir->path(); }
    std::optional<TempDir> dir{std::in_place};
};

/* Runs child() in a fork, in folder cwd with stderr going to err_file, and
 * waits for its end; sends SIGTERM once stop(pid) first holds. After 120 s,
 * only a safety net against a hang, the child is killed. */
inline ChildOutcome Spawn(const std::filesystem::path &cwd, const std::filesystem::path &err_file,
                          const std::function<void()> &child, const StopWhen &stop)
{
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 2);
        close(fd);
        if (chdir(cwd.c_str()) != 0)
            _exit(126);
        child();
        _exit(127);
    }
    ChildOutcome out;
    int wstatus = 0;
    bool stopped = !stop;
    for (int i = 0; pid > 0 && waitpid(pid, &wstatus, WNOHANG) != pid; ++i) {
        if (i == 12000) {
            kill(pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
            break;
        }
        if (!stopped && stop(pid))
            stopped = kill(pid, SIGTERM) == 0;
        usleep(10000);
    }
    out.exited = pid > 0 && WIFEXITED(wstatus);
    out.status = out.exited ? WEXITSTATUS(wstatus) : WTERMSIG(wstatus);
    out.err = ReadFile(err_file);
    return out;
}

/* body in a forked copy of this process; the child ends through exit() with
 * body's result, so the leak check of a sanitizer build runs in it. */
inline ChildOutcome RunInChild(const std::filesystem::path &cwd, const std::filesystem::path &err_file,
                               const std::function<int()> &body)
{
    return Spawn(cwd, err_file, [&] { exit(body()); }, nullptr);
}

/* A program, with the NAME=value entries of env added to the environment. */
inline ChildOutcome RunProgram(const std::string &exe, const std::filesystem::path &cwd,
                               const std::filesystem::path &err_file, const std::vector<std::string> &env,
                               const StopWhen &stop = nullptr)
{
    return Spawn(cwd, err_file, [&] {
        for (const char *name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
            const std::string old = getenv(name) ? getenv(name) : "";
            setenv(name, (old + (old.empty() ? "" : ":") + "exitcode=86").c_str(), 1);
        }
        for (const std::string &e : env)
            setenv(e.substr(0, e.find('=')).c_str(), e.substr(e.find('=') + 1).c_str(), 1);
        execl(exe.c_str(), exe.c_str(), static_cast<char *>(nullptr));
    }, stop);
}

/* Stops: once a log holds a text, or once the process catches SIGTERM (SDL
 * installs its handler when it starts and from then on turns the signal
 * into a quit event, which waits in the queue for the frame loop). */
inline StopWhen WhenLogged(const std::filesystem::path &log, const std::string &text)
{
    return [=](pid_t) { return ReadFile(log).find(text) != std::string::npos; };
}
inline bool CatchesSigterm(pid_t pid)
{
    const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("SigCgt:");
    return at != std::string::npos && (std::strtoull(status.c_str() + at + 7, nullptr, 16) >> (SIGTERM - 1)) & 1u;
}

} // namespace fmtest

#endif

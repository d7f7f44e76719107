/* Running code in a child process: a forked copy of the test running one
 * function, or a program started from a given folder. The parent sees how
 * the child ended and what it wrote to stderr, so crashes and sanitizer
 * reports show up as failures of the case that caused them. */
#ifndef FINMAW_CHILD_PROCESS_H
#define FINMAW_CHILD_PROCESS_H

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

extern char **environ;

namespace fmtest {

/* The exit status the sanitizers are told to use, so a report cannot pass
 * for an ordinary failure status. */
constexpr int kSanitizerExit = 86;

struct ChildOutcome {
    bool exited = false;    /* ended through exit */
    int status = -1;        /* its exit status */
    bool signalled = false; /* killed by a signal */
    int signal = 0;
    bool hung = false;      /* still running at the deadline; killed */
    std::string err;        /* what it wrote to stderr */

    /* No crash, no hang, no sanitizer report. */
    bool Clean() const
    {
        return exited && status != kSanitizerExit && err.find("Sanitizer") == std::string::npos &&
               err.find("runtime error") == std::string::npos;
    }
    std::string Describe() const
    {
        std::string d = exited ? "exit " + std::to_string(status)
                        : signalled ? "signal " + std::to_string(signal)
                                    : std::string("no status");
        if (hung)
            d += " (hung)";
        if (!err.empty())
            d += "; stderr:\n" + err;
        return d;
    }
};

/* A temporary folder whose path holds no "bin": the resource path rule
 * rewrites every "bin", and a random name may happen to contain one. */
class ResTempDir {
public:
    ResTempDir()
    {
        do
            dir_.emplace();
        while (dir_->str().find("bin") != std::string::npos);
    }
    const std::filesystem::path &path() const { return dir_->path(); }
    std::string str() const { return dir_->str(); }

private:
    std::optional<TempDir> dir_;
};

/* Called by the parent every 10 ms while the child runs, with its pid. */
using ChildPoll = std::function<void(pid_t)>;

inline ChildOutcome WaitForChild(pid_t pid, const std::filesystem::path &err_file, const ChildPoll &poll)
{
    ChildOutcome out;
    int wstatus = 0;
    /* 120 s: only a safety net against a hang, never reached by a pass. */
    bool done = false;
    for (int i = 0; i < 12000 && !done; ++i) {
        if (waitpid(pid, &wstatus, WNOHANG) == pid) {
            done = true;
            break;
        }
        if (poll)
            poll(pid);
        usleep(10000);
    }
    if (!done) {
        out.hung = true;
        kill(pid, SIGKILL);
        waitpid(pid, &wstatus, 0);
    }
    out.exited = WIFEXITED(wstatus);
    out.status = out.exited ? WEXITSTATUS(wstatus) : -1;
    out.signalled = WIFSIGNALED(wstatus);
    out.signal = out.signalled ? WTERMSIG(wstatus) : 0;
    out.err = ReadFile(err_file);
    return out;
}

/* Sends stderr to err_file (in the child). */
inline void RedirectStderr(const std::filesystem::path &err_file)
{
    int fd = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        dup2(fd, 2);
        close(fd);
    }
}

/* Runs body in a forked copy of this process, in working directory cwd,
 * with stderr going to err_file. The child ends through exit() with body's
 * result, so the leak check of a sanitizer build runs in it. */
inline ChildOutcome RunInChild(const std::filesystem::path &cwd, const std::filesystem::path &err_file,
                               const std::function<int()> &body)
{
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        RedirectStderr(err_file);
        if (chdir(cwd.c_str()) != 0)
            _exit(126);
        exit(body());
    }
    if (pid < 0) {
        ChildOutcome failed;
        failed.err = "fork failed";
        return failed;
    }
    return WaitForChild(pid, err_file, nullptr);
}

struct ProgramOptions {
    std::string exe;
    std::filesystem::path cwd;
    std::filesystem::path err_file;
    std::vector<std::string> env; /* NAME=value, replacing any inherited NAME */
    /* When set, the child switches to this user before it starts (needs root). */
    std::optional<std::pair<uid_t, gid_t>> user;
    ChildPoll poll;
};

/* The environment of this process with the given overrides, and the
 * sanitizers told to exit with kSanitizerExit. */
inline std::vector<std::string> ChildEnvironment(const std::vector<std::string> &overrides)
{
    std::vector<std::string> env;
    std::string asan = "ASAN_OPTIONS=";
    std::string ubsan = "UBSAN_OPTIONS=";
    for (char **e = environ; *e; ++e) {
        std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto &o : overrides)
            if (o.substr(0, o.find('=')) == name)
                replaced = true;
        if (name == "ASAN_OPTIONS")
            asan = entry + ":";
        else if (name == "UBSAN_OPTIONS")
            ubsan = entry + ":";
        else if (!replaced)
            env.push_back(entry);
    }
    const std::string code = "exitcode=" + std::to_string(kSanitizerExit);
    env.push_back(asan + code);
    env.push_back(ubsan + code);
    env.insert(env.end(), overrides.begin(), overrides.end());
    return env;
}

/* Starts a program and waits for its end. */
inline ChildOutcome RunProgram(const ProgramOptions &opt)
{
    std::vector<std::string> env_text = ChildEnvironment(opt.env);
    std::vector<char *> envp;
    for (auto &s : env_text)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        RedirectStderr(opt.err_file);
        if (opt.user) {
            if (setgroups(0, nullptr) != 0 || setgid(opt.user->second) != 0 ||
                setuid(opt.user->first) != 0)
                _exit(125);
        }
        if (chdir(opt.cwd.c_str()) != 0)
            _exit(126);
        char *argv[] = {const_cast<char *>(opt.exe.c_str()), nullptr};
        execve(opt.exe.c_str(), argv, envp.data());
        _exit(127);
    }
    if (pid < 0) {
        ChildOutcome failed;
        failed.err = "fork failed";
        return failed;
    }
    return WaitForChild(pid, opt.err_file, opt.poll);
}

/* A poll that sends SIGTERM once, as soon as ready() holds. */
inline ChildPoll TerminateWhen(std::function<bool(pid_t)> ready)
{
    auto sent = std::make_shared<bool>(false);
    return [ready, sent](pid_t pid) {
        if (!*sent && ready(pid)) {
            kill(pid, SIGTERM);
            *sent = true;
        }
    };
}

/* True once the process catches SIGTERM: SDL installs its handler when it
 * starts, and from then on the signal becomes a quit event. */
inline bool CatchesSigterm(pid_t pid)
{
    std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("SigCgt:");
    if (at == std::string::npos)
        return false;
    const unsigned long long mask = std::strtoull(status.c_str() + at + 7, nullptr, 16);
    return (mask >> (SIGTERM - 1)) & 1u;
}

} // namespace fmtest

#endif

/* Running code in a forked copy of the test: the parent sees how the child
 * ended and what it wrote to stderr, so crashes and sanitizer reports show
 * up as failures of the case that caused them. */
#ifndef FINMAW_CHILD_PROCESS_H
#define FINMAW_CHILD_PROCESS_H

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

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

/* body in a forked copy of this process, in folder cwd with stderr going
 * to err_file; the child ends through exit() with body's result, so the
 * leak check of a sanitizer build runs in it. After 120 s, only a safety
 * net against a hang, an alarm ends the child. */
inline ChildOutcome RunInChild(const fs::path &cwd, const fs::path &err_file, const std::function<int()> &body) {
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return {};
    if (pid == 0) {
        alarm(120);
        exit(freopen(err_file.c_str(), "w", stderr) && chdir(cwd.c_str()) == 0 ? body() : 126);
    }
    int wstatus = 0;
    if (waitpid(pid, &wstatus, 0) != pid) return {};
    return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -WTERMSIG(wstatus), ReadFile(err_file)};
}

} // namespace fmtest

#endif

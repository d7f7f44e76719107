/* What every test file starts from: GoogleTest, the standard headers the
 * tests use, the game's interface, and small helpers: temporary folders,
 * whole files, failing allocations and the log stream captured into a file.
 * Header-only so release and debug tests can both use it. */
#ifndef FINMAW_TEST_SUPPORT_H
#define FINMAW_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ashare/alloc.h"
#include "ashare/share_utils.h"
#include "game.h"
#include "game_main.h"

#define FM_LOG_FILE "tests"
#include "ashare/log.h"
#undef FM_LOG_FILE

namespace fmtest {

/* A test, or a program it starts, that floods a log with lines is stopped
 * (SIGXFSZ) long before it can fill the disk. */
inline const bool kFileSizeLimited = [] {
    const rlimit size{64 << 20, 64 << 20};
    return setrlimit(RLIMIT_FSIZE, &size) == 0;
}();

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

inline std::string ReadFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline Lines SplitLines(const std::string &text) {
    Lines lines;
    std::stringstream ss(text);
    for (std::string line; std::getline(ss, line);) lines.push_back(line);
    return lines;
}

/* True when the lines hold each needle, in this order (other lines between). */
inline bool InOrder(const Lines &lines, const Lines &needles) {
    size_t n = 0;
    for (const auto &line : lines) n += n < needles.size() && line.find(needles[n]) != std::string::npos;
    return n == needles.size();
}

/* What f returns while allocation number n from now on fails (and, with
 * all, every one after it); allocations succeed again afterwards. */
template <class F>
auto Starved(long n, F f, int all = 0) {
    Mem_TestReset(n, all);
    const auto result = f();
    Mem_TestReset(0, 0);
    return result;
}

/* A fresh folder under the system's temporary folder, removed on scope exit. */
class TempDir {
public:
    TempDir() {
        std::string name = (fs::temp_directory_path() / "finmaw-XXXXXX").string();
        if (!mkdtemp(name.data())) std::abort();
        path_ = name;
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir &) = delete;
    const fs::path &path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

/* Changes the working directory for the scope. */
class ChdirGuard {
public:
    explicit ChdirGuard(const fs::path &to) : old_(fs::current_path()) { fs::current_path(to); }
    ~ChdirGuard() {
        std::error_code ec;
        fs::current_path(old_, ec);
    }
    ChdirGuard(const ChdirGuard &) = delete;

private:
    fs::path old_;
};

/* The log stream pointed at a temporary file for the scope. */
class LogCapture {
public:
    LogCapture() { Log_Open(file_.c_str(), "w"); }
    ~LogCapture() { Log_Close(); }
    LogCapture(const LogCapture &) = delete;
    std::string text() const { return Log_Flush(), ReadFile(file_); }
    Lines lines() const { return SplitLines(text()); }
    bool contains(const std::string &s) const { return text().find(s) != std::string::npos; }
    /* The lines other than DEBUG ones written since the last call, each as
     * its level and message: "[ERROR] text" (where and errno left out), or
     * with func, "[ERROR] Function: text". */
    Lines Take(bool func = false) {
        Lines all = lines(), out;
        for (size_t i = taken_; i < all.size(); ++i) {
            const std::string &l = all[i];
            if (l.rfind("DEBUG", 0) == 0) continue;
            const size_t at = l.find(") "), name = l.find(':') + 1;
            const std::string where = func ? l.substr(name, l.find("()") - name) + ": " : "";
            out.push_back(at == std::string::npos ? l : l.substr(0, l.find(' ')) + " " + where + l.substr(at + 2));
        }
        taken_ = all.size();
        return out;
    }

private:
    TempDir dir_;
    fs::path file_ = dir_.path() / "capture.log";
    size_t taken_ = 0;
};

/* Expected outputs are data: golden is compared with header + actual, or,
 * with FINMAW_UPDATE_GOLDEN=1 (never under CI), rewritten from them. A
 * mismatch fails with diff -u of the file against this run's, which stays
 * in the working directory as NAME.actual. */
inline void ExpectGolden(const fs::path &golden, const std::string &header, const std::string &actual) {
    if (getenv("FINMAW_UPDATE_GOLDEN") && !getenv("CI")) {
        fs::create_directories(golden.parent_path());
        std::ofstream(golden, std::ios::trunc) << header << actual;
        return;
    }
    const fs::path got = fs::current_path() / (golden.stem().string() + ".actual");
    if (fs::exists(golden) && ReadFile(golden) == header + actual) return;
    std::ofstream(got, std::ios::trunc) << header << actual;
    ADD_FAILURE() << golden
                  << (fs::exists(golden) ? " differs from this run's; the difference follows" : " is missing");
    const std::string diff = "diff -u '" + golden.string() + "' '" + got.string() + "'";
    if (system(diff.c_str()) == -1) ADD_FAILURE() << "could not run diff";
}

} // namespace fmtest

#endif

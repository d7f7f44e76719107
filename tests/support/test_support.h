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
#include <regex>
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

private:
    fs::path path_;
};

/* The log stream pointed at a temporary file for the scope. */
class LogCapture {
public:
    LogCapture() { Log_Open(file_.c_str(), "w"); }
    ~LogCapture() { Log_Close(); }
    LogCapture(const LogCapture &) = delete;
    std::string text() const {
        Log_Flush();
        return ReadFile(file_);
    }
    const fs::path &file() const { return file_; }
    Lines lines() const { return SplitLines(text()); }

private:
    TempDir dir_;
    fs::path file_ = dir_.path() / "capture.log";
};

const fs::path kTests = FINMAW_TESTS_DIR, kGolden = kTests / "golden";

/* The log stream off for the scope: a test's own look-ups stay out of the
 * game's log. */
class LogOff {
public:
    LogOff() : stream_(LOG_STREAM) { LOG_STREAM = nullptr; }
    ~LogOff() { LOG_STREAM = stream_; }
    LogOff(const LogOff &) = delete;

private:
    FILE *stream_;
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

/* A log's lines as transcripts show them: masked by tests/mask_log.sed, and
 * the work folder, which differs run by run, written WORK. */
inline Lines MaskedLines(const fs::path &log, const fs::path &work = {}) {
    if (!fs::exists(log)) return {};
    const std::string sed = "sed -E -f '" + (kTests / "mask_log.sed").string() + "'" +
                            (work.empty() ? "" : " -e 's|" + work.string() + "|WORK|g'") + " '" + log.string() + "'";
    std::string text;
    if (FILE *p = popen(sed.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
        pclose(p);
    }
    return SplitLines(text);
}

/* Lines with a run of one line, or of one group of up to three lines,
 * written once with its count; each line after prefix. */
inline std::string Compressed(const Lines &lines, const std::string &prefix = "") {
    std::string out;
    for (size_t at = 0; at < lines.size();) {
        size_t group = 1, times = 1;
        for (size_t g = 1; g <= 3 && times == 1; ++g) {
            group = g;
            while (at + (times + 1) * g <= lines.size() &&
                   std::equal(lines.begin() + at, lines.begin() + at + g, lines.begin() + at + times * g))
                ++times;
        }
        if (times == 1) group = 1;
        const std::string lines_above = group > 1 ? "these " + std::to_string(group) + " lines " : "";
        for (size_t i = 0; i < group; ++i)
            out += prefix + lines[at + i] +
                   (i + 1 == group && times > 1 ? " [" + lines_above + std::to_string(times) + " times]" : "") + "\n";
        at += group * times;
    }
    return out;
}

inline std::string Masked(const fs::path &log, const fs::path &work) { return Compressed(MaskedLines(log, work)); }

/* Calls into the game's modules written down as they happen: each call as
 * the test wrote it (SAY), what it returned, and the log lines it wrote;
 * compared at the end of the scope with tests/golden/unit/NAME.txt. The
 * results are read once there, against what the game must do, instead of
 * being restated in the test. Every line logged in the scope is shown:
 * lines the test's own steps logged between calls, and those of the
 * objects that end with the scope, under a heading of their own. */
class Transcript {
public:
    explicit Transcript(std::string name) : name_(std::move(name)) {}
    ~Transcript() {
        Log_Flush();
        const Lines log = MaskedLines(log_.file());
        std::string out;
        size_t from = 0;
        const auto lines = [&](size_t to, const std::string &heading) {
            const Lines part(log.begin() + static_cast<long>(std::min(from, to)), log.begin() + static_cast<long>(to));
            from = std::max(from, to);
            return part.empty() ? "" : heading + Compressed(part, "  ");
        };
        for (const Entry &e : entries_) {
            out += lines(e.begin, "logged between calls:\n");
            out += e.text + lines(e.end, "");
        }
        out += lines(log.size(), "logged as the scope ended:\n");
        ExpectGolden(kGolden / "unit" / (name_ + ".txt"), "", out);
    }
    Transcript(const Transcript &) = delete;

    /* A line of the test's own: what the calls after it are about, or a state. */
    void Note(const std::string &text) {
        const size_t now = log_.lines().size();
        entries_.push_back({text + "\n", now, now});
    }
    /* The next call's text shows text where it names the variable name,
     * for calls made in a loop. */
    template <class T>
    Transcript &Let(const std::string &name, const T &value) {
        std::ostringstream text;
        if constexpr (std::is_convertible_v<T, const char *> || std::is_same_v<T, std::string>)
            text << '"' << value << '"';
        else
            text << value;
        lets_.emplace_back(name, text.str());
        return *this;
    }
    /* Marks where the next call's log lines begin. */
    Transcript &Begin() {
        begin_ = log_.lines().size();
        return *this;
    }
    template <class T>
    T Say(const char *call, T result) {
        /* A call that the format split over lines is written on one. */
        std::string text = std::regex_replace(call, std::regex(R"(\( )"), "(");
        text = std::regex_replace(text, std::regex(R"( \))"), ")");
        for (const auto &[name, value] : lets_)
            text = std::regex_replace(text, std::regex("(^|[^\\w.>&])" + name + "\\b(\\.c_str\\(\\))?"), "$01" + value);
        lets_.clear();
        std::ostringstream line;
        line << text << " -> ";
        if constexpr (std::is_same_v<T, bool>)
            line << (result ? "true" : "false");
        else if constexpr (std::is_convertible_v<T, const char *>)
            line << (result ? "\"" + std::string(result) + "\"" : "null");
        else if constexpr (std::is_pointer_v<T>)
            line << (result ? "a pointer" : "null");
        else
            line << result;
        entries_.push_back({line.str() + "\n", begin_, log_.lines().size()});
        return result;
    }

private:
    /* A line of the transcript, and the log's length before and after
     * what it reports: a call's lines follow it. */
    struct Entry {
        std::string text;
        size_t begin;
        size_t end;
    };
    std::string name_;
    LogCapture log_;
    std::vector<Entry> entries_;
    std::vector<std::pair<std::string, std::string>> lets_;
    size_t begin_ = 0;
};

/* Writes the call and its result into the transcript t. */
#define SAY(t, ...) (t).Begin().Say(#__VA_ARGS__, (__VA_ARGS__))

} // namespace fmtest

#endif

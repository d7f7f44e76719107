/* Small helpers shared by the tests: temporary folders, files, and a log
 * stream captured into a file. Header-only so release and debug tests can
 * both use it. */
#ifndef FINMAW_TEST_SUPPORT_H
#define FINMAW_TEST_SUPPORT_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#define FM_LOG_FILE "tests"
#include "ashare/log.h"
#undef FM_LOG_FILE

namespace fmtest {

namespace fs = std::filesystem;

/* A fresh folder under the system's temporary folder, removed on scope exit. */
class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (fs::temp_directory_path() / "finmaw-XXXXXX").string();
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data()))
            std::abort();
        path_ = buf.data();
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const fs::path &path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

/* Changes the working directory for the scope. */
class ChdirGuard {
public:
    explicit ChdirGuard(const fs::path &to) : old_(fs::current_path()) { fs::current_path(to); }
    ~ChdirGuard()
    {
        std::error_code ec;
        fs::current_path(old_, ec);
    }
    ChdirGuard(const ChdirGuard &) = delete;
    ChdirGuard &operator=(const ChdirGuard &) = delete;

private:
    fs::path old_;
};

inline std::string ReadFile(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::stringstream ss(text);
    std::string line;
    while (std::getline(ss, line))
        lines.push_back(line);
    return lines;
}

/* The log stream pointed at a temporary file for the scope. */
class LogCapture {
public:
    LogCapture() : file_(dir_.path() / "capture.log") { Log_Open(file_.c_str(), "w"); }
    ~LogCapture() { Log_Close(); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;
    std::string text() const
    {
        Log_Flush();
        return ReadFile(file_);
    }
    std::vector<std::string> lines() const { return SplitLines(text()); }
    bool contains(const std::string &s) const { return text().find(s) != std::string::npos; }

private:
    TempDir dir_;
    fs::path file_;
};

/* True when the lines hold each needle, in this order (other lines between). */
inline bool InOrder(const std::vector<std::string> &lines, const std::vector<std::string> &needles)
{
    size_t n = 0;
    for (const auto &line : lines)
        if (n < needles.size() && line.find(needles[n]) != std::string::npos)
            ++n;
    return n == needles.size();
}

} // namespace fmtest

#endif

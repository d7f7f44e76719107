#include <gtest/gtest.h>

#include <cerrno>

#include "test_support.h"
#define FM_LOG_FILE "class/probe"
#include "log.h"

TEST(Log, LinePrefixesAndErrnoMarker)
{
    fmtest::LogCapture log;
    errno = 0;
    LOG_INFO("plain %d", 7);
    errno = ENOENT;
    LOG_WARN("warned");
    errno = ENOENT;
    LOG_ERR("broke %s", "it");
    LOG_INFO("after");   /* the error reset errno */
    errno = EINVAL;
    LOG_ERR_KEEP("closing line");
    LOG_INFO("still set");
    LOG_DEBUG("dbg %d", 1);
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].rfind("[INFO] (class/probe:TestBody():", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(": errno: None) plain 7"), std::string::npos);
    EXPECT_NE(lines[1].find("[WARN] (class/probe:TestBody():"), std::string::npos);
    EXPECT_NE(lines[1].find("errno: Yep) warned"), std::string::npos);
    EXPECT_NE(lines[2].find("[ERROR] ("), std::string::npos);
    EXPECT_NE(lines[2].find("errno: Yep) broke it"), std::string::npos);
    EXPECT_NE(lines[3].find("errno: None) after"), std::string::npos);
    EXPECT_NE(lines[4].find("errno: Yep) closing line"), std::string::npos);
    EXPECT_NE(lines[5].find("errno: Yep) still set"), std::string::npos);
    EXPECT_EQ(lines[6].rfind("DEBUG class/probe:TestBody():", 0), 0u) << lines[6];
    EXPECT_EQ(lines[6].substr(lines[6].size() - 7), ": dbg 1");
    errno = 0;
}

TEST(Log, LineNumberIsTheCallersLine)
{
    fmtest::LogCapture log;
    const int line = __LINE__ + 1;
    LOG_INFO("here");
    EXPECT_NE(log.text().find("():" + std::to_string(line) + ": errno"), std::string::npos);
}

TEST(Log, LinesWithoutAStreamAreDropped)
{
    fmtest::TempDir dir;
    const auto file = dir.path() / "a.log";
    ASSERT_EQ(Log_Open(file.c_str(), "w"), 0);
    LOG_INFO("first");
    Log_Close();
    LOG_INFO("dropped");
    Log_Flush();
    Log_Close(); /* closing twice is harmless */
    ASSERT_EQ(Log_Open(file.c_str(), "a"), 0);
    LOG_INFO("appended");
    Log_Close();
    const auto lines = fmtest::SplitLines(fmtest::ReadFile(file));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("first"), std::string::npos);
    EXPECT_NE(lines[1].find("appended"), std::string::npos);
    EXPECT_EQ(Log_Open((dir.path() / "missing" / "x.log").c_str(), "w"), -1);
    EXPECT_EQ(LOG_STREAM, nullptr);
    LOG_ERR("nowhere to go");
}

#include "test_support.h"
#define FM_LOG_FILE "class/probe"
#include "ashare/log.h"

TEST(Log, LinePrefixesAndErrnoMarker) {
    fmtest::LogCapture log;
    errno = 0;
    const int line = __LINE__ + 1;
    LOG_INFO("plain %d", 7);
    errno = ENOENT;
    LOG_WARN("warned");
    LOG_ERR("broke %s", "it"); /* errno as the warning left it */
    LOG_INFO("after");         /* the error reset errno */
    errno = EINVAL;
    LOG_ERR_KEEP("closing line");
    LOG_INFO("still set");
    LOG_DEBUG("dbg %d", 1);
    auto at = [&](const char *level, int offset, const char *rest) {
        return std::string(level) + " (class/probe:TestBody():" + std::to_string(line + offset) + ": errno: " + rest;
    };
    EXPECT_EQ(log.lines(), (std::vector<std::string>{at("[INFO]", 0, "None) plain 7"), at("[WARN]", 2, "Yep) warned"),
                               at("[ERROR]", 3, "Yep) broke it"), at("[INFO]", 4, "None) after"),
                               at("[ERROR]", 6, "Yep) closing line"), at("[INFO]", 7, "Yep) still set"),
                               "DEBUG class/probe:TestBody():" + std::to_string(line + 8) + ": dbg 1"}));
}

TEST(Log, LinesWithoutAStreamAreDropped) {
    const fmtest::TempDir dir;
    ASSERT_EQ(Log_Open((dir.path() / "a.log").c_str(), "w"), 0);
    LOG_INFO("first");
    Log_Close();
    LOG_INFO("dropped");
    Log_Flush();
    Log_Close(); /* closing twice is harmless */
    ASSERT_EQ(Log_Open((dir.path() / "a.log").c_str(), "a"), 0);
    LOG_INFO("appended");
    Log_Close();
    const auto lines = fmtest::SplitLines(fmtest::ReadFile(dir.path() / "a.log"));
    EXPECT_TRUE(lines.size() == 2 && fmtest::InOrder(lines, {"first", "appended"}));
    EXPECT_EQ(Log_Open((dir.path() / "missing" / "x.log").c_str(), "w"), -1);
    EXPECT_EQ(LOG_STREAM, nullptr);
    LOG_ERR("nowhere to go");
}

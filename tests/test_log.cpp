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
    EXPECT_EQ(log.lines(), (fmtest::Lines{at("[INFO]", 0, "None) plain 7"), at("[WARN]", 2, "Yep) warned"),
                               at("[ERROR]", 3, "Yep) broke it"), at("[INFO]", 4, "None) after"),
                               at("[ERROR]", 6, "Yep) closing line"), at("[INFO]", 7, "Yep) still set"),
                               "DEBUG class/probe:TestBody():" + std::to_string(line + 8) + ": dbg 1"}));
    Log_Close();
    LOG_INFO("dropped"); /* no stream: nowhere to go, and no harm */
    EXPECT_EQ(Log_Open("missing/x.log", "w"), -1);
    EXPECT_EQ(LOG_STREAM, nullptr);
}

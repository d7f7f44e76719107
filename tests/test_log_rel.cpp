#include <gtest/gtest.h>

#include "test_support.h"
#define FM_LOG_FILE "game"
#include "log.h"

/* The release build writes no DEBUG lines. */
TEST(LogRelease, DebugLinesAreLeftOut)
{
    fmtest::LogCapture log;
    LOG_DEBUG("not in release %d", 1);
    LOG_DEBUG_FLUSH();
    LOG_INFO("kept");
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("kept"), std::string::npos);
}

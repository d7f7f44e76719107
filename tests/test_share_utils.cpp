
#include <regex>

#include "test_support.h"

namespace {
std::string Text(bstring b) { return b ? std::string(reinterpret_cast<char *>(b->data), b->length) : "<null>"; }
} // namespace

TEST(ResourcePath, BinBecomesRes) {
    const char *rows[][2] = {{"games/finmaw/bin/", "games/finmaw/res/"}, {"bin/x/bin/", "res/x/res/"},
        {"games/cabinet/bin/", "games/careset/res/"}, {"games/finmaw/", "games/finmaw/"}, {"games/BIN/", "games/BIN/"}};
    Mem_TestReset(7, 0); /* the replacement works, keeping its copy does not */
    EXPECT_EQ(0, File_InitialiseResourcePathFrom("x/bin/"));
    Mem_TestReset(0, 0);
    EXPECT_EQ(nullptr, RESOURCE_PATH);
    for (const auto &r : rows) {
        ASSERT_EQ(0, File_InitialiseResourcePathFrom(r[0])) << r[0];
        EXPECT_EQ(1, File_InitialiseResourcePathFrom("other/bin/") + File_InitialiseResourcePath() - 1); /* set once */
        bstring out = nullptr, got = File_GetResource_cstr("shark.bmp", &out);
        EXPECT_EQ(got, out);
        EXPECT_EQ(std::string(r[1]) + "shark.bmp", Text(got));
        bstring_destroy(got);
        bstring_destroy(RESOURCE_PATH);
        RESOURCE_PATH = nullptr;
    }
}

TEST(ResourcePath, ExistingOutputIsReleasedAndLinesNameTheCaller) {
    fmtest::LogCapture log;
    ASSERT_EQ(0, File_InitialiseResourcePathFrom("dir/bin/"));
    bstring name = bstring_from_cstr("fish_01.bmp"), out = bstring_from_cstr("an older path");
    const long live = Mem_TestLive();
    EXPECT_EQ("dir/res/fish_01.bmp", Text(File_GetResource(name, &out)));
    EXPECT_EQ(live, Mem_TestLive()); /* the old string was released */
    EXPECT_EQ("dir/res/font.bmp", Text(File_GetResource_cstr("font.bmp", &out)));
    bstring_destroy(out);
    bstring_destroy(name);
    out = nullptr;
    EXPECT_EQ(nullptr, File_GetResource(nullptr, &out));
    EXPECT_EQ(errno, 0); /* each error line resets it */
    Mem_TestReset(1, 1);
    EXPECT_EQ(nullptr, File_GetResource_cstr("a.bmp", &out));
    Mem_TestReset(0, 0);
    EXPECT_EQ(nullptr, out);
    /* Each line names the function the caller called. */
    const std::regex prefix(R"(\(ashare/share_utils:(\w+)\(\):\d+: errno: \w+\) )");
    const std::string warn = "Out bstring exists, destroying to avoid memory leaks\n";
    EXPECT_EQ(std::regex_replace(log.text(), prefix, "$1: "),
        "[WARN] File_GetResource: " + warn + "[WARN] File_GetResource_cstr: " + warn +
            "[ERROR] File_GetResource: Invalid input: path bstring cannot be NULL.\n"
            "[ERROR] File_GetResource_cstr: Failed to copy RESOURCE_PATH.\n");
}

TEST(ResourcePath, CStringConvert) {
    fmtest::LogCapture log;
    char *out = nullptr;
    bstring empty = bstring_from_cstr(""), z = bstring_from_cstr("");
    ASSERT_EQ(0, bstring_append_block(z, "a\0b", 3));
    ASSERT_EQ(0, Util_CString_Convert(empty, &out));
    ASSERT_TRUE(out && out[0] == '\0');
    ASSERT_EQ(0, Util_CString_Convert(z, &out)); /* the old string is released */
    ASSERT_TRUE(out && memcmp(out, "a\0b\0", 4) == 0);
    Mem_TestReset(1, 0);
    EXPECT_EQ(-1, Util_CString_Convert(z, &out));
    Mem_TestReset(0, 0);
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(-1, Util_CString_Convert(nullptr, &out));
    bstring_destroy(z);
    bstring_destroy(empty);
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {") Out of memory.", ") Invalid input: bstring input is NULL."}));
}

TEST(ResourcePath, FailedInitialisationLinesAndAnUnsetCopy) {
    fmtest::LogCapture log;
    EXPECT_EQ(-1, File_InitialiseResourcePathFrom(nullptr));
    Mem_TestReset(1, 1);
    EXPECT_EQ(-1, File_InitialiseResourcePathFrom("x/bin/"));
    /* Only the copy fails: the request, not the initialiser, reports it. */
    Mem_TestReset(7, 0);
    bstring out = nullptr;
    EXPECT_EQ(nullptr, File_GetResource_cstr("shark.bmp", &out));
    Mem_TestReset(0, 0);
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(nullptr, RESOURCE_PATH);
    const std::regex prefix(R"(\(ashare/share_utils:(\w+)\(\):\d+: errno: \w+\) )");
    EXPECT_EQ(std::regex_replace(log.text(), prefix, "$1: "),
        "[ERROR] File_InitialiseResourcePath: SDL could not setup the base path on this system.\n"
        "[ERROR] File_InitialiseResourcePath: bstring find and replace failed.\n"
        "[ERROR] File_GetResource_cstr: Failed to copy RESOURCE_PATH.\n");
}

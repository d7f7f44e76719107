#include <regex>

#include "test_support.h"

namespace {

std::string Text(bstring b) { return b ? std::string(reinterpret_cast<char *>(b->data), b->length) : "<null>"; }

void Unset() { bstring_destroy(RESOURCE_PATH), RESOURCE_PATH = nullptr; }

/* The log with each line's place reduced to the function it names. */
std::string Named(const fmtest::LogCapture &log) {
    return std::regex_replace(log.text(), std::regex(R"(\(ashare/share_utils:(\w+)\(\):\d+: errno: \w+\) )"), "$1: ");
}

} // namespace

TEST(ResourcePath, EveryBinBecomesResOnce) {
    const char *rows[][2] = {{"games/finmaw/bin/", "games/finmaw/res/"}, {"bin/x/bin/", "res/x/res/"},
        {"games/cabinet/bin/", "games/careset/res/"}, {"games/finmaw/", "games/finmaw/"}, {"games/BIN/", "games/BIN/"}};
    for (const auto &r : rows) {
        ASSERT_EQ(0, File_InitialiseResourcePathFrom(r[0])) << r[0];
        EXPECT_EQ(1, File_InitialiseResourcePathFrom("other/bin/") + File_InitialiseResourcePath() - 1); /* set once */
        bstring out = nullptr, got = File_GetResource_cstr("shark.bmp", &out);
        EXPECT_EQ(got, out);
        EXPECT_EQ(std::string(r[1]) + "shark.bmp", Text(got));
        bstring_destroy(got);
        Unset();
    }
}

TEST(ResourcePath, OutputsAndFailuresAndTheLinesNamingTheCaller) {
    fmtest::LogCapture log;
    EXPECT_EQ(-1, File_InitialiseResourcePathFrom(nullptr));
    EXPECT_EQ(-1, fmtest::Starved(
                      1, [] { return File_InitialiseResourcePathFrom("x/bin/"); }, 1));
    /* Only keeping the copy fails: initialisation passes, the path stays unset. */
    EXPECT_EQ(0, fmtest::Starved(7, [] { return File_InitialiseResourcePathFrom("x/bin/"); }));
    EXPECT_EQ(nullptr, RESOURCE_PATH);
    ASSERT_EQ(0, File_InitialiseResourcePathFrom("dir/bin/"));
    bstring name = bstring_from_cstr("fish_01.bmp"), out = bstring_from_cstr("an older path");
    const long live = Mem_TestLive();
    EXPECT_EQ("dir/res/fish_01.bmp", Text(File_GetResource(name, &out)));
    EXPECT_EQ(live, Mem_TestLive()); /* the old string was released */
    EXPECT_EQ("dir/res/font.bmp", Text(File_GetResource_cstr("font.bmp", &out)));
    bstring_destroy(out), bstring_destroy(name), out = nullptr;
    EXPECT_EQ(nullptr, File_GetResource(nullptr, &out));
    EXPECT_EQ(errno, 0); /* each error line resets it */
    EXPECT_EQ(nullptr, fmtest::Starved(
                           1, [&] { return File_GetResource_cstr("a.bmp", &out); }, 1));
    EXPECT_EQ(nullptr, out);
    const std::string warn = "Out bstring exists, destroying to avoid memory leaks\n";
    EXPECT_EQ(Named(log), "[ERROR] File_InitialiseResourcePath: SDL could not setup the base path on this system.\n"
                          "[ERROR] File_InitialiseResourcePath: bstring find and replace failed.\n"
                          "[WARN] File_GetResource: " +
                              warn + "[WARN] File_GetResource_cstr: " + warn +
                              "[ERROR] File_GetResource: Invalid input: path bstring cannot be NULL.\n"
                              "[ERROR] File_GetResource_cstr: Failed to copy RESOURCE_PATH.\n");
}

TEST(ResourcePath, CStringConvertKeepsEveryByte) {
    fmtest::LogCapture log;
    char *out = nullptr;
    bstring z = bstring_from_cstr("");
    ASSERT_EQ(0, bstring_append_block(z, "a\0b", 3));
    ASSERT_EQ(0, Util_CString_Convert(z, &out));
    ASSERT_TRUE(out && memcmp(out, "a\0b\0", 4) == 0);
    EXPECT_EQ(-1, fmtest::Starved(1, [&] { return Util_CString_Convert(z, &out); })); /* the old string is released */
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(-1, Util_CString_Convert(nullptr, &out));
    bstring_destroy(z);
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {") Out of memory.", ") Invalid input: bstring input is NULL."}));
}

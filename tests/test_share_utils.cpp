#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <iterator>
#include <string>

#include "alloc.h"
#include "share_utils.h"
#include "test_support.h"

namespace {

const char kPrefix[] = "(ashare/share_utils:";

std::string Text(bstring b)
{
    return std::string(reinterpret_cast<char *>(b->data), b->length);
}

/* Every test starts with no resource directory and ends without one. */
class ResourcePath : public ::testing::Test {
protected:
    void SetUp() override { Forget(); }
    void TearDown() override
    {
        Mem_TestReset(0, 0);
        Forget();
    }
    static void Forget()
    {
        if (RESOURCE_PATH)
            bstring_destroy(RESOURCE_PATH);
        RESOURCE_PATH = nullptr;
    }
    /* The path "shark.bmp" resolves to under the given base directory. */
    static std::string Resolve(const char *base)
    {
        Forget();
        EXPECT_EQ(0, File_InitialiseResourcePathFrom(base));
        bstring out = nullptr;
        bstring got = File_GetResource_cstr("shark.bmp", &out);
        EXPECT_EQ(got, out);
        if (!got)
            return "<null>";
        std::string s = Text(got);
        bstring_destroy(got);
        return s;
    }
};

} // namespace

TEST_F(ResourcePath, BinBecomesRes)
{
    EXPECT_EQ("games/finmaw/res/shark.bmp", Resolve("games/finmaw/bin/"));
    EXPECT_EQ("res/x/res/shark.bmp", Resolve("bin/x/bin/"));
    EXPECT_EQ("games/careset/res/shark.bmp", Resolve("games/cabinet/bin/"));
    EXPECT_EQ("games/finmaw/shark.bmp", Resolve("games/finmaw/"));
    EXPECT_EQ("games/BIN/shark.bmp", Resolve("games/BIN/"));
    EXPECT_EQ("resres/shark.bmp", Resolve("binbin/"));
}

TEST_F(ResourcePath, SetOnceAndFromSdl)
{
    EXPECT_EQ(0, File_InitialiseResourcePathFrom("one/bin/"));
    EXPECT_EQ(1, File_InitialiseResourcePathFrom("two/bin/"));
    EXPECT_EQ(1, File_InitialiseResourcePath());
    EXPECT_EQ("one/res/", Text(RESOURCE_PATH));

    /* Without a set path the first request asks SDL. */
    Forget();
    char *base = SDL_GetBasePath();
    ASSERT_NE(nullptr, base);
    std::string want = base;
    SDL_free(base);
    for (size_t at = want.find("bin"); at != std::string::npos; at = want.find("bin", at + 3))
        want.replace(at, 3, "res");
    bstring out = nullptr;
    ASSERT_NE(nullptr, File_GetResource_cstr("back.bmp", &out));
    EXPECT_EQ(want + "back.bmp", Text(out));
    EXPECT_EQ(want, Text(RESOURCE_PATH));
    bstring_destroy(out);
}

TEST_F(ResourcePath, BstringNameAndExistingOutput)
{
    fmtest::LogCapture log;
    ASSERT_EQ(0, File_InitialiseResourcePathFrom("dir/bin/"));
    bstring name = bstring_from_cstr("fish_01.bmp");
    bstring out = bstring_from_cstr("an older path");
    ASSERT_EQ(out, File_GetResource(name, &out));
    EXPECT_EQ("dir/res/fish_01.bmp", Text(out));
    /* The old string is released: the sanitizer build reports a leak if not. */
    ASSERT_EQ(out, File_GetResource_cstr("font.bmp", &out));
    EXPECT_EQ("dir/res/font.bmp", Text(out));
    bstring_destroy(out);
    bstring_destroy(name);

    const auto lines = log.lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0u, lines[0].find("[WARN] (ashare/share_utils:File_GetResource():"));
    EXPECT_EQ(0u, lines[1].find("[WARN] (ashare/share_utils:File_GetResource_cstr():"));
    for (const auto &line : lines)
        EXPECT_NE(std::string::npos,
                  line.find("errno: None) Out bstring exists, destroying to avoid memory leaks"));
}

TEST_F(ResourcePath, InvalidInputs)
{
    fmtest::LogCapture log;
    bstring out = nullptr;
    EXPECT_EQ(-1, File_InitialiseResourcePathFrom(nullptr));
    EXPECT_EQ(nullptr, RESOURCE_PATH);
    ASSERT_EQ(0, File_InitialiseResourcePathFrom("bin/"));
    EXPECT_EQ(nullptr, File_GetResource_cstr(nullptr, &out));
    EXPECT_EQ(nullptr, File_GetResource(nullptr, &out));
    EXPECT_EQ(nullptr, out);

    const auto lines = log.lines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("[ERROR] (ashare/share_utils:File_InitialiseResourcePathFrom():"));
    EXPECT_NE(std::string::npos, lines[0].find(") SDL could not setup the base path on this system."));
    EXPECT_NE(std::string::npos, lines[1].find("File_GetResource_cstr():"));
    EXPECT_NE(std::string::npos, lines[1].find(") Invalid input: path string cannot be NULL."));
    EXPECT_NE(std::string::npos, lines[2].find("File_GetResource():"));
    EXPECT_NE(std::string::npos, lines[2].find(") Invalid input: path bstring cannot be NULL."));
    for (const auto &line : lines)
        EXPECT_NE(std::string::npos, line.find(kPrefix));
}

TEST_F(ResourcePath, AllocationFailures)
{
    fmtest::LogCapture log;
    bstring out = nullptr;

    /* Nothing can be allocated: initialisation fails, and is tried again. */
    Mem_TestReset(1, 1);
    EXPECT_EQ(nullptr, File_GetResource_cstr("shark.bmp", &out));
    EXPECT_EQ(nullptr, RESOURCE_PATH);
    Mem_TestReset(0, 0);
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {") bstring find and replace failed.",
                                              ") Resource data path could not be initialised D:"}));

    /* The replacement worked but its copy could not be kept. */
    Mem_TestReset(7, 0);
    EXPECT_EQ(-1, File_InitialiseResourcePathFrom("x/bin/"));
    EXPECT_EQ(nullptr, RESOURCE_PATH);
    Mem_TestReset(0, 0);
    ASSERT_EQ(0, File_InitialiseResourcePathFrom("x/bin/"));

    Mem_TestReset(1, 1);
    EXPECT_EQ(nullptr, File_GetResource_cstr("shark.bmp", &out));
    EXPECT_EQ(nullptr, out);
    bstring name = nullptr;
    Mem_TestReset(0, 0);
    name = bstring_from_cstr("shark.bmp");
    Mem_TestReset(1, 1);
    EXPECT_EQ(nullptr, File_GetResource(name, &out));
    EXPECT_EQ(nullptr, out);

    /* The copy works, growing it for the name does not. */
    Mem_TestReset(3, 1);
    EXPECT_EQ(nullptr, File_GetResource_cstr("a_long_file_name.bmp", &out));
    EXPECT_EQ(nullptr, out);
    Mem_TestReset(3, 1);
    EXPECT_EQ(nullptr, File_GetResource(name, &out));
    EXPECT_EQ(nullptr, out);
    Mem_TestReset(0, 0);
    bstring_destroy(name);

    const auto lines = log.lines();
    const char *want[][2] = {
        {"File_InitialiseResourcePathFrom", "bstring find and replace failed."},
        {"File_GetResource_cstr", "Resource data path could not be initialised D:"},
        {"File_GetResource_cstr", "Failed to copy RESOURCE_PATH."},
        {"File_GetResource", "Failed to copy RESOURCE_PATH"},
        {"File_GetResource_cstr", "Error appending to resource path. Given dir: a_long_file_name.bmp"},
        {"File_GetResource", "Error appending to resource path. Given dir: shark.bmp"},
    };
    ASSERT_EQ(std::size(want), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string head = std::string("[ERROR] (ashare/share_utils:") + want[i][0] + "():";
        const std::string tail = std::string(") ") + want[i][1];
        EXPECT_EQ(0u, lines[i].find(head)) << lines[i];
        ASSERT_GE(lines[i].size(), tail.size());
        EXPECT_EQ(tail, lines[i].substr(lines[i].size() - tail.size())) << lines[i];
    }
}

TEST_F(ResourcePath, CStringConvert)
{
    fmtest::LogCapture log;
    char *out = nullptr;

    bstring empty = bstring_from_cstr("");
    ASSERT_EQ(0, Util_CString_Convert(empty, &out));
    ASSERT_NE(nullptr, out);
    EXPECT_EQ('\0', out[0]);

    /* An old string in the variable is released and replaced. */
    bstring z = bstring_from_cstr("");
    const unsigned char bytes[] = {'a', 0, 'b'};
    ASSERT_EQ(0, bstring_append_block(z, bytes, 3));
    ASSERT_EQ(0, Util_CString_Convert(z, &out));
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(0, memcmp(out, "a\0b\0", 4));

    EXPECT_EQ(-1, Util_CString_Convert(nullptr, &out));
    EXPECT_EQ(nullptr, out);

    ASSERT_EQ(0, Util_CString_Convert(z, &out));
    Mem_TestReset(1, 0);
    EXPECT_EQ(-1, Util_CString_Convert(z, &out));
    Mem_TestReset(0, 0);
    EXPECT_EQ(nullptr, out);

    bstring_destroy(z);
    bstring_destroy(empty);

    const auto lines = log.lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0u, lines[0].find("[ERROR] (ashare/share_utils:Util_CString_Convert():"));
    EXPECT_NE(std::string::npos, lines[0].find(") Invalid input: bstring input is NULL."));
    EXPECT_NE(std::string::npos, lines[1].find(") Out of memory."));
}

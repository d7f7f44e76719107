#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bstring_model.h"

namespace {

/* The text of a string whose invariants hold, else "<invalid>". */
std::string Text(const tagbstring *b)
{
    if (!b || !b->data || b->length < 0 || b->length >= b->capacity || b->data[b->length])
        return "<invalid>";
    return std::string(reinterpret_cast<char *>(b->data), static_cast<size_t>(b->length));
}

struct Str {
    bstring b;
    explicit Str(const std::string &s) : b(bstring_from_cstr(s.c_str())) {}
    ~Str() { bstring_destroy(b); }
};

TEST(Bstring, RandomOperationsMatchTheModel)
{
    std::mt19937 rng(7);
    for (int run = 0; run < 1000; ++run) {
        std::vector<uint8_t> bytes(4000);
        for (uint8_t &b : bytes)
            b = static_cast<uint8_t>(rng());
        const std::string broke = fmtest::BstringModel(bytes.data(), bytes.size()).Run();
        ASSERT_EQ(broke, "") << "run " << run;
    }
}

TEST(Bstring, CapacitiesAndFallbacks)
{
    EXPECT_EQ(Str("").b->capacity, 8);
    EXPECT_EQ(Str("abcdef").b->capacity, 8);
    EXPECT_EQ(Str("abcdefg").b->capacity, 16);
    Str seven("abcdefg"), fifteen("abcdefghijklmno");
    EXPECT_EQ(bstring_copy(seven.b)->capacity, 16);
    EXPECT_EQ(bstring_copy(fifteen.b)->capacity, 32);
    /* Each row: a string, the nth allocation (and with all, every later one)
     * failing, then reserve(n): its status and the capacity it leaves. A
     * buffer more than 7/8 full is resized in place, falling back to exactly
     * n; otherwise a fresh buffer, falling back to resizing. */
    const struct { const char *s; long fail_at; int all, n, rc, cap; } rows[] = {
        {"abcdefghijklmno", 1, 0, 20, 0, 20}, {"abcdefghijklmno", 1, 1, 20, -1, 16}, {"abcdefghijklmno", 0, 0, 20, 0, 32},
        {"abcdefghijklmn", 1, 0, 20, 0, 32},  {"abcd", 1, 0, 20, 0, 32},             {"abcd", 2, 1, 20, 0, 32},
        {"abcd", 1, 1, 20, -1, 8},            {"abcd", 1, 1, 7, 0, 8},               {"abcd", 0, 0, 8, 0, 16},
        {"abcd", 0, 0, 0, -1, 8},
    };
    for (const auto &r : rows) {
        Str s(std::string(r.s).substr(0, 7)); /* appended to: 14 or 15 bytes stay in 16 */
        ASSERT_EQ(bstring_append_cstr(s.b, r.s + std::min<size_t>(7, strlen(r.s))), 0);
        Mem_TestReset(r.fail_at, r.all);
        EXPECT_EQ(bstring_reserve(s.b, r.n), r.rc) << r.s << " " << r.fail_at;
        Mem_TestReset(0, 0);
        EXPECT_EQ(s.b->capacity, r.cap) << r.s << " " << r.fail_at << " " << r.all;
        EXPECT_EQ(Text(s.b), r.s);
    }
    Mem_TestReset(2, 0); /* a copy whose rounded buffer fails gets exactly length + 1 */
    bstring exact = bstring_copy(seven.b);
    Mem_TestReset(0, 0);
    EXPECT_EQ(Text(exact), "abcdefg");
    EXPECT_EQ(exact->capacity, 8);
    bstring_destroy(exact);
    Str s("abcd");
    Mem_TestReset(1, 1); /* four bytes fit, then the fallback append fails */
    EXPECT_EQ(bstring_append_cstr(s.b, "efghijkl"), -1);
    Mem_TestReset(0, 0);
    EXPECT_EQ(Text(s.b), "abcd");
}

TEST(Bstring, PositionListGrowsOnTheHeapAfterThirtyOne)
{
    /* 31 occurrences and the closing entry fit the local slots, then the
     * list doubles: 63 fit in one heap list, 64 need a second. */
    Str a("a"), xy("XY");
    const struct { int occurrences; long allocations; } rows[] = {{31, 0}, {32, 1}, {63, 1}, {64, 2}};
    for (const auto &r : rows) {
        Str many(std::string(r.occurrences, 'a'));
        ASSERT_EQ(bstring_reserve(many.b, 2 * r.occurrences + 1), 0); /* the buffer itself need not grow */
        Mem_TestReset(0, 0);
        EXPECT_EQ(bstring_find_replace(many.b, a.b, xy.b, 0), 0);
        EXPECT_EQ(Mem_TestCount(), r.allocations) << r.occurrences;
        std::string want;
        for (int i = 0; i < r.occurrences; ++i)
            want += "XY";
        EXPECT_EQ(Text(many.b), want);
    }
    Str many(std::string(40, 'a'));
    Mem_TestReset(1, 1); /* the position list cannot move to the heap */
    EXPECT_EQ(bstring_find_replace(many.b, a.b, xy.b, 0), -1);
    Mem_TestReset(0, 0);
    EXPECT_EQ(Text(many.b), std::string(40, 'a'));
    /* An empty replacement inside the target shares no bytes with it: no copy. */
    Str s("abcabc");
    tagbstring nothing{0, 0, s.b->data + 3};
    Mem_TestReset(0, 0);
    EXPECT_EQ(bstring_find_replace(s.b, Str("b").b, &nothing, 0), 0);
    EXPECT_EQ(Mem_TestCount(), 2); /* the two bytes of "b" */
    EXPECT_EQ(Text(s.b), "acac");
}

TEST(Bstring, RefusalsChangeNothing)
{
    unsigned char text[] = "fixed";
    tagbstring fixed{0, 5, text}, empty_fixed{0, 0, text}, broken{8, 9, text}, negative{8, -1, text}, no_data{8, 0, nullptr};
    Str x("x"), empty("");
    for (tagbstring *bad : {&fixed, &empty_fixed, &broken, &negative, &no_data}) {
        EXPECT_EQ(bstring_destroy(bad), -1);
        EXPECT_EQ(bstring_reserve(bad, 64), -1);
        EXPECT_EQ(bstring_append(bad, x.b), -1);
        EXPECT_EQ(bstring_append_cstr(bad, "x"), -1);
        EXPECT_EQ(bstring_append_block(bad, "x", 1), -1);
        EXPECT_EQ(bstring_find_replace(bad, x.b, x.b, 0), -1);
    }
    EXPECT_EQ(std::string(reinterpret_cast<char *>(text)), "fixed");
    EXPECT_EQ(bstring_copy(&negative), nullptr);
    EXPECT_EQ(bstring_copy(&no_data), nullptr);
    for (tagbstring *bad : {&negative, &no_data, static_cast<tagbstring *>(nullptr)})
        EXPECT_EQ(bstring_find(bad, 0, x.b) + bstring_find(x.b, 0, bad), -2);
    unsigned char b0[] = {'b', 0};
    tagbstring b_zero{0, 2, b0}; /* the terminator after "xab" is no part of it */
    EXPECT_EQ(bstring_find(Str("xab").b, 0, &b_zero), -1);
    EXPECT_EQ(bstring_destroy(nullptr), -1);
    EXPECT_EQ(bstring_from_cstr(nullptr), nullptr);
    EXPECT_EQ(bstring_append(x.b, &negative), -1);
    EXPECT_EQ(bstring_append_cstr(x.b, nullptr), -1);
    EXPECT_EQ(bstring_append_block(x.b, nullptr, 1), -1);
    EXPECT_EQ(bstring_append_block(x.b, "x", -1), -1);
    EXPECT_EQ(bstring_find_replace(x.b, empty.b, x.b, 0), -1);
    EXPECT_EQ(bstring_find_replace(x.b, x.b, &negative, 0), -1);
    EXPECT_EQ(bstring_find_replace(x.b, x.b, x.b, -1), -1);
    bstring none = nullptr;
    EXPECT_EQ(bstring_append(none, x.b) + bstring_append(x.b, none) + bstring_append(x.b, &no_data), -3);
    EXPECT_EQ(bstring_find_replace(none, x.b, x.b, 0) + bstring_find_replace(x.b, none, x.b, 0) +
                  bstring_find_replace(x.b, x.b, none, 0) + bstring_find_replace(x.b, &no_data, x.b, 0) +
                  bstring_find_replace(x.b, x.b, &no_data, 0),
              -5);
    EXPECT_EQ(Text(x.b), "x");
    /* Records the operations still take: no room for a terminator, a one-byte buffer. */
    unsigned char four[] = "abcd";
    tagbstring full{4, 4, four}, tiny{1, 0, four};
    EXPECT_EQ(bstring_find_replace(&full, Str("zz").b, x.b, 0), 0);
    EXPECT_EQ(bstring_find_replace(&tiny, x.b, x.b, 0), 0);
    tagbstring heap{4, 4, static_cast<unsigned char *>(Mem_Alloc(4))};
    memcpy(heap.data, "abcd", 4);
    ASSERT_EQ(bstring_append(&heap, x.b), 0);
    EXPECT_EQ(Text(&heap), "abcdx");
    Mem_Free(heap.data);
}

} // namespace

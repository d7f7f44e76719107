
#include <random>

#include "bstring_model.h"
#include "test_support.h"

namespace {

using fmtest::Bytes;

/* The text of a string whose invariants hold, else "<invalid>". */
std::string Text(const tagbstring *b) {
    return b && b->data && b->length >= 0 && b->length < b->capacity && !b->data[b->length] ? Bytes(b) : "<invalid>";
}

struct Str {
    bstring b;
    explicit Str(const std::string &s) : b(bstring_from_cstr(s.c_str())) {}
    ~Str() { bstring_destroy(b); }
};

TEST(Bstring, RandomOperationsMatchTheModel) {
    std::mt19937 rng(7);
    std::vector<uint8_t> bytes(4000);
    for (int run = 0; run < 1000; ++run) {
        for (uint8_t &b : bytes) b = static_cast<uint8_t>(rng());
        ASSERT_EQ(fmtest::BstringModel(bytes.data(), bytes.size()).Run(), "") << "run " << run;
    }
}

TEST(Bstring, ReplacementPositionsStayLocalUpToThirtyOne) {
    /* 31 occurrences and the closing entry fit the local slots, then the
     * list doubles: 63 fit in one heap list, 64 need a second. */
    Str a("a"), xy("XY");
    const std::pair<int, long> rows[] = {
        {31, 0},
        {32, 1},
        {63, 1},
        {64, 2},
    };
    for (auto [occurrences, allocations] : rows) {
        Str many(std::string(occurrences, 'a'));
        ASSERT_EQ(bstring_reserve(many.b, 2 * occurrences + 1), 0); /* the buffer itself need not grow */
        Mem_TestReset(0, 0);
        EXPECT_EQ(bstring_find_replace(many.b, a.b, xy.b, 0), 0);
        EXPECT_EQ(Mem_TestCount(), allocations) << occurrences;
        EXPECT_EQ(many.b->length, 2 * occurrences);
    }
    Str many(std::string(40, 'a')); /* the position list cannot move to the heap */
    EXPECT_EQ(fmtest::Starved(
                  1, [&] { return bstring_find_replace(many.b, a.b, xy.b, 0); }, 1),
        -1);
    EXPECT_EQ(Text(many.b), std::string(40, 'a'));
    /* An empty replacement inside the target shares no bytes with it: no copy. */
    Str s("abcabc"), b("b");
    tagbstring nothing{0, 0, s.b->data + 3};
    Mem_TestReset(0, 0);
    EXPECT_EQ(bstring_find_replace(s.b, b.b, &nothing, 0), 0);
    EXPECT_EQ(Text(s.b) + std::to_string(Mem_TestCount()), "acac0");
}

TEST(Bstring, RefusalsChangeNothing) {
    unsigned char text[] = "fixed";
    tagbstring fixed{0, 5, text}, empty_fixed{0, 0, text}, broken{8, 9, text}, negative{8, -1, text},
        no_data{8, 0, nullptr};
    Str x("x"), empty("");
    const bstring none = nullptr;
    for (tagbstring *bad : {&fixed, &empty_fixed, &broken, &negative, &no_data, none})
        EXPECT_EQ(bstring_destroy(bad) + bstring_reserve(bad, 64) + bstring_append(bad, x.b) +
                      bstring_append_cstr(bad, "x") + bstring_append_block(bad, "x", 1) +
                      bstring_find_replace(bad, x.b, x.b, 0),
            -6);
    for (tagbstring *bad : {&negative, &no_data, none})
        EXPECT_EQ(bstring_find(bad, 0, x.b) + bstring_find(x.b, 0, bad) + bstring_append(x.b, bad) +
                      bstring_find_replace(x.b, bad, x.b, 0) + bstring_find_replace(x.b, x.b, bad, 0) +
                      (bstring_copy(bad) != nullptr),
            -5);
    EXPECT_TRUE(Bytes(&fixed) == "fixed" && !bstring_from_cstr(nullptr));
    EXPECT_EQ(bstring_append_cstr(x.b, nullptr) + bstring_append_block(x.b, nullptr, 1) +
                  bstring_append_block(x.b, "x", -1) + bstring_find_replace(x.b, empty.b, x.b, 0) +
                  bstring_find_replace(x.b, x.b, x.b, -1),
        -5);
    EXPECT_EQ(Text(x.b), "x");
    unsigned char b0[] = {'b', 0};
    tagbstring b_zero{0, 2, b0}; /* the terminator after "xab" is no part of it */
    EXPECT_EQ(bstring_find(Str("xab").b, 0, &b_zero), -1);
    /* Records the operations still take: no room for a terminator, a one-byte buffer. */
    unsigned char four[] = "abcd";
    tagbstring full{4, 4, four}, tiny{1, 0, four}, heap{4, 4, static_cast<unsigned char *>(Mem_Alloc(4))};
    EXPECT_EQ(bstring_find_replace(&full, Str("zz").b, x.b, 0) + bstring_find_replace(&tiny, x.b, x.b, 0), 0);
    memcpy(heap.data, "abcd", 4);
    ASSERT_EQ(bstring_append(&heap, x.b), 0);
    EXPECT_EQ(Text(&heap), "abcdx");
    Mem_Free(heap.data);
}

} // namespace

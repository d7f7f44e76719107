#include <gtest/gtest.h>

#include <string>

#include "alloc.h"
#include "bstring.h"

namespace {

/* Owns a string for the scope of a test. */
struct Str {
    bstring b;
    explicit Str(const char *s) : b(bstring_from_cstr(s)) {}
    explicit Str(bstring s) : b(s) {}
    ~Str()
    {
        if (b)
            bstring_destroy(b);
    }
    Str(const Str &) = delete;
    Str &operator=(const Str &) = delete;
    std::string text() const { return std::string(reinterpret_cast<char *>(b->data), b->length); }
};

/* The invariants every string left behind must keep. */
::testing::AssertionResult Valid(bstring b)
{
    if (!b || !b->data)
        return ::testing::AssertionFailure() << "null";
    if (b->length < 0 || b->length >= b->capacity)
        return ::testing::AssertionFailure()
               << "length " << b->length << " capacity " << b->capacity;
    if (b->data[b->length] != 0)
        return ::testing::AssertionFailure() << "no terminator";
    return ::testing::AssertionSuccess();
}

/* A view into someone else's bytes, as a record that must not change. */
tagbstring View(unsigned char *p, int len)
{
    tagbstring v;
    v.capacity = 0;
    v.length = len;
    v.data = p;
    return v;
}

struct MemReset {
    ~MemReset() { Mem_TestReset(0, 0); }
};

} // namespace

TEST(Bstring, CapacityRounding)
{
    Str empty("");
    ASSERT_TRUE(Valid(empty.b));
    EXPECT_EQ(0, empty.b->length);
    EXPECT_EQ(8, empty.b->capacity);

    Str six("abcdef");
    EXPECT_EQ(8, six.b->capacity);
    Str seven("abcdefg");
    EXPECT_EQ(16, seven.b->capacity);
    EXPECT_EQ("abcdefg", seven.text());

    Str copy(bstring_copy(seven.b));
    ASSERT_TRUE(Valid(copy.b));
    EXPECT_EQ(16, copy.b->capacity);
    EXPECT_EQ("abcdefg", copy.text());
    EXPECT_NE(seven.b->data, copy.b->data);

    /* 15 bytes plus the terminator is 16, which rounds up past itself. */
    Str fifteen("0123456789abcde");
    EXPECT_EQ(32, fifteen.b->capacity);
}

TEST(Bstring, CopyFallsBackToExactSize)
{
    MemReset guard;
    Str seven("abcdefg");
    Mem_TestReset(2, 0); /* record succeeds, rounded buffer fails */
    Str copy(bstring_copy(seven.b));
    ASSERT_TRUE(Valid(copy.b));
    EXPECT_EQ(8, copy.b->capacity);
    EXPECT_EQ("abcdefg", copy.text());

    Mem_TestReset(2, 1); /* both buffer attempts fail */
    EXPECT_EQ(nullptr, bstring_copy(seven.b));
    Mem_TestReset(1, 0);
    EXPECT_EQ(nullptr, bstring_from_cstr("x"));
    Mem_TestReset(2, 0);
    EXPECT_EQ(nullptr, bstring_from_cstr("x"));
}

TEST(Bstring, AppendGrowsAndHandlesSelf)
{
    Str s("ab");
    ASSERT_EQ(0, bstring_append(s.b, s.b));
    ASSERT_TRUE(Valid(s.b));
    EXPECT_EQ("abab", s.text());

    /* Big enough to force the buffer to move while reading from itself. */
    Str big("0123456789");
    ASSERT_EQ(0, bstring_append(big.b, big.b));
    ASSERT_TRUE(Valid(big.b));
    EXPECT_EQ("01234567890123456789", big.text());
    EXPECT_EQ(32, big.b->capacity);

    /* A view into the target's own buffer survives the target growing. */
    Str t("abcdefghijklmn");
    tagbstring inner = View(t.b->data + 2, 3);
    ASSERT_EQ(0, bstring_append(t.b, &inner));
    EXPECT_EQ("abcdefghijklmncde", t.text());

    Str c("x");
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(0, bstring_append_cstr(c.b, "yz"));
    ASSERT_TRUE(Valid(c.b));
    EXPECT_EQ(41, c.b->length);
    EXPECT_EQ(64, c.b->capacity);
    EXPECT_EQ('z', c.b->data[40]);

    unsigned char bytes[3] = {'a', 0, 'b'};
    Str blk("");
    ASSERT_EQ(0, bstring_append_block(blk.b, bytes, 3));
    EXPECT_EQ(std::string("a\0b", 3), blk.text());
    ASSERT_TRUE(Valid(blk.b));
}

TEST(Bstring, AppendCstrFallbackFailureLeavesValidString)
{
    MemReset guard;
    Str s("abcd"); /* capacity 8: four more bytes fit before the fallback */
    Mem_TestReset(1, 1);
    EXPECT_EQ(-1, bstring_append_cstr(s.b, "efghijkl"));
    EXPECT_GE(Mem_TestCount(), 1);
    Mem_TestReset(0, 0);
    ASSERT_TRUE(Valid(s.b));
    EXPECT_EQ("abcd", s.text());
    EXPECT_EQ(8, s.b->capacity);

    /* Still usable afterwards. */
    ASSERT_EQ(0, bstring_append_cstr(s.b, "efghijkl"));
    EXPECT_EQ("abcdefghijkl", s.text());

    /* Appending the string's own text as a C string. */
    Str self("abcde");
    ASSERT_EQ(0, bstring_append_cstr(self.b, reinterpret_cast<char *>(self.b->data)));
    ASSERT_TRUE(Valid(self.b));
    EXPECT_EQ("abcdeabcde", self.text());
}

TEST(Bstring, ReserveInPlaceOrFresh)
{
    MemReset guard;
    Str s("abc"); /* 3 of 8: fresh buffer */
    Mem_TestReset(0, 0);
    ASSERT_EQ(0, bstring_reserve(s.b, 20));
    EXPECT_EQ(32, s.b->capacity);
    EXPECT_EQ("abc", s.text());
    EXPECT_TRUE(Valid(s.b));
    EXPECT_EQ(0, bstring_reserve(s.b, 31)); /* already enough room */
    EXPECT_EQ(32, s.b->capacity);
    EXPECT_EQ(1, Mem_TestCount());

    /* A fresh buffer that can't be had falls back to resizing. */
    Str t("abc");
    Mem_TestReset(1, 0);
    ASSERT_EQ(0, bstring_reserve(t.b, 9));
    EXPECT_EQ(16, t.b->capacity);
    EXPECT_EQ(2, Mem_TestCount());
    EXPECT_EQ("abc", t.text());

    /* Rounded size refused, exact size granted. */
    Str u("abcdefg");
    ASSERT_EQ(0, bstring_append_cstr(u.b, "hijklmno"));
    ASSERT_EQ(16, u.b->capacity); /* 15 of 16: more than seven eighths full */
    Mem_TestReset(1, 0);
    ASSERT_EQ(0, bstring_reserve(u.b, 20));
    EXPECT_EQ(20, u.b->capacity);
    EXPECT_EQ("abcdefghijklmno", u.text());
    EXPECT_TRUE(Valid(u.b));

    Mem_TestReset(1, 1);
    EXPECT_EQ(-1, bstring_reserve(u.b, 100));
    EXPECT_EQ(20, u.b->capacity);
    EXPECT_EQ("abcdefghijklmno", u.text());
    Mem_TestReset(0, 0);
    EXPECT_EQ(-1, bstring_reserve(u.b, 0));
}

TEST(Bstring, Find)
{
    Str s("abcabc");
    Str bc("bc");
    Str empty("");
    Str none("zz");
    EXPECT_EQ(1, bstring_find(s.b, 0, bc.b));
    EXPECT_EQ(4, bstring_find(s.b, 2, bc.b));
    EXPECT_EQ(4, bstring_find(s.b, 4, bc.b));
    EXPECT_EQ(-1, bstring_find(s.b, 5, bc.b));
    EXPECT_EQ(-1, bstring_find(s.b, 0, none.b));
    EXPECT_EQ(6, bstring_find(s.b, 6, empty.b));
    EXPECT_EQ(3, bstring_find(s.b, 3, empty.b));
    EXPECT_EQ(-1, bstring_find(s.b, 6, bc.b));
    EXPECT_EQ(-1, bstring_find(s.b, 7, empty.b));
    EXPECT_EQ(-1, bstring_find(s.b, -1, bc.b));
    EXPECT_EQ(0, bstring_find(s.b, 0, s.b));
    EXPECT_EQ(-1, bstring_find(nullptr, 0, bc.b));
    EXPECT_EQ(-1, bstring_find(s.b, 0, nullptr));

    /* Bytes after an embedded zero are searched too. */
    Str z("");
    unsigned char bytes[5] = {'a', 0, 'b', 'c', 0};
    ASSERT_EQ(0, bstring_append_block(z.b, bytes, 5));
    EXPECT_EQ(2, bstring_find(z.b, 0, bc.b));
}

TEST(Bstring, FindReplaceShrinkSameAndNoMatch)
{
    Str a("aaaaa");
    Str aa("aa");
    Str nothing("");
    ASSERT_EQ(0, bstring_find_replace(a.b, aa.b, nothing.b, 0));
    ASSERT_TRUE(Valid(a.b));
    EXPECT_EQ("a", a.text());

    Str p("x-bin-y-bin-z");
    Str bin("bin");
    Str r("r");
    ASSERT_EQ(0, bstring_find_replace(p.b, bin.b, r.b, 0));
    EXPECT_EQ("x-r-y-r-z", p.text());
    ASSERT_TRUE(Valid(p.b));
    Str q("binxbinxbin");
    ASSERT_EQ(0, bstring_find_replace(q.b, bin.b, r.b, 0));
    EXPECT_EQ("rxrxr", q.text());

    Str same("/opt/bin/x/bin/");
    Str res("res");
    ASSERT_EQ(0, bstring_find_replace(same.b, bin.b, res.b, 0));
    EXPECT_EQ("/opt/res/x/res/", same.text());

    /* The start position skips earlier occurrences. */
    Str from("binbin");
    ASSERT_EQ(0, bstring_find_replace(from.b, bin.b, res.b, 1));
    EXPECT_EQ("binres", from.text());

    /* Beyond length - 3 nothing can match: unchanged, success. */
    Str late("abin");
    ASSERT_EQ(0, bstring_find_replace(late.b, bin.b, res.b, 2));
    EXPECT_EQ("abin", late.text());
    Str none("abc");
    ASSERT_EQ(0, bstring_find_replace(none.b, bin.b, res.b, 0));
    EXPECT_EQ("abc", none.text());
}

TEST(Bstring, FindReplaceGrowsPastLocalSlots)
{
    std::string src, want;
    for (int i = 0; i < 40; ++i) {
        src += "a-";
        want += "XY-";
    }
    Str s(src.c_str());
    Str a("a");
    Str xy("XY");
    ASSERT_EQ(0, bstring_find_replace(s.b, a.b, xy.b, 0));
    ASSERT_TRUE(Valid(s.b));
    EXPECT_EQ(want, s.text());

    /* A few occurrences, with bytes before the first and after the last. */
    Str few("[a.a.a]");
    Str longer("<bin>");
    ASSERT_EQ(0, bstring_find_replace(few.b, a.b, longer.b, 0));
    EXPECT_EQ("[<bin>.<bin>.<bin>]", few.text());
    ASSERT_TRUE(Valid(few.b));

    MemReset guard;
    Str fail(src.c_str());
    Mem_TestReset(1, 1); /* the position list can't move to the heap */
    EXPECT_EQ(-1, bstring_find_replace(fail.b, a.b, xy.b, 0));
    Mem_TestReset(0, 0);
    EXPECT_EQ(src, fail.text());
}

TEST(Bstring, FindReplaceArgumentsInsideTarget)
{
    /* find is the target's own first three bytes: it must not change
     * while the target is rewritten. */
    Str s("abcabc");
    tagbstring find = View(s.b->data, 3);
    Str xyz("xyz");
    ASSERT_EQ(0, bstring_find_replace(s.b, &find, xyz.b, 0));
    EXPECT_EQ("xyzxyz", s.text());

    /* repl lives in the target, which has to grow: its buffer moves. */
    Str g("a<=>a");
    tagbstring repl = View(g.b->data + 1, 3);
    Str a("a");
    ASSERT_EQ(0, bstring_find_replace(g.b, a.b, &repl, 0));
    ASSERT_TRUE(Valid(g.b));
    EXPECT_EQ("<=><=><=>", g.text());

    /* The target replacing itself by something longer. */
    Str self("ab");
    ASSERT_EQ(0, bstring_find_replace(self.b, self.b, xyz.b, 0));
    EXPECT_EQ("xyz", self.text());
}

TEST(Bstring, Refusals)
{
    EXPECT_EQ(-1, bstring_destroy(nullptr));
    EXPECT_EQ(nullptr, bstring_from_cstr(nullptr));
    EXPECT_EQ(nullptr, bstring_copy(nullptr));

    unsigned char text[] = "fixed";
    tagbstring fixed = View(text, 5);
    Str x("x");
    EXPECT_EQ(-1, bstring_destroy(&fixed));
    EXPECT_EQ(-1, bstring_append(&fixed, x.b));
    EXPECT_EQ(-1, bstring_append_cstr(&fixed, "x"));
    EXPECT_EQ(-1, bstring_append_block(&fixed, "x", 1));
    EXPECT_EQ(-1, bstring_reserve(&fixed, 100));
    EXPECT_EQ(-1, bstring_find_replace(&fixed, x.b, x.b, 0));
    EXPECT_EQ(std::string("fixed"), reinterpret_cast<char *>(text));
    EXPECT_EQ(5, fixed.length);
    EXPECT_EQ(text, fixed.data);

    /* A fixed string can still be read and copied. */
    Str copy(bstring_copy(&fixed));
    ASSERT_TRUE(Valid(copy.b));
    EXPECT_EQ("fixed", copy.text());

    tagbstring broken = {8, 9, text};
    EXPECT_EQ(-1, bstring_destroy(&broken));
    EXPECT_EQ(-1, bstring_append_cstr(&broken, "x"));
    tagbstring nodata = {8, 0, nullptr};
    EXPECT_EQ(-1, bstring_append(x.b, &nodata));
    EXPECT_EQ(-1, bstring_find_replace(x.b, &nodata, x.b, 0));

    EXPECT_EQ(-1, bstring_append(x.b, nullptr));
    EXPECT_EQ(-1, bstring_append_cstr(x.b, nullptr));
    EXPECT_EQ(-1, bstring_append_block(x.b, nullptr, 1));
    EXPECT_EQ(-1, bstring_append_block(x.b, "x", -1));
    Str empty("");
    EXPECT_EQ(-1, bstring_find_replace(x.b, empty.b, x.b, 0));
    EXPECT_EQ(-1, bstring_find_replace(x.b, x.b, x.b, -1));
    EXPECT_EQ("x", x.text());
}

#include <gtest/gtest.h>

#include <string>

#include "ashare/alloc.h"
#include "bstring/bstring.h"

namespace {

/* Owns a string for the scope of a test; its text is only read back when
 * the invariants hold (length below capacity, terminator at length). */
struct Str {
    bstring b;
    explicit Str(const char *s) : b(bstring_from_cstr(s)) {}
    explicit Str(bstring s) : b(s) {}
    ~Str() { bstring_destroy(b); }
    std::string text() const
    {
        if (!b || !b->data || b->length < 0 || b->length >= b->capacity || b->data[b->length])
            return "<invalid>";
        return std::string(reinterpret_cast<char *>(b->data), b->length);
    }
};

/* A view into someone else's bytes: capacity 0, so it must not change. */
tagbstring View(unsigned char *p, int len) { return tagbstring{0, len, p}; }

} // namespace

TEST(Bstring, CapacityRoundingAndCopy)
{
    const struct { const char *s; int cap; } rows[] = {
        {"", 8}, {"abcdef", 8}, {"abcdefg", 16}, {"0123456789abcde", 32}};
    for (const auto &r : rows) {
        Str s(r.s), c(bstring_copy(s.b));
        EXPECT_EQ(r.s, s.text());
        EXPECT_EQ(r.s, c.text());
        EXPECT_EQ(r.cap, s.b->capacity) << r.s;
        EXPECT_EQ(r.cap, c.b->capacity) << r.s;
        EXPECT_NE(s.b->data, c.b->data);
    }
}

TEST(Bstring, ArgumentsInsideTheTarget)
{
    /* Each grows the target while reading from its old buffer. */
    Str two("abcdefgh"), t("abcdefghijklmn"), self("abcde");
    ASSERT_EQ(0, bstring_append(two.b, two.b));
    tagbstring inner = View(t.b->data + 2, 3);
    ASSERT_EQ(0, bstring_append(t.b, &inner));
    ASSERT_EQ(0, bstring_append_cstr(self.b, reinterpret_cast<char *>(self.b->data)));
    EXPECT_EQ("abcdefghabcdefgh", two.text());
    EXPECT_EQ("abcdefghijklmncde", t.text());
    EXPECT_EQ("abcdeabcde", self.text());
    Str s("abcabc"), xyz("xyz"), g("a<=>a"), a("a"), ab("ab");
    tagbstring find = View(s.b->data, 3);
    ASSERT_EQ(0, bstring_find_replace(s.b, &find, xyz.b, 0));
    EXPECT_EQ("xyzxyz", s.text());
    tagbstring repl = View(g.b->data + 1, 3); /* the target grows: its buffer moves */
    ASSERT_EQ(0, bstring_find_replace(g.b, a.b, &repl, 0));
    EXPECT_EQ("<=><=><=>", g.text());
    ASSERT_EQ(0, bstring_find_replace(ab.b, ab.b, xyz.b, 0));
    EXPECT_EQ("xyz", ab.text());
}

TEST(Bstring, AllocationFailures)
{
    Str s("abcd"), seven("abcdefg");
    Mem_TestReset(1, 1); /* four bytes fit, then the fallback append fails */
    EXPECT_EQ(-1, bstring_append_cstr(s.b, "efghijkl"));
    EXPECT_EQ("abcd", s.text());

    Mem_TestReset(2, 0); /* a copy whose rounded buffer fails gets exactly length + 1 */
    Str exact(bstring_copy(seven.b));
    EXPECT_EQ("abcdefg", exact.text());
    EXPECT_EQ(8, exact.b->capacity);
    ASSERT_EQ(0, bstring_append_cstr(seven.b, "hijklmno")); /* 15 of 16: resized in place */
    Mem_TestReset(1, 0); /* the rounded size fails, exactly 20 doesn't */
    ASSERT_EQ(0, bstring_reserve(seven.b, 20));
    EXPECT_EQ(20, seven.b->capacity);
    EXPECT_EQ("abcdefghijklmno", seven.text());
    Mem_TestReset(0, 0);
}

TEST(Bstring, Find)
{
    Str s("abcabc"), z("");
    const struct { int pos; const char *t; int want; } rows[] = {
        {0, "bc", 1}, {2, "bc", 4}, {5, "bc", -1}, {0, "zz", -1}, {6, "", 6},
        {3, "", 3},   {6, "bc", -1}, {7, "", -1}, {-1, "bc", -1}};
    for (const auto &r : rows)
        EXPECT_EQ(r.want, bstring_find(s.b, r.pos, Str(r.t).b)) << r.pos << " " << r.t;
    ASSERT_EQ(0, bstring_append_block(z.b, "a\0bc", 4)); /* searched past the zero */
    EXPECT_EQ(2, bstring_find(z.b, 0, Str("bc").b));
}

TEST(Bstring, FindReplace)
{
    std::string forty, want40;
    for (int i = 0; i < 40; ++i)
        forty += "a-", want40 += "XY-";
    const struct { std::string s; const char *find, *repl; int pos; std::string want; } rows[] = {
        {"aaaaa", "aa", "", 0, "a"},
        {"x-bin-y-bin-z", "bin", "r", 0, "x-r-y-r-z"},
        {"/opt/bin/x/bin/", "bin", "res", 0, "/opt/res/x/res/"},
        {"binbin", "bin", "res", 1, "binres"},
        {"abin", "bin", "res", 2, "abin"}, /* beyond length - 3 */
        {"[a.a.a]", "a", "<bin>", 0, "[<bin>.<bin>.<bin>]"},
        {forty, "a", "XY", 0, want40}, /* outgrows the 32 local positions */
    };
    for (const auto &r : rows) {
        Str s(r.s.c_str()), f(r.find), p(r.repl);
        EXPECT_EQ(0, bstring_find_replace(s.b, f.b, p.b, r.pos)) << r.s;
        EXPECT_EQ(r.want, s.text());
    }
    Str fail(forty.c_str()), a("a"), xy("XY");
    Mem_TestReset(1, 1); /* the position list can't move to the heap */
    EXPECT_EQ(-1, bstring_find_replace(fail.b, a.b, xy.b, 0));
    Mem_TestReset(0, 0);
    EXPECT_EQ(forty, fail.text());

    /* The position list holds 31 occurrences and the closing entry on the
     * stack, then doubles: 63 fit in one heap list, 64 need a second. */
    const struct { int occurrences; long list_allocations; } growth[] = {{31, 0}, {32, 1}, {63, 1}, {64, 2}};
    for (const auto &g : growth) {
        Str many(std::string(g.occurrences, 'a').c_str());
        ASSERT_EQ(0, bstring_reserve(many.b, 2 * g.occurrences + 1)); /* the buffer itself need not grow */
        Mem_TestReset(0, 0);
        EXPECT_EQ(0, bstring_find_replace(many.b, a.b, xy.b, 0));
        EXPECT_EQ(g.list_allocations, Mem_TestCount()) << g.occurrences;
        EXPECT_EQ(2 * g.occurrences, many.b->length);
    }
}

TEST(Bstring, Refusals)
{
    EXPECT_EQ(-1, bstring_destroy(nullptr));
    EXPECT_EQ(nullptr, bstring_from_cstr(nullptr));
    unsigned char text[] = "fixed";
    tagbstring fixed = View(text, 5), broken = {8, 9, text};
    Str x("x"), empty("");
    EXPECT_EQ(-1, bstring_destroy(&fixed));
    EXPECT_EQ(-1, bstring_destroy(&broken));
    EXPECT_EQ(-1, bstring_append(&fixed, x.b));
    EXPECT_EQ(-1, bstring_append_cstr(&fixed, "x"));
    EXPECT_EQ(-1, bstring_find_replace(&fixed, x.b, x.b, 0));
    EXPECT_EQ(std::string("fixed"), reinterpret_cast<char *>(text));
    EXPECT_EQ(-1, bstring_find_replace(x.b, empty.b, x.b, 0));
}

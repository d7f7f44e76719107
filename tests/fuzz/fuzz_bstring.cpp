/* Drives random sequences of byte-string operations, aliasing included,
 * against a std::string model and checks contents and invariants after
 * every step. */
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bstring.h"

namespace {

constexpr int kSlots = 4;
constexpr size_t kMaxLen = 1 << 16; /* keeps a run's memory bounded */

struct Input {
    const uint8_t *p;
    size_t n;
    uint8_t byte() { return n ? (--n, *p++) : 0; }
    int small() { return byte() % 64; }
    std::string bytes(size_t max)
    {
        size_t len = byte() % (max + 1);
        if (len > n)
            len = n;
        std::string s(reinterpret_cast<const char *>(p), len);
        p += len;
        n -= len;
        return s;
    }
};

struct Slot {
    bstring b = nullptr;
    std::string model;
};

void fail(const char *what)
{
    (void)what;
    abort();
}

void check(const Slot &s)
{
    if (!s.b)
        return;
    const bstring b = s.b;
    if (!b->data || b->length < 0 || b->length >= b->capacity)
        fail("invariant");
    if (b->data[b->length] != 0)
        fail("terminator");
    if (static_cast<size_t>(b->length) != s.model.size() ||
        memcmp(b->data, s.model.data(), s.model.size()) != 0)
        fail("contents");
}

/* A read-only view into another string's storage, for aliasing. */
tagbstring view_of(const Slot &s, Input &in)
{
    tagbstring v{};
    const int len = s.b->length;
    const int off = len ? in.byte() % (len + 1) : 0;
    const int n = (len - off) ? in.byte() % (len - off + 1) : 0;
    v.capacity = 0;
    v.length = n;
    v.data = s.b->data + off;
    return v;
}

void replace_model(std::string &m, const std::string &find, const std::string &repl, size_t pos)
{
    if (find.empty() || pos + find.size() > m.size())
        return;
    std::string out = m.substr(0, pos);
    size_t at = pos;
    for (;;) {
        size_t hit = m.find(find, at);
        if (hit == std::string::npos)
            break;
        out.append(m, at, hit - at);
        out += repl;
        at = hit + find.size();
    }
    out.append(m, at, std::string::npos);
    m = out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in{data, size};
    Slot slots[kSlots];
    while (in.n) {
        const int op = in.byte() % 12;
        Slot &a = slots[in.byte() % kSlots];
        Slot &b = slots[in.byte() % kSlots];
        Slot &c = slots[in.byte() % kSlots];
        switch (op) {
        case 0: { /* from a zero-terminated string */
            std::string s = in.bytes(40);
            s = s.substr(0, strlen(s.c_str()));
            bstring_destroy(a.b);
            a.b = bstring_from_cstr(s.c_str());
            a.model = s;
            if (!a.b)
                fail("from_cstr");
            break;
        }
        case 1: /* copy */
            if (b.b && &a != &b) {
                bstring_destroy(a.b);
                a.b = bstring_copy(b.b);
                a.model = b.model;
            }
            break;
        case 2: /* append, possibly to itself */
            if (a.b && b.b && a.model.size() + b.model.size() < kMaxLen) {
                const std::string add = b.model;
                if (bstring_append(a.b, b.b) != 0)
                    fail("append");
                a.model += add;
            }
            break;
        case 3: { /* append a zero-terminated string */
            std::string s = in.bytes(40);
            s = s.substr(0, strlen(s.c_str()));
            if (a.b) {
                if (bstring_append_cstr(a.b, s.c_str()) != 0)
                    fail("append_cstr");
                a.model += s;
            }
            break;
        }
        case 4: { /* append bytes that live inside the target */
            if (a.b && a.model.size() < kMaxLen / 2) {
                tagbstring v = view_of(a, in);
                const std::string add(reinterpret_cast<char *>(v.data), static_cast<size_t>(v.length));
                if (bstring_append_block(a.b, v.data, v.length) != 0)
                    fail("append_block alias");
                a.model += add;
            }
            break;
        }
        case 5: { /* append a plain block */
            std::string s = in.bytes(40);
            if (a.b) {
                if (bstring_append_block(a.b, s.data(), static_cast<int>(s.size())) != 0)
                    fail("append_block");
                a.model += s;
            }
            break;
        }
        case 6: /* find */
            if (a.b && b.b) {
                const int pos = in.small() - 2;
                const int got = bstring_find(a.b, pos, b.b);
                int want = -1;
                if (pos >= 0 && static_cast<size_t>(pos) <= a.model.size()) {
                    size_t hit = a.model.find(b.model, static_cast<size_t>(pos));
                    want = hit == std::string::npos ? -1 : static_cast<int>(hit);
                }
                if (got != want)
                    fail("find");
            }
            break;
        case 7: /* find and replace with separate strings */
        case 8: /* ... with find and replacement living inside the target */
            if (a.b && b.b && c.b) {
                tagbstring fv, rv;
                bstring f = b.b, r = c.b;
                if (op == 8) {
                    fv = view_of(a, in);
                    rv = view_of(a, in);
                    f = &fv;
                    r = &rv;
                }
                const std::string fs(reinterpret_cast<char *>(f->data), static_cast<size_t>(f->length));
                const std::string rs(reinterpret_cast<char *>(r->data), static_cast<size_t>(r->length));
                const int pos = in.small();
                if (a.model.size() * (rs.size() + 1) > kMaxLen)
                    break;
                const int st = bstring_find_replace(a.b, f, r, pos);
                if (fs.empty()) {
                    if (st != -1)
                        fail("empty find accepted");
                } else {
                    if (st != 0)
                        fail("find_replace");
                    replace_model(a.model, fs, rs, static_cast<size_t>(pos));
                }
            }
            break;
        case 9: /* reserve */
            if (a.b) {
                const int n = in.small() * in.small();
                const int st = bstring_reserve(a.b, n);
                if ((n <= 0) != (st == -1))
                    fail("reserve");
                if (n > 0 && a.b->capacity < n)
                    fail("reserve too small");
            }
            break;
        case 10: /* destroy */
            if (bstring_destroy(a.b) != (a.b ? 0 : -1))
                fail("destroy");
            a.b = nullptr;
            a.model.clear();
            break;
        default: /* a copy must be independent of its source */
            if (a.b && &a != &b) {
                bstring_destroy(b.b);
                b.b = bstring_copy(a.b);
                b.model = a.model;
                if (bstring_append_cstr(a.b, "x") != 0)
                    fail("append after copy");
                a.model += "x";
            }
            break;
        }
        for (const Slot &s : slots)
            check(s);
    }
    for (Slot &s : slots)
        bstring_destroy(s.b);
    return 0;
}

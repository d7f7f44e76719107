/* Drives random sequences of byte-string operations, aliasing included,
 * against a std::string model and checks contents and invariants after
 * every step. */
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bstring/bstring.h"

/* abort() so libFuzzer records the input that broke a rule. */
#define REQUIRE(cond) ((cond) ? (void)0 : abort())

namespace {

constexpr int kSlots = 4;
constexpr size_t kMaxLen = 1 << 16; /* keeps a run's memory bounded */

struct Input {
    const uint8_t *p;
    size_t n;
    uint8_t byte() { return n ? (--n, *p++) : 0; }
    int small() { return byte() % 64; }
    /* Up to max bytes of the input; cut at the first zero for a C string. */
    std::string bytes(size_t max, bool cstr)
    {
        const size_t want = byte() % (max + 1), len = want < n ? want : n;
        std::string s(reinterpret_cast<const char *>(p), len);
        p += len;
        n -= len;
        return cstr ? s.substr(0, strlen(s.c_str())) : s;
    }
};

struct Slot { bstring b = nullptr; std::string model; };

void check(const Slot &s)
{
    const bstring b = s.b;
    REQUIRE(!b || (b->data && b->length >= 0 && b->length < b->capacity && b->data[b->length] == 0 &&
                   static_cast<size_t>(b->length) == s.model.size() &&
                   memcmp(b->data, s.model.data(), s.model.size()) == 0));
}

/* A read-only view into a string's own storage, for aliasing. */
tagbstring view_of(const Slot &s, Input &in)
{
    const int len = s.b->length;
    const int off = len ? in.byte() % (len + 1) : 0;
    const int n = (len - off) ? in.byte() % (len - off + 1) : 0;
    return tagbstring{0, n, s.b->data + off};
}

std::string as_string(const tagbstring *b)
{
    return {reinterpret_cast<const char *>(b->data), static_cast<size_t>(b->length)};
}

/* Left to right, non-overlapping, from pos; nothing when find can't fit. */
void replace_model(std::string &m, const std::string &find, const std::string &repl, size_t pos)
{
    if (pos + find.size() > m.size())
        return;
    std::string out = m.substr(0, pos);
    size_t at = pos;
    for (size_t hit; (hit = m.find(find, at)) != std::string::npos; at = hit + find.size())
        out.append(m, at, hit - at) += repl;
    m = out.append(m, at, std::string::npos);
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
            const std::string s = in.bytes(40, true);
            bstring_destroy(a.b);
            a.b = bstring_from_cstr(s.c_str());
            a.model = s;
            REQUIRE(a.b);
            break;
        }
        case 1:  /* copy b into a */
        case 11: { /* copy a into b, then change a: the two must not share a buffer */
            Slot &src = op == 1 ? b : a, &dst = op == 1 ? a : b;
            if (src.b && &a != &b) {
                bstring_destroy(dst.b);
                dst.b = bstring_copy(src.b);
                dst.model = src.model;
                REQUIRE(op == 1 || bstring_append_cstr(src.b, "x") == 0);
                src.model += op == 1 ? "" : "x";
            }
            break;
        }
        case 2: /* append, possibly to itself */
            if (a.b && b.b && a.model.size() + b.model.size() < kMaxLen) {
                REQUIRE(bstring_append(a.b, b.b) == 0);
                a.model += b.model;
            }
            break;
        case 3: /* append a zero-terminated string, or (5) a plain block */
        case 5: {
            const std::string s = in.bytes(40, op == 3);
            if (a.b) {
                REQUIRE((op == 3 ? bstring_append_cstr(a.b, s.c_str())
                                 : bstring_append_block(a.b, s.data(), static_cast<int>(s.size()))) == 0);
                a.model += s;
            }
            break;
        }
        case 4: /* append bytes that live inside the target */
            if (a.b && a.model.size() < kMaxLen / 2) {
                tagbstring v = view_of(a, in);
                const std::string add = as_string(&v);
                REQUIRE(bstring_append_block(a.b, v.data, v.length) == 0);
                a.model += add;
            }
            break;
        case 6: /* find */
            if (a.b && b.b) {
                const int pos = in.small() - 2;
                const size_t hit = pos >= 0 && static_cast<size_t>(pos) <= a.model.size()
                                       ? a.model.find(b.model, static_cast<size_t>(pos)) : std::string::npos;
                REQUIRE(bstring_find(a.b, pos, b.b) == (hit == std::string::npos ? -1 : static_cast<int>(hit)));
            }
            break;
        case 7: /* find and replace with separate strings */
        case 8: /* ... with find and replacement living inside the target */
            if (a.b && b.b && c.b) {
                tagbstring fv = op == 8 ? view_of(a, in) : tagbstring{}, rv = op == 8 ? view_of(a, in) : tagbstring{};
                const bstring f = op == 8 ? &fv : b.b, r = op == 8 ? &rv : c.b;
                const std::string fs = as_string(f), rs = as_string(r);
                const int pos = in.small();
                if (a.model.size() * (rs.size() + 1) > kMaxLen)
                    break;
                REQUIRE(bstring_find_replace(a.b, f, r, pos) == (fs.empty() ? -1 : 0));
                if (!fs.empty())
                    replace_model(a.model, fs, rs, static_cast<size_t>(pos));
            }
            break;
        case 9: /* reserve */
            if (a.b) {
                const int n = in.small() * in.small();
                REQUIRE((bstring_reserve(a.b, n) == -1) == (n <= 0));
                REQUIRE(n <= 0 || a.b->capacity >= n);
            }
            break;
        default: /* destroy */
            REQUIRE(bstring_destroy(a.b) == (a.b ? 0 : -1));
            a.b = nullptr;
            a.model.clear();
            break;
        }
        for (const Slot &s : slots)
            check(s);
    }
    for (Slot &s : slots)
        bstring_destroy(s.b);
    return 0;
}

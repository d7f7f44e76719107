/* Drives random sequences of byte-string operations, aliasing included,
 * against a std::string model and checks contents and invariants after
 * every step. */
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bstring/bstring.h"

/* abort() so libFuzzer records the input that broke a rule. */
#define REQUIRE(cond) ((cond) ? (void)0 : abort())

namespace {

constexpr size_t kMaxLen = 1 << 16; /* keeps a run's memory bounded */

struct Slot { bstring b = nullptr; std::string model; };

struct Input {
    const uint8_t *p;
    size_t n;
    uint8_t byte() { return n ? (--n, *p++) : 0; }
    /* Operand bytes: up to 40 of the input, kept in own and cut at the first
     * zero for a C string; or else, on an odd byte, a view of part of the
     * target's own storage. */
    tagbstring piece(const Slot &target, std::string &own, bool cstr)
    {
        if (!cstr && byte() % 2) {
            const int off = byte() % (target.b->length + 1);
            return {0, byte() % (target.b->length - off + 1), target.b->data + off};
        }
        const size_t len = std::min<size_t>(byte() % 41, n);
        own.assign(reinterpret_cast<const char *>(p), len);
        p += len;
        n -= len;
        own.resize(cstr ? strlen(own.c_str()) : len);
        return {0, static_cast<int>(own.size()), reinterpret_cast<unsigned char *>(own.data())};
    }
};

std::string text(const tagbstring &v) { return std::string(reinterpret_cast<char *>(v.data), v.length); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in{data, size};
    Slot slots[4];
    while (in.n) {
        const int op = in.byte() % 9;
        Slot &a = slots[in.byte() % 4], &b = slots[in.byte() % 4];
        std::string own, own2;
        if (op == 0) { /* from a zero-terminated string */
            in.piece(a, own, true);
            bstring_destroy(a.b);
            a.b = bstring_from_cstr(own.c_str());
            a.model = own;
            REQUIRE(a.b);
        } else if (op == 1 && b.b && &a != &b) { /* copy b into a, then change b: no shared buffer */
            bstring_destroy(a.b);
            a.b = bstring_copy(b.b);
            a.model = b.model;
            REQUIRE(bstring_append_cstr(b.b, "x") == 0);
            b.model += "x";
        } else if (!a.b || a.model.size() > kMaxLen) {
            /* no target, or long enough */
        } else if (op == 2 && b.b) { /* append, possibly to itself */
            REQUIRE(bstring_append(a.b, b.b) == 0);
            a.model += b.model;
        } else if (op == 3 || op == 4) { /* a zero-terminated string, or a block possibly from inside the target */
            const tagbstring v = in.piece(a, own, op == 3);
            const std::string add = text(v);
            const int result = op == 3 ? bstring_append_cstr(a.b, own.c_str())
                                       : bstring_append_block(a.b, v.data, v.length);
            REQUIRE(result == 0);
            a.model += add;
        } else if (op == 5) { /* find from any position, possibly the target itself */
            tagbstring v = in.piece(a, own, false);
            const int pos = in.byte() % 64 - 2;
            const size_t hit = pos < 0 ? std::string::npos : a.model.find(text(v), static_cast<size_t>(pos));
            REQUIRE(bstring_find(a.b, pos, &v) == (hit == std::string::npos ? -1 : static_cast<int>(hit)));
        } else if (op == 6) { /* find and replace, with find and replacement separate or inside the target */
            tagbstring f = in.piece(a, own, false), r = in.piece(a, own2, false);
            const std::string fs = text(f), rs = text(r);
            const size_t pos = in.byte() % 64;
            if (a.model.size() * (rs.size() + 1) > kMaxLen)
                continue;
            REQUIRE(bstring_find_replace(a.b, &f, &r, static_cast<int>(pos)) == (fs.empty() ? -1 : 0));
            /* Left to right, without overlap, from pos. */
            for (size_t at = pos; !fs.empty() && (at = a.model.find(fs, at)) != std::string::npos; at += rs.size())
                a.model.replace(at, fs.size(), rs);
        } else if (op == 7) { /* reserve */
            const int n = in.byte() % 64 * (in.byte() % 64);
            REQUIRE((bstring_reserve(a.b, n) == -1) == (n <= 0));
            REQUIRE(n <= 0 || a.b->capacity >= n);
        } else if (op == 8) { /* destroy */
            REQUIRE(bstring_destroy(a.b) == 0);
            a.b = nullptr;
            a.model.clear();
        }
        for (const Slot &s : slots)
            REQUIRE(!s.b || (s.b->data && s.b->length >= 0 && s.b->length < s.b->capacity &&
                             s.b->data[s.b->length] == 0 && static_cast<size_t>(s.b->length) == s.model.size() &&
                             memcmp(s.b->data, s.model.data(), s.model.size()) == 0));
    }
    for (Slot &s : slots)
        REQUIRE(bstring_destroy(s.b) == (s.b ? 0 : -1));
    return 0;
}

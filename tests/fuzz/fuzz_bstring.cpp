/* Drives random sequences of byte-string operations, aliasing included,
 * against a std::string model and checks contents and invariants after
 * every step. */
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bstring.h"

/* abort() so libFuzzer records the input that broke a rule. */
#define REQUIRE(cond) ((cond) ? (void)0 : abort())

namespace {

constexpr int kSlots = 4;
constexpr size_t kMaxLen = 1 << 16; /* keeps a run's memory bounded */

struct Slot { bstring b = nullptr; std::string model; };

struct Input {
    const uint8_t *p;
    size_t n;
    uint8_t byte() { return n ? (--n, *p++) : 0; }
    /* Up to 40 bytes of the input, cut at the first zero for a C string. */
    std::string bytes(bool cstr)
    {
        const size_t len = std::min<size_t>(byte() % 41, n);
        std::string s(reinterpret_cast<const char *>(p), len);
        p += len;
        n -= len;
        return cstr ? s.substr(0, strlen(s.c_str())) : s;
    }
    /* Operand bytes: from the input into own, or a view of part of the
     * target's own storage. The model's copy comes back in text. */
    tagbstring piece(const Slot &target, std::string &own, std::string &text)
    {
        tagbstring v{0, 0, nullptr};
        if (byte() % 2) {
            own = bytes(false);
            v = {0, static_cast<int>(own.size()), reinterpret_cast<unsigned char *>(own.data())};
        } else {
            const int len = target.b->length, off = byte() % (len + 1);
            v = {0, byte() % (len - off + 1), target.b->data + off};
        }
        text.assign(reinterpret_cast<const char *>(v.data), static_cast<size_t>(v.length));
        return v;
    }
};

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
        const int op = in.byte() % 9;
        Slot &a = slots[in.byte() % kSlots], &b = slots[in.byte() % kSlots];
        std::string own1, own2, fs, rs;
        if (op == 0) { /* from a zero-terminated string */
            const std::string s = in.bytes(true);
            bstring_destroy(a.b);
            a.b = bstring_from_cstr(s.c_str());
            a.model = s;
            REQUIRE(a.b);
        } else if (op == 1 && b.b && &a != &b) { /* copy b into a; when asked, change b: no shared buffer */
            bstring_destroy(a.b);
            a.b = bstring_copy(b.b);
            a.model = b.model;
            if (in.byte() % 2) {
                REQUIRE(bstring_append_cstr(b.b, "x") == 0);
                b.model += "x";
            }
        } else if (!a.b || a.model.size() > kMaxLen) {
            continue;
        } else if (op == 2 && b.b) { /* append, possibly to itself */
            REQUIRE(bstring_append(a.b, b.b) == 0);
            a.model += b.model;
        } else if (op == 3) { /* a zero-terminated string */
            const std::string s = in.bytes(true);
            REQUIRE(bstring_append_cstr(a.b, s.c_str()) == 0);
            a.model += s;
        } else if (op == 4) { /* a block, possibly from inside the target */
            const tagbstring v = in.piece(a, own1, fs);
            REQUIRE(bstring_append_block(a.b, v.data, v.length) == 0);
            a.model += fs;
        } else if (op == 5) { /* find, from any position, possibly the target itself */
            tagbstring v = in.piece(a, own1, fs);
            const int pos = in.byte() % 64 - 2;
            const bool fits = pos >= 0 && static_cast<size_t>(pos) <= a.model.size();
            const size_t hit = fits ? a.model.find(fs, static_cast<size_t>(pos)) : std::string::npos;
            REQUIRE(bstring_find(a.b, pos, &v) == (hit == std::string::npos ? -1 : static_cast<int>(hit)));
        } else if (op == 6) { /* find and replace; find and replacement separate or inside the target */
            tagbstring f = in.piece(a, own1, fs), r = in.piece(a, own2, rs);
            const int pos = in.byte() % 64;
            if (a.model.size() * (rs.size() + 1) > kMaxLen)
                continue;
            REQUIRE(bstring_find_replace(a.b, &f, &r, pos) == (fs.empty() ? -1 : 0));
            if (!fs.empty())
                replace_model(a.model, fs, rs, static_cast<size_t>(pos));
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

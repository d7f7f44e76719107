/* Random sequences of byte-string operations, aliasing and failing
 * allocations included, checked after every step against a std::string
 * model: contents, invariants, the capacity the growth rule gives, and that
 * a failed call changed nothing. The fuzzer and a seeded unit test feed it. */
#ifndef FINMAW_BSTRING_MODEL_H
#define FINMAW_BSTRING_MODEL_H

#include <cstdint>
#include <cstring>
#include <string>

#include "ashare/alloc.h"
#include "bstring/bstring.h"

namespace fmtest {

/* A request of n bytes gets 8, or the next power of two above n. */
inline int64_t RoundedCapacity(int64_t n)
{
    int64_t p = 16;
    while (n >= 8 && p <= n)
        p <<= 1;
    return n < 8 ? 8 : p;
}

class BstringModel {
public:
    BstringModel(const uint8_t *data, size_t size) : p_(data), n_(size) {}
    BstringModel(const BstringModel &) = delete;
    ~BstringModel()
    {
        Mem_TestReset(0, 0);
        for (Slot &s : slots_)
            bstring_destroy(s.b);
    }

    /* Runs the whole input; "" when every step held, else what broke. */
    std::string Run()
    {
        const long live = Mem_TestLive();
        for (int step = 0; n_ && error_.empty(); ++step)
            Step(step);
        Mem_TestReset(0, 0);
        for (Slot &s : slots_)
            Check(bstring_destroy(s.b) == (s.b ? 0 : -1), "destroy");
        slots_[0].b = slots_[1].b = slots_[2].b = nullptr;
        Check(Mem_TestLive() == live, "blocks left behind");
        return error_;
    }

private:
    struct Slot {
        bstring b = nullptr;
        std::string text;
        int64_t cap = 0;
    };
    static constexpr size_t kMaxLen = 1 << 12; /* keeps a run's memory and time bounded */

    uint8_t Byte() { return n_ ? (--n_, *p_++) : 0; }
    /* Mostly a and b, so that searches hit; now and then any byte. */
    std::string Text(size_t max, bool cstr)
    {
        std::string s;
        for (size_t len = Byte() % (max + 1); s.size() < len && n_;) {
            const uint8_t c = Byte();
            s += c < 0xC0 ? "ab"[c & 1] : static_cast<char>(c - 0xC0);
        }
        return cstr ? s.substr(0, strlen(s.c_str())) : s;
    }
    void Check(bool ok, const std::string &what)
    {
        if (!ok && error_.empty())
            error_ = what;
    }
    void CheckSlot(const Slot &s, const std::string &what, bool exact_cap)
    {
        const bstring b = s.b;
        Check(!b || (b->data && b->length >= 0 && b->length < b->capacity && b->data[b->length] == 0 &&
                     s.text == std::string(reinterpret_cast<char *>(b->data), static_cast<size_t>(b->length)) &&
                     (!exact_cap || b->capacity == s.cap)),
              what + ": got \"" + (b && b->data ? std::string(reinterpret_cast<char *>(b->data)) : "") + "\" cap " +
                  std::to_string(b ? b->capacity : 0) + ", want \"" + s.text + "\" cap " + std::to_string(s.cap));
    }
    /* After a call that grows when cap <= len + spare: the new capacity. */
    static int64_t Grown(const Slot &s, int64_t spare) { return s.cap <= static_cast<int64_t>(s.text.size()) + spare ? RoundedCapacity(static_cast<int64_t>(s.text.size()) + 1) : s.cap; }
    /* A read-only view of part of a string's own bytes. */
    tagbstring ViewOf(const Slot &s)
    {
        const int len = s.b->length, off = Byte() % (len + 1), n = Byte() % (len - off + 1);
        return tagbstring{0, n, s.b->data + off};
    }
    static std::string Bytes(const tagbstring &v) { return {reinterpret_cast<char *>(v.data), static_cast<size_t>(v.length)}; }
    /* Left to right, without overlap, from pos. */
    static std::string Replaced(const std::string &m, const std::string &find, const std::string &repl, size_t pos)
    {
        std::string out = m.substr(0, pos);
        size_t at = pos;
        for (size_t hit; (hit = m.find(find, at)) != std::string::npos; at = hit + find.size())
            out.append(m, at, hit - at) += repl;
        return out.append(m, at, std::string::npos);
    }

    void Step(int step)
    {
        const uint8_t op = Byte() % 10, fault = Byte();
        Slot &a = slots_[Byte() % 3], &b = slots_[Byte() % 3];
        /* One call in eight has its first, second or every allocation fail. */
        faulty_ = fault < 32;
        Mem_TestReset(faulty_ ? 1 + fault % 3 : 0, fault & 4);
        const Slot before = a;
        int rc = 0, want = 0;
        Slot next = a;
        switch (op) {
        case 0: { /* from a zero-terminated string */
            const std::string s = Text(40, true);
            bstring made = bstring_from_cstr(s.c_str());
            Check(made || faulty_, "from_cstr failed");
            if (made)
                bstring_destroy(a.b), a = Slot{made, s, RoundedCapacity(static_cast<int64_t>(s.size()) + 1)};
            break;
        }
        case 1: /* a copy of b */
            if (b.b) {
                bstring made = bstring_copy(b.b);
                Check(made || faulty_, "copy failed");
                if (made && &a != &b)
                    bstring_destroy(a.b), a = Slot{made, b.text, RoundedCapacity(static_cast<int64_t>(b.text.size()) + 1)};
                else
                    bstring_destroy(made);
            }
            break;
        case 2: /* append b, which may be a itself */
            if (a.b && b.b && a.text.size() + b.text.size() < kMaxLen) {
                rc = bstring_append(a.b, b.b);
                next.text += b.text;
                next.cap = Grown(next, 1);
            }
            break;
        case 3: /* a zero-terminated string, from outside or from a's own bytes */
        case 4: /* plain bytes, likewise */
            if (a.b && a.text.size() < kMaxLen) {
                const bool inner = Byte() & 1;
                tagbstring v = inner ? ViewOf(a) : tagbstring{};
                const std::string s = inner ? Bytes(v) : Text(40, op == 3);
                const char *p = inner ? reinterpret_cast<const char *>(v.data) : s.c_str();
                next.text += op == 3 ? std::string(p) : s; /* before the call, which may move a's bytes */
                rc = op == 3 ? bstring_append_cstr(a.b, p) : bstring_append_block(a.b, p, static_cast<int>(s.size()));
                next.cap = Grown(next, 0);
            }
            break;
        case 5: /* find b, or a piece of a itself, from a position: the ends and beyond included */
            if (a.b && b.b) {
                const int pos = Byte() % 48 - 2;
                tagbstring own = ViewOf(a);
                const tagbstring *t = Byte() & 1 ? &own : b.b;
                const size_t hit = pos < 0 ? std::string::npos : a.text.find(Bytes(*t), static_cast<size_t>(pos));
                Check(bstring_find(a.b, pos, const_cast<tagbstring *>(t)) == (hit == std::string::npos ? -1 : static_cast<int>(hit)),
                      "find at " + std::to_string(pos));
            }
            break;
        case 6: /* replace b by a piece of text, or by a's own bytes */
        case 7: /* replace a's own bytes by b */
            if (a.b && b.b) {
                const std::string t = Text(3, false);
                tagbstring own = ViewOf(a), given{0, static_cast<int32_t>(t.size()), reinterpret_cast<unsigned char *>(const_cast<char *>(t.data()))};
                const tagbstring *find = op == 6 ? b.b : &own, *repl = op == 6 ? (Byte() & 1 ? &own : &given) : b.b;
                const std::string f = Bytes(*find), r = Bytes(*repl);
                const int pos = Byte() % 8;
                if (a.text.size() * (r.size() + 1) >= kMaxLen)
                    break;
                rc = bstring_find_replace(a.b, const_cast<tagbstring *>(find), const_cast<tagbstring *>(repl), pos);
                want = f.empty() ? -1 : 0;
                if (want == 0 && static_cast<size_t>(pos) + f.size() <= a.text.size()) {
                    next.text = Replaced(a.text, f, r, static_cast<size_t>(pos));
                    next.cap = next.text.size() > a.text.size() ? Grown(next, 1) : a.cap;
                }
            }
            break;
        case 8: /* reserve: nothing below the capacity, the rounding of n from it on */
            if (a.b) {
                const int n = Byte() * (Byte() % 4) - 8;
                rc = bstring_reserve(a.b, n);
                want = n <= 0 ? -1 : 0;
                next.cap = n <= 0 || n < a.cap ? a.cap : RoundedCapacity(n);
            }
            break;
        default:
            Check(bstring_destroy(a.b) == (a.b ? 0 : -1), "destroy");
            a = Slot{};
            break;
        }
        Mem_TestReset(0, 0);
        const std::string what = "step " + std::to_string(step) + ", op " + std::to_string(op);
        if (op >= 2 && op <= 8 && op != 5 && a.b && (b.b || op >= 3)) {
            Check(rc == want || (faulty_ && rc == -1), what + ": status " + std::to_string(rc));
            if (rc == 0 && want == 0)
                a = next;
            else
                CheckSlot(before, what + " (failed, so unchanged)", true);
        }
        for (Slot &s : slots_) {
            CheckSlot(s, what, !faulty_);
            /* A fallback may have given an exact size instead of the rounded one. */
            s.cap = s.b ? s.b->capacity : 0;
        }
    }

    const uint8_t *p_;
    size_t n_;
    Slot slots_[3];
    bool faulty_ = false;
    std::string error_;
};

} // namespace fmtest

#endif

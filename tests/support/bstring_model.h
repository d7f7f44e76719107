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
inline int RoundedCapacity(int n) {
    int p = 8;
    while (p <= n) p <<= 1;
    return p;
}

inline std::string Bytes(const tagbstring *b) {
    return {reinterpret_cast<const char *>(b->data), static_cast<size_t>(b->length)};
}

class BstringModel {
public:
    BstringModel(const uint8_t *data, size_t size) : p_(data), n_(size) {}
    BstringModel(const BstringModel &) = delete;

    /* Runs the whole input; "" when every step held, else what broke. */
    std::string Run() {
        const long live = Mem_TestLive();
        for (int step = 0; n_ && error_.empty(); ++step) Step("step " + std::to_string(step));
        Mem_TestReset(0, 0);
        for (Slot &s : slots_) Check(bstring_destroy(s.b) == (s.b ? 0 : -1), "destroy");
        Check(Mem_TestLive() == live, "blocks left behind");
        return error_;
    }

private:
    struct Slot {
        bstring b = nullptr;
        std::string text;
        int cap = 0;
    };
    static constexpr int kMaxLen = 1 << 12; /* keeps a run's memory and time bounded */

    uint8_t Byte() { return n_ ? (--n_, *p_++) : 0; }
    /* Mostly a and b, so that searches hit; now and then any byte. */
    std::string Text(int max, bool cstr) {
        std::string s;
        for (int len = Byte() % (max + 1); static_cast<int>(s.size()) < len && n_;) {
            const uint8_t c = Byte();
            s += c < 0xC0 ? "ab"[c & 1] : static_cast<char>(c - 0xC0);
        }
        return cstr ? s.substr(0, strlen(s.c_str())) : s;
    }
    /* A read-only view of part of a string's own bytes. */
    tagbstring ViewOf(const Slot &s) {
        const int off = Byte() % (s.b->length + 1), n = Byte() % (s.b->length - off + 1);
        return tagbstring{0, n, s.b->data + off};
    }
    void Check(bool ok, const std::string &what) {
        if (!ok && error_.empty()) error_ = what;
    }
    void CheckSlot(const Slot &s, const std::string &what, bool exact_cap) {
        const bstring b = s.b;
        Check(!b || (b->data && b->length >= 0 && b->length < b->capacity && b->data[b->length] == 0 &&
                        Bytes(b) == s.text && (!exact_cap || b->capacity == s.cap)),
            what + ": got \"" + (b && b->data ? Bytes(b) : "") + "\" cap " + std::to_string(b ? b->capacity : 0) +
                ", want \"" + s.text + "\" cap " + std::to_string(s.cap));
    }
    /* The capacity after a call that grows when cap <= length + spare. */
    static int Grown(const Slot &s, int spare) {
        const int len = static_cast<int>(s.text.size());
        return s.cap <= len + spare ? RoundedCapacity(len + 1) : s.cap;
    }
    /* Left to right, without overlap, from pos. */
    static std::string Replaced(const std::string &m, const std::string &find, const std::string &repl, size_t pos) {
        std::string out = m.substr(0, pos);
        size_t at = pos;
        for (size_t hit; (hit = m.find(find, at)) != std::string::npos; at = hit + find.size())
            out.append(m, at, hit - at) += repl;
        return out.append(m, at, std::string::npos);
    }
    /* Replaces slot a with a newly made string (or drops one made for nothing). */
    void Made(Slot &a, bstring made, const std::string &text, bool keep) {
        Check(made || faulty_, "no string made");
        if (!made || !keep) return (void)bstring_destroy(made);
        bstring_destroy(a.b);
        a = Slot{made, text, RoundedCapacity(static_cast<int>(text.size()) + 1)};
    }

    void Step(const std::string &what) {
        const uint8_t op = Byte() % 10, fault = Byte();
        Slot &a = slots_[Byte() % 3], &b = slots_[Byte() % 3];
        /* One call in eight has its first, second or every allocation fail. */
        faulty_ = fault < 32;
        Mem_TestReset(faulty_ ? 1 + fault % 3 : 0, fault & 4);
        const Slot before = a;
        Slot next = a;
        int rc = 0, want = 0;
        const bool both = a.b && b.b;
        if (op == 0) {
            const std::string s = Text(40, true);
            Made(a, bstring_from_cstr(s.c_str()), s, true);
        } else if (op == 1 && b.b) {
            Made(a, bstring_copy(b.b), b.text, &a != &b);
        } else if (op == 2 && both && a.text.size() + b.text.size() < kMaxLen) { /* b may be a itself */
            rc = bstring_append(a.b, b.b);
            next.text += b.text;
            next.cap = Grown(next, 1);
        } else if ((op == 3 || op == 4) && a.b && a.text.size() < kMaxLen) { /* text, or a's own bytes */
            const bool inner = Byte() & 1;
            tagbstring v = inner ? ViewOf(a) : tagbstring{};
            const std::string s = inner ? Bytes(&v) : Text(40, op == 3);
            const char *p = inner ? reinterpret_cast<const char *>(v.data) : s.c_str();
            next.text += op == 3 ? std::string(p) : s; /* before the call, which may move a's bytes */
            rc = op == 3 ? bstring_append_cstr(a.b, p) : bstring_append_block(a.b, p, static_cast<int>(s.size()));
            next.cap = Grown(next, 0);
        } else if (op == 5 && both) { /* b or a piece of a, from anywhere, the ends and beyond included */
            const int pos = Byte() % 48 - 2;
            tagbstring own = ViewOf(a);
            const tagbstring *t = Byte() & 1 ? &own : b.b;
            const size_t hit = pos < 0 ? std::string::npos : a.text.find(Bytes(t), static_cast<size_t>(pos));
            Check(bstring_find(a.b, pos, const_cast<tagbstring *>(t)) ==
                      (hit == std::string::npos ? -1 : static_cast<int>(hit)),
                what + ": find at " + std::to_string(pos));
        } else if ((op == 6 || op == 7) && both) { /* b by text or by a's bytes; a's bytes by b */
            const std::string t = Text(3, false);
            tagbstring own = ViewOf(a), given{0, static_cast<int>(t.size()), (unsigned char *)t.data()};
            tagbstring *find = op == 6 ? b.b : &own, *repl = op == 7 ? b.b : Byte() & 1 ? &own : &given;
            const std::string f = Bytes(find), r = Bytes(repl);
            const int pos = Byte() % 8;
            if (a.text.size() * (r.size() + 1) < kMaxLen) {
                rc = bstring_find_replace(a.b, find, repl, pos);
                want = f.empty() ? -1 : 0;
                if (want == 0 && pos + f.size() <= a.text.size()) next.text = Replaced(a.text, f, r, pos);
                next.cap = next.text.size() > a.text.size() ? Grown(next, 1) : a.cap;
            }
        } else if (op == 8 && a.b) { /* nothing below the capacity, the rounding of n from it on */
            const int n = Byte() * (Byte() % 4) - 8;
            rc = bstring_reserve(a.b, n);
            want = n <= 0 ? -1 : 0;
            next.cap = n <= 0 || n < a.cap ? a.cap : RoundedCapacity(n);
        } else if (op == 9) {
            Check(bstring_destroy(a.b) == (a.b ? 0 : -1), what + ": destroy");
            a = Slot{};
        }
        Mem_TestReset(0, 0);
        Check(rc == want || (faulty_ && rc == -1), what + ": status " + std::to_string(rc));
        if (rc == 0 && want == 0)
            a = op >= 2 && op <= 8 ? next : a;
        else
            CheckSlot(before, what + " (failed, so unchanged)", true);
        for (Slot &s : slots_) {
            CheckSlot(s, what, !faulty_);
            s.cap = s.b ? s.b->capacity : 0; /* a fallback may have given an exact size */
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

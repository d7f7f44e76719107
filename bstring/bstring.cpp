/* Counted byte strings. Nothing here logs: every failure is reported only
 * through the result, and a refused or failed call leaves its strings as
 * they were. Sizes are worked out in 64 bits so that no int32 can wrap. */
#include "bstring/bstring.h"

#include <cstdint>
#include <cstring>

#include "ashare/alloc.h"

namespace {

constexpr int64_t kMaxCap = INT32_MAX;
constexpr int kLocalSlots = 32;

/* Buffer size for a request of n bytes: at least 8, else the next power of
 * two above n; n itself when that power would not fit an int32. */
int64_t RoundCapacity(int64_t n)
{
    if (n < 8)
        return 8;
    int64_t p = 16;
    while (p <= n)
        p <<= 1;
    return p > kMaxCap ? n : p;
}

/* A record any operation may read: data present and 0 <= length. A string
 * with capacity <= 0 may still be read, never changed. */
bool Readable(const tagbstring *b)
{
    return b && b->data && b->length >= 0;
}

/* A record that may be changed or released. */
bool Writable(const tagbstring *b)
{
    return Readable(b) && b->capacity > 0 && b->capacity >= b->length;
}

/* Whether the n bytes at p share storage with the cap bytes at base.
 * Compared as integers: the two may be unrelated objects. */
bool Overlaps(const void *p, int64_t n, const void *base, int64_t cap)
{
    if (n <= 0 || cap <= 0)
        return false;
    const auto a = reinterpret_cast<uintptr_t>(p);
    const auto s = reinterpret_cast<uintptr_t>(base);
    return a < s + static_cast<uintptr_t>(cap) && s < a + static_cast<uintptr_t>(n);
}

/* Replaces the buffer with one of new_cap bytes in place, or of exactly n
 * bytes when that is too much; false with b unchanged when neither works. */
bool GrowInPlace(tagbstring *b, int64_t m, int64_t n, int64_t *new_cap)
{
    void *p = Mem_Realloc(b->data, static_cast<size_t>(m));
    if (p) {
        *new_cap = m;
    } else {
        p = Mem_Realloc(b->data, static_cast<size_t>(n));
        if (!p)
            return false;
        *new_cap = n;
    }
    b->data = static_cast<unsigned char *>(p);
    return true;
}

/* Every position is a byte index into a buffer below 2 GiB, so an int32
 * holds it; the list lives in local slots until it outgrows them. */
struct PosList {
    int local[kLocalSlots] = {};
    int *items = local;
    int64_t room = kLocalSlots;
    int64_t count = 0;

    PosList() = default;
    PosList(const PosList &) = delete;
    PosList &operator=(const PosList &) = delete;
    ~PosList()
    {
        if (items != local)
            Mem_Free(items);
    }

    /* Keeps one slot spare for the closing entry. */
    bool push(int v)
    {
        if (count >= room - 1) {
            const int64_t new_room = room * 2;
            if (new_room > kMaxCap || new_room * static_cast<int64_t>(sizeof(int)) > kMaxCap)
                return false;
            const size_t bytes = static_cast<size_t>(new_room) * sizeof(int);
            int *grown;
            if (items == local) {
                grown = static_cast<int *>(Mem_Alloc(bytes));
                if (grown)
                    memcpy(grown, local, static_cast<size_t>(count) * sizeof(int));
            } else {
                grown = static_cast<int *>(Mem_Realloc(items, bytes));
            }
            if (!grown)
                return false;
            items = grown;
            room = new_room;
        }
        items[count++] = v;
        return true;
    }

    /* The closing entry goes into the slot push keeps spare: never grows. */
    void close(int v) { items[count++] = v; }
};

} // namespace

bstring bstring_from_cstr(const char *s)
{
    if (!s)
        return nullptr;
    const size_t j = strlen(s);
    if (j >= static_cast<size_t>(kMaxCap))
        return nullptr;
    const int64_t cap = RoundCapacity(j == 0 ? 2 : static_cast<int64_t>(j) + 1);
    if (cap <= static_cast<int64_t>(j))
        return nullptr;

    auto *b = static_cast<tagbstring *>(Mem_Alloc(sizeof(tagbstring)));
    if (!b)
        return nullptr;
    b->data = static_cast<unsigned char *>(Mem_Alloc(static_cast<size_t>(cap)));
    if (!b->data) {
        Mem_Free(b);
        return nullptr;
    }
    memcpy(b->data, s, j + 1);
    b->capacity = static_cast<int32_t>(cap);
    b->length = static_cast<int32_t>(j);
    return b;
}

bstring bstring_copy(const bstring b)
{
    if (!Readable(b))
        return nullptr;
    const int64_t need = static_cast<int64_t>(b->length) + 1;
    if (need > kMaxCap)
        return nullptr;

    auto *c = static_cast<tagbstring *>(Mem_Alloc(sizeof(tagbstring)));
    if (!c)
        return nullptr;
    int64_t cap = RoundCapacity(need);
    c->data = static_cast<unsigned char *>(Mem_Alloc(static_cast<size_t>(cap)));
    if (!c->data) {
        cap = need;
        c->data = static_cast<unsigned char *>(Mem_Alloc(static_cast<size_t>(cap)));
        if (!c->data) {
            Mem_Free(c);
            return nullptr;
        }
    }
    if (b->length > 0)
        memcpy(c->data, b->data, static_cast<size_t>(b->length));
    c->data[b->length] = '\0';
    c->capacity = static_cast<int32_t>(cap);
    c->length = b->length;
    return c;
}

int bstring_destroy(bstring b)
{
    if (!Writable(b))
        return -1;
    Mem_Free(b->data);
    /* Leave the record recognisably dead for anyone still holding it. */
    b->length = -1;
    b->data = nullptr;
    Mem_Free(b);
    return 0;
}

int bstring_reserve(bstring b, int n)
{
    if (!Writable(b) || n <= 0)
        return -1;
    if (n < b->capacity)
        return 0;
    const int64_t m = RoundCapacity(n);
    if (m <= b->capacity)
        return 0;

    int64_t new_cap = 0;
    /* A nearly full buffer is resized where it is; otherwise a fresh one
     * saves realloc copying the unused tail. */
    if (7 * static_cast<int64_t>(b->capacity) < 8 * static_cast<int64_t>(b->length)) {
        if (!GrowInPlace(b, m, n, &new_cap))
            return -1;
    } else {
        auto *fresh = static_cast<unsigned char *>(Mem_Alloc(static_cast<size_t>(m)));
        if (fresh) {
            if (b->length > 0)
                memcpy(fresh, b->data, static_cast<size_t>(b->length));
            Mem_Free(b->data);
            b->data = fresh;
            new_cap = m;
        } else if (!GrowInPlace(b, m, n, &new_cap)) {
            return -1;
        }
    }
    b->capacity = static_cast<int32_t>(new_cap);
    /* An exact-size buffer asked for no more than the length has no room. */
    if (b->length < b->capacity)
        b->data[b->length] = '\0';
    return 0;
}

int bstring_append(bstring b0, const bstring b1)
{
    if (!b0 || !b1 || !b0->data || !b1->data)
        return -1;
    const int64_t l0 = b0->length;
    const int64_t c0 = b0->capacity;
    const int64_t l1 = b1->length;
    if (l0 < 0 || c0 <= 0 || c0 - l0 < 0 || l1 < 0 || l0 + l1 + 1 > kMaxCap)
        return -1;

    bstring aux = nullptr;
    const unsigned char *src = b1->data;
    if (c0 <= l0 + l1 + 1) {
        /* Growing may move or free b0's buffer, and b1 may live in it. */
        if (Overlaps(b1->data, l1 + 1, b0->data, c0)) {
            aux = bstring_copy(b1);
            if (!aux)
                return -1;
            src = aux->data;
        }
        if (bstring_reserve(b0, static_cast<int>(l0 + l1 + 1)) != 0) {
            bstring_destroy(aux);
            return -1;
        }
    }
    if (l1 > 0)
        memmove(b0->data + l0, src, static_cast<size_t>(l1));
    b0->data[l0 + l1] = '\0';
    b0->length = static_cast<int32_t>(l0 + l1);
    bstring_destroy(aux);
    return 0;
}

int bstring_append_cstr(bstring b, const char *s)
{
    if (!Writable(b) || !s)
        return -1;
    /* Text inside b's own buffer would be overwritten while it is read. */
    if (Overlaps(s, 1, b->data, b->capacity)) {
        const size_t n = strlen(s);
        if (n > static_cast<size_t>(kMaxCap))
            return -1;
        return bstring_append_block(b, s, static_cast<int>(n));
    }

    const int32_t old_len = b->length;
    int64_t i = 0;
    const int64_t room = static_cast<int64_t>(b->capacity) - b->length;
    for (; i < room; ++i) {
        b->data[b->length + i] = static_cast<unsigned char>(s[i]);
        if (s[i] == '\0') {
            b->length = static_cast<int32_t>(b->length + i);
            return 0;
        }
    }
    b->length = static_cast<int32_t>(b->length + i);
    const char *rest = s + i;
    const size_t n = strlen(rest);
    if (n <= static_cast<size_t>(kMaxCap) &&
        bstring_append_block(b, rest, static_cast<int>(n)) == 0)
        return 0;
    /* Drop the part that fitted so the string stays whole and terminated. */
    b->length = old_len;
    b->data[old_len] = '\0';
    return -1;
}

int bstring_append_block(bstring b, const void *p, int n)
{
    if (!Writable(b) || !p || n < 0)
        return -1;
    const int64_t new_len = static_cast<int64_t>(b->length) + n;
    if (new_len + 1 > kMaxCap)
        return -1;

    unsigned char *aux = nullptr;
    const void *src = p;
    if (b->capacity <= new_len) {
        /* Growing may move or free the buffer p points into. */
        if (Overlaps(p, n, b->data, b->capacity)) {
            aux = static_cast<unsigned char *>(Mem_Alloc(static_cast<size_t>(n)));
            if (!aux)
                return -1;
            memcpy(aux, p, static_cast<size_t>(n));
            src = aux;
        }
        if (bstring_reserve(b, static_cast<int>(new_len + 1)) != 0) {
            Mem_Free(aux);
            return -1;
        }
    }
    if (n > 0)
        memmove(b->data + b->length, src, static_cast<size_t>(n));
    b->length = static_cast<int32_t>(new_len);
    b->data[new_len] = '\0';
    Mem_Free(aux);
    return 0;
}

int bstring_find(const bstring s, int pos, const bstring t)
{
    if (!s || !t || !s->data || !t->data || s->length < 0 || t->length < 0)
        return -1;
    if (pos == s->length)
        return t->length == 0 ? pos : -1;
    if (pos > s->length || pos < 0)
        return -1;
    if (t->length == 0)
        return pos;
    const int64_t last = static_cast<int64_t>(s->length) - t->length;
    if (last + 1 <= pos)
        return -1;
    if (s->data == t->data && pos == 0)
        return 0;

    const unsigned char first = t->data[0];
    const size_t tl = static_cast<size_t>(t->length);
    for (int64_t i = pos; i <= last; ++i) {
        const void *hit = memchr(s->data + i, first, static_cast<size_t>(last - i + 1));
        if (!hit)
            return -1;
        i = static_cast<const unsigned char *>(hit) - s->data;
        if (memcmp(s->data + i, t->data, tl) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

namespace {

/* The replacement proper, once find and repl are known not to live in b. */
int ReplaceAll(tagbstring *b, tagbstring *find, tagbstring *repl, int pos)
{
    const int64_t lb = b->length;
    const int64_t lf = find->length;
    const int64_t lr = repl->length;
    const int64_t delta = lf - lr;

    if (delta == 0) {
        for (int i = bstring_find(b, pos, find); i >= 0;
             i = bstring_find(b, static_cast<int>(i + lf), find))
            memcpy(b->data + i, repl->data, static_cast<size_t>(lr));
        return 0;
    }

    if (delta > 0) {
        /* Shorter replacement: one pass, everything slides left by acc. */
        int64_t acc = 0;
        int64_t cur = pos;
        for (int i = bstring_find(b, pos, find); i >= 0;
             i = bstring_find(b, static_cast<int>(cur), find)) {
            if (acc > 0 && i > cur)
                memmove(b->data + cur - acc, b->data + cur, static_cast<size_t>(i - cur));
            if (lr > 0)
                memcpy(b->data + i - acc, repl->data, static_cast<size_t>(lr));
            acc += delta;
            cur = i + lf;
        }
        if (acc > 0) {
            if (lb > cur)
                memmove(b->data + cur - acc, b->data + cur, static_cast<size_t>(lb - cur));
            b->length = static_cast<int32_t>(lb - acc);
            b->data[b->length] = '\0';
        }
        return 0;
    }

    /* Longer replacement: find every occurrence first, so the buffer grows
     * once and each byte moves once, walking back from the end. */
    const int64_t grow = -delta;
    PosList list;
    for (int i = bstring_find(b, pos, find); i >= 0;
         i = bstring_find(b, static_cast<int>(i + lf), find)) {
        if (!list.push(i))
            return -1;
    }
    if (list.count == 0)
        return 0;
    int64_t acc = list.count * grow;
    if (lb + acc + 1 > kMaxCap)
        return -1;
    list.close(static_cast<int>(lb));
    if (bstring_reserve(b, static_cast<int>(lb + acc + 1)) != 0)
        return -1;
    b->length = static_cast<int32_t>(lb + acc);

    for (int64_t k = list.count - 2; k >= 0; --k) {
        const int64_t from = list.items[k] + lf;
        const int64_t to = list.items[k + 1];
        if (to > from)
            memmove(b->data + from + acc, b->data + from, static_cast<size_t>(to - from));
        if (lr > 0)
            memcpy(b->data + from + acc - lr, repl->data, static_cast<size_t>(lr));
        acc -= grow;
    }
    b->data[b->length] = '\0';
    return 0;
}

} // namespace

int bstring_find_replace(bstring b, const bstring find, const bstring repl, int pos)
{
    if (!b || !find || !repl || !b->data || !find->data || !repl->data)
        return -1;
    if (pos < 0 || find->length < 1 || b->capacity < 1 || b->length > b->capacity ||
        b->length < 0 || repl->length < 0)
        return -1;
    if (static_cast<int64_t>(pos) > static_cast<int64_t>(b->length) - find->length)
        return 0;

    /* Editing b in place, or growing it, would change or free find and repl
     * when they live in b's buffer, so those are worked from copies. Any
     * part of the buffer counts: growing moves all of it. */
    bstring auxf = nullptr;
    bstring auxr = nullptr;
    if (Overlaps(find->data, find->length, b->data, b->capacity)) {
        auxf = bstring_copy(find);
        if (!auxf)
            return -1;
    }
    if (Overlaps(repl->data, repl->length, b->data, b->capacity)) {
        auxr = bstring_copy(repl);
        if (!auxr) {
            bstring_destroy(auxf);
            return -1;
        }
    }
    const int rc = ReplaceAll(b, auxf ? auxf : find, auxr ? auxr : repl, pos);
    bstring_destroy(auxf);
    bstring_destroy(auxr);
    return rc;
}

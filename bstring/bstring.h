/* Counted byte strings: know their length and capacity, grow geometrically,
 * may hold any byte (zero included) and always keep a terminating zero. */
#ifndef FINMAW_BSTRING_H
#define FINMAW_BSTRING_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct tagbstring {
    int32_t capacity; /* bytes allocated for data; <= 0 marks a string that must not change */
    int32_t length;   /* bytes in use, not counting the terminating zero */
    unsigned char *data;
};
typedef struct tagbstring *bstring;

/* A new string holding s's bytes, or null (s null, no memory); the caller
 * releases it with bstring_destroy. */
bstring bstring_from_cstr(const char *s);
/* A new string with b's bytes, or null; owned by the caller. */
bstring bstring_copy(const bstring b);
/* Releases b and its buffer: 0, or -1 for null or a string that must not change. */
int bstring_destroy(bstring b);
/* Makes room for at least n bytes (terminator included): 0, or -1 with b unchanged. */
int bstring_reserve(bstring b, int n);
/* Appends b1's bytes to b0 (b1 may be b0 or live in its buffer): 0 or -1. */
int bstring_append(bstring b0, const bstring b1);
/* Appends the zero-terminated s: 0 or -1 (b then keeps its old length). */
int bstring_append_cstr(bstring b, const char *s);
/* Appends n bytes from p: 0 or -1. */
int bstring_append_block(bstring b, const void *p, int n);
/* Index of the first t in s at or after pos, or -1. */
int bstring_find(const bstring s, int pos, const bstring t);
/* Replaces every find in b from pos on with repl, left to right and without
 * overlap: 0, or -1 with b unchanged. */
int bstring_find_replace(bstring b, const bstring find, const bstring repl, int pos);
#ifdef __cplusplus
}
#endif

#endif

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

bstring bstring_from_cstr(const char *s);
bstring bstring_copy(const bstring b);
int bstring_destroy(bstring b);
int bstring_reserve(bstring b, int n);
int bstring_append(bstring b0, const bstring b1);
int bstring_append_cstr(bstring b, const char *s);
int bstring_append_block(bstring b, const void *p, int n);
int bstring_find(const bstring s, int pos, const bstring t);
int bstring_find_replace(bstring b, const bstring find, const bstring repl, int pos);

#ifdef __cplusplus
}
#endif

#endif

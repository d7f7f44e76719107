/* The program's own heap allocations all pass through here, so that a test
 * can make the Nth one fail and prove every failure path. */
#ifndef FINMAW_ALLOC_H
#define FINMAW_ALLOC_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* malloc, calloc, realloc and free, counted; null when a test makes one fail. */
void *Mem_Alloc(size_t size);
void *Mem_Calloc(size_t count, size_t size);
void *Mem_Realloc(void *block, size_t size);
void Mem_Free(void *block);
/* A heap copy of a zero-terminated string, or null. */
char *Mem_StrDup(const char *s);

/* Test hooks: counts every allocation request since program start or the
 * last reset; with a non-zero fail_at, the request numbered fail_at (from 1)
 * fails, and with fail_all set every request from then on fails too. */
void Mem_TestReset(long fail_at, int fail_all);
/* Allocation requests since start-up or the last reset. */
long Mem_TestCount(void);
/* Blocks handed out and not yet given back, since program start (not
 * touched by Mem_TestReset): lets a test see what a run left behind. */
long Mem_TestLive(void);

#ifdef __cplusplus
}
#endif

#endif

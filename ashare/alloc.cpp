#include "ashare/alloc.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
long g_count = 0;
long g_fail_at = 0;
int g_fail_all = 0;
long g_live = 0;

/* True when this request is to fail; it then sets errno as a failing
 * malloc does, so the log lines that follow read as a real failure's. */
bool NextFails()
{
    ++g_count;
    if (g_fail_at <= 0)
        return false;
    const bool fails = g_count == g_fail_at || (g_fail_all && g_count > g_fail_at);
    if (fails)
        errno = ENOMEM;
    return fails;
}

/* Counts a fresh block that was handed out. */
void *Counted(void *block)
{
    if (block)
        ++g_live;
    return block;
}
} // namespace

void *Mem_Alloc(size_t size)
{
    return NextFails() ? nullptr : Counted(malloc(size));
}

void *Mem_Calloc(size_t count, size_t size)
{
    return NextFails() ? nullptr : Counted(calloc(count, size));
}

void *Mem_Realloc(void *block, size_t size)
{
    if (NextFails())
        return nullptr;
    /* Only a fresh block counts: a resized one is still the same block. */
    return block ? realloc(block, size) : Counted(realloc(nullptr, size));
}

void Mem_Free(void *block)
{
    if (block)
        --g_live;
    free(block);
}

char *Mem_StrDup(const char *s)
{
    const size_t n = strlen(s) + 1;
    char *copy = static_cast<char *>(Mem_Alloc(n));
    if (copy)
        memcpy(copy, s, n);
    return copy;
}

void Mem_TestReset(long fail_at, int fail_all)
{
    g_count = 0;
    g_fail_at = fail_at;
    g_fail_all = fail_all;
}

long Mem_TestCount(void)
{
    return g_count;
}

long Mem_TestLive(void)
{
    return g_live;
}

/* The one log stream every module writes to, and the four line formats.
 * The message texts written through it are part of the game's log format,
 * typing slips included ("recieved", "oject"), and the tests check them word
 * for word: change none of them.
 * Each source file defines FM_LOG_FILE (its path relative to src, without
 * extension, e.g. "class/fish") before including this header. */
#ifndef FINMAW_LOG_H
#define FINMAW_LOG_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Null when no log is open: lines written then are dropped. */
extern FILE *LOG_STREAM;

/* Opens path with mode as the log stream (closing any open one first).
 * Returns 0, or -1 when the file cannot be opened (the stream is then null). */
int Log_Open(const char *path, const char *mode);
/* Closes the stream if one is open. */
void Log_Close(void);
/* Flushes the open stream, if any. */
void Log_Flush(void);

enum { LOG_LEVEL_ERROR, LOG_LEVEL_WARN, LOG_LEVEL_INFO, LOG_LEVEL_DEBUG };

#if defined(__GNUC__)
#define FM_PRINTF(a, b) __attribute__((format(printf, a, b)))
#else
#define FM_PRINTF(a, b)
#endif

/* Writes one line: the level's prefix, then the formatted message. */
void Log_Write(int level, const char *file, const char *func, int line, const char *fmt, ...)
    FM_PRINTF(5, 6);

#ifdef __cplusplus
}
#endif

#ifndef FM_LOG_FILE
#error "define FM_LOG_FILE before including log.h"
#endif

/* An error with a specific cause: errno is reset to 0 after the line. */
#define LOG_ERR(...)                                                              \
    do {                                                                          \
        Log_Write(LOG_LEVEL_ERROR, FM_LOG_FILE, __func__, __LINE__, __VA_ARGS__); \
        errno = 0;                                                                \
    } while (0)
/* An error with a specific cause, written by a file-local helper on behalf
 * of the function its caller called: the line names that function. */
#define LOG_ERR_IN(func, ...)                                                 \
    do {                                                                      \
        Log_Write(LOG_LEVEL_ERROR, FM_LOG_FILE, func, __LINE__, __VA_ARGS__); \
        errno = 0;                                                            \
    } while (0)
/* An error line that names the item after a cause: errno is left as it is. */
#define LOG_ERR_KEEP(...) Log_Write(LOG_LEVEL_ERROR, FM_LOG_FILE, __func__, __LINE__, __VA_ARGS__)
#define LOG_WARN(...) Log_Write(LOG_LEVEL_WARN, FM_LOG_FILE, __func__, __LINE__, __VA_ARGS__)
#define LOG_INFO(...) Log_Write(LOG_LEVEL_INFO, FM_LOG_FILE, __func__, __LINE__, __VA_ARGS__)

#ifdef FINMAW_DEBUG
#define LOG_DEBUG(...) Log_Write(LOG_LEVEL_DEBUG, FM_LOG_FILE, __func__, __LINE__, __VA_ARGS__)
/* A flush that only the debug build makes. */
#define LOG_DEBUG_FLUSH() Log_Flush()
#else
#define LOG_DEBUG(...) ((void)0)
#define LOG_DEBUG_FLUSH() ((void)0)
#endif

#include <errno.h>

#endif

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#define FM_LOG_FILE "log"
#include "ashare/log.h"

FILE *LOG_STREAM = nullptr;

int Log_Open(const char *path, const char *mode)
{
    Log_Close();
    LOG_STREAM = fopen(path, mode);
    return LOG_STREAM ? 0 : -1;
}

void Log_Close(void)
{
    if (LOG_STREAM) {
        fclose(LOG_STREAM);
        LOG_STREAM = nullptr;
    }
}

void Log_Flush(void)
{
    if (LOG_STREAM)
        fflush(LOG_STREAM);
}

void Log_Write(int level, const char *file, const char *func, int line, const char *fmt, ...)
{
    /* Read errno before any library call here can touch it. */
    const int saved = errno;
    const char *marker = saved == 0 ? "None" : "Yep";
    if (!LOG_STREAM)
        return;
    switch (level) {
    case LOG_LEVEL_ERROR:
        fprintf(LOG_STREAM, "[ERROR] (%s:%s():%d: errno: %s) ", file, func, line, marker);
        break;
    case LOG_LEVEL_WARN:
        fprintf(LOG_STREAM, "[WARN] (%s:%s():%d: errno: %s) ", file, func, line, marker);
        break;
    case LOG_LEVEL_INFO:
        fprintf(LOG_STREAM, "[INFO] (%s:%s():%d: errno: %s) ", file, func, line, marker);
        break;
    default:
        fprintf(LOG_STREAM, "DEBUG %s:%s():%d: ", file, func, line);
        break;
    }
    va_list ap;
    va_start(ap, fmt);
    vfprintf(LOG_STREAM, fmt, ap);
    va_end(ap);
    fputc('\n', LOG_STREAM);
    /* Writing a line must not change what the next line reports. */
    errno = saved;
}

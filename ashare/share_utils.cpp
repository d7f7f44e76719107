/* Resource paths: the resource directory is worked out once from the
 * executable's directory and every resource file is that directory followed
 * by the file's name. */
#include "ashare/share_utils.h"

#include <SDL.h>

#include <cstring>

#include "ashare/alloc.h"

#define FM_LOG_FILE "ashare/share_utils"
#include "ashare/log.h"

/* Set once, then kept until the program ends. */
bstring RESOURCE_PATH = nullptr;

int File_InitialiseResourcePath(void)
{
    if (RESOURCE_PATH)
        return 1;
    char *base = SDL_GetBasePath();
    const int rc = File_InitialiseResourcePathFrom(base);
    SDL_free(base);
    return rc;
}

int File_InitialiseResourcePathFrom(const char *base_path)
{
    if (RESOURCE_PATH)
        return 1;
    if (!base_path) {
        LOG_ERR_IN("File_InitialiseResourcePath",
                   "SDL could not setup the base path on this system.");
        return -1;
    }

    bstring path = bstring_from_cstr(base_path);
    bstring find = bstring_from_cstr("bin");
    bstring repl = bstring_from_cstr("res");
    int rc = 0;
    if (bstring_find_replace(path, find, repl, 0) != 0) {
        LOG_ERR_IN("File_InitialiseResourcePath", "bstring find and replace failed.");
        rc = -1;
    } else {
        /* A failed copy leaves the path unset and still returns 0: the
         * request that asked then reports the missing copy itself, and the
         * next request tries again. */
        RESOURCE_PATH = bstring_copy(path);
    }
    bstring_destroy(path);
    bstring_destroy(find);
    bstring_destroy(repl);
    return rc;
}

namespace {

int AppendName(bstring out, const char *name)
{
    return bstring_append_cstr(out, name);
}
int AppendName(bstring out, const bstring name)
{
    return bstring_append(out, name);
}
const char *ShownName(const char *name)
{
    return name;
}
const char *ShownName(const bstring name)
{
    return name->data ? reinterpret_cast<const char *>(name->data) : "(null)";
}

/* RESOURCE_PATH followed by the name, in *out; a failure leaves *out empty.
 * A null out address gets a local variable: the caller then only has the
 * result. */
template <typename Name>
bstring GetResource(const char *func, Name name, bstring *out, const char *null_msg,
                    const char *copy_msg)
{
    bstring local = nullptr;
    if (!out)
        out = &local;
    if (!RESOURCE_PATH && File_InitialiseResourcePath() != 0) {
        LOG_ERR_IN(func, "Resource data path could not be initialised D:");
        return nullptr;
    }
    if (!name) {
        LOG_ERR_IN(func, "%s", null_msg);
        return nullptr;
    }
    if (*out) {
        Log_Write(LOG_LEVEL_WARN, FM_LOG_FILE, func, __LINE__,
                  "Out bstring exists, destroying to avoid memory leaks");
        bstring_destroy(*out);
        *out = nullptr;
    }
    *out = bstring_copy(RESOURCE_PATH);
    if (!*out) {
        LOG_ERR_IN(func, "%s", copy_msg);
        return nullptr;
    }
    if (AppendName(*out, name) != 0) {
        LOG_ERR_IN(func, "Error appending to resource path. Given dir: %s", ShownName(name));
        bstring_destroy(*out);
        *out = nullptr;
        return nullptr;
    }
    return *out;
}

} // namespace

bstring File_GetResource_cstr(const char *name, bstring *out)
{
    return GetResource(__func__, name, out, "Invalid input: path string cannot be NULL.",
                       "Failed to copy RESOURCE_PATH.");
}

bstring File_GetResource(const bstring name, bstring *out)
{
    return GetResource(__func__, name, out, "Invalid input: path bstring cannot be NULL.",
                       "Failed to copy RESOURCE_PATH");
}

int Util_CString_Convert(const bstring b, char **out)
{
    if (!out)
        return -1;
    if (*out) {
        Mem_Free(*out);
        *out = nullptr;
    }
    /* A record without a buffer has nothing to convert either. */
    if (!b || !b->data) {
        LOG_ERR("Invalid input: bstring input is NULL.");
        return -1;
    }
    const size_t len = b->length > 0 ? static_cast<size_t>(b->length) : 0;
    char *s = static_cast<char *>(Mem_Alloc(len + 1));
    if (!s) {
        LOG_ERR("Out of memory.");
        return -1;
    }
    if (len > 0)
        memcpy(s, b->data, len);
    s[len] = '\0';
    *out = s;
    return 0;
}

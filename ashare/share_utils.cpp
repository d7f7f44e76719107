/* Resource paths: the resource directory is worked out once from the
 * executable's directory and every resource file is that directory followed
 * by the file's name. */
#include "share_utils.h"

#include <SDL.h>

#include <cstring>

#include "alloc.h"

#define FM_LOG_FILE "ashare/share_utils"
#include "log.h"

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
        LOG_ERR("SDL could not setup the base path on this system.");
        return -1;
    }

    bstring path = bstring_from_cstr(base_path);
    bstring find = bstring_from_cstr("bin");
    bstring repl = bstring_from_cstr("res");
    int rc = 0;
    if (bstring_find_replace(path, find, repl, 0) != 0) {
        LOG_ERR("bstring find and replace failed.");
        rc = -1;
    } else {
        RESOURCE_PATH = bstring_copy(path);
        /* Without the copy nothing was set; the caller reports it. */
        if (!RESOURCE_PATH)
            rc = -1;
    }
    bstring_destroy(path);
    bstring_destroy(find);
    bstring_destroy(repl);
    return rc;
}

namespace {

/* Drops a partly built path so a failure leaves the variable empty. */
bstring fail(bstring *out)
{
    bstring_destroy(*out);
    *out = nullptr;
    return nullptr;
}

} // namespace

/* The two path requests are written out in full so that each log line
 * names the function the caller called. A null out address gets a local
 * variable: the caller then only has the result. */
bstring File_GetResource_cstr(const char *name, bstring *out)
{
    bstring local = nullptr;
    if (!out)
        out = &local;
    if (!RESOURCE_PATH && File_InitialiseResourcePath() != 0) {
        LOG_ERR("Resource data path could not be initialised D:");
        return nullptr;
    }
    if (!name) {
        LOG_ERR("Invalid input: path string cannot be NULL.");
        return nullptr;
    }
    if (*out) {
        LOG_WARN("Out bstring exists, destroying to avoid memory leaks");
        bstring_destroy(*out);
        *out = nullptr;
    }

    *out = bstring_copy(RESOURCE_PATH);
    if (!*out) {
        LOG_ERR("Failed to copy RESOURCE_PATH.");
        return fail(out);
    }
    if (bstring_append_cstr(*out, name) != 0) {
        LOG_ERR("Error appending to resource path. Given dir: %s", name);
        return fail(out);
    }
    return *out;
}

bstring File_GetResource(const bstring name, bstring *out)
{
    bstring local = nullptr;
    if (!out)
        out = &local;
    if (!RESOURCE_PATH && File_InitialiseResourcePath() != 0) {
        LOG_ERR("Resource data path could not be initialised D:");
        return nullptr;
    }
    if (!name) {
        LOG_ERR("Invalid input: path bstring cannot be NULL.");
        return nullptr;
    }
    if (*out) {
        LOG_WARN("Out bstring exists, destroying to avoid memory leaks");
        bstring_destroy(*out);
        *out = nullptr;
    }

    *out = bstring_copy(RESOURCE_PATH);
    if (!*out) {
        LOG_ERR("Failed to copy RESOURCE_PATH");
        return fail(out);
    }
    if (bstring_append(*out, name) != 0) {
        const char *shown = name->data ? reinterpret_cast<const char *>(name->data) : "(null)";
        LOG_ERR("Error appending to resource path. Given dir: %s", shown);
        return fail(out);
    }
    return *out;
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

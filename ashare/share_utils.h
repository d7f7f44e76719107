/* Resource paths: the resource directory is the executable's directory with
 * every "bin" replaced by "res". */
#ifndef FINMAW_SHARE_UTILS_H
#define FINMAW_SHARE_UTILS_H

#include "bstring/bstring.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The resource directory, trailing separator included; null until set. */
extern bstring RESOURCE_PATH;

/* Sets RESOURCE_PATH from SDL's base path: 0 when set now (or when its copy
 * failed, which the next request reports), 1 when already set, -1 on failure. */
int File_InitialiseResourcePath(void);
/* As above, from a given base directory instead of SDL's: lets tests check
 * the "bin" to "res" rule without moving the executable. */
int File_InitialiseResourcePathFrom(const char *base_path);
/* RESOURCE_PATH followed by name, also stored in *out (whose old string is
 * released); null on failure. The caller owns the result. */
bstring File_GetResource_cstr(const char *name, bstring *out);
/* The same with a bstring name. */
bstring File_GetResource(const bstring name, bstring *out);
/* A new zero-terminated copy of b in *out (its old string released), owned
 * by the caller and freed with Mem_Free: 0, or -1 with *out empty. */
int Util_CString_Convert(const bstring b, char **out);

#ifdef __cplusplus
}
#endif

#endif

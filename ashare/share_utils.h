/* Resource paths: the resource directory is the executable's directory with
 * every "bin" replaced by "res". */
#ifndef FINMAW_SHARE_UTILS_H
#define FINMAW_SHARE_UTILS_H

#include "../bstring/bstring.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The resource directory, trailing separator included; null until set. */
extern bstring RESOURCE_PATH;

int File_InitialiseResourcePath(void);
/* As above, from a given base directory instead of SDL's: lets tests check
 * the "bin" to "res" rule without moving the executable. */
int File_InitialiseResourcePathFrom(const char *base_path);
bstring File_GetResource_cstr(const char *name, bstring *out);
bstring File_GetResource(const bstring name, bstring *out);
int Util_CString_Convert(const bstring b, char **out);

#ifdef __cplusplus
}
#endif

#endif

#include "test_support.h"

namespace {

using namespace fmtest;

std::string Text(bstring b) { return b ? std::string(reinterpret_cast<char *>(b->data), b->length) : "<null>"; }

TEST(ResourcePath, EveryBinBecomesResOnce) {
    Transcript t("resource_bins");
    for (const char *base : {"games/finmaw/bin/", "bin/x/bin/", "games/cabinet/bin/", "games/finmaw/", "games/BIN/"}) {
        SAY(t.Let("base", base), File_InitialiseResourcePathFrom(base));
        SAY(t, File_InitialiseResourcePathFrom("other/bin/") + File_InitialiseResourcePath()); /* each 1: set once */
        bstring out = nullptr;
        bstring got = File_GetResource_cstr("shark.bmp", &out);
        t.Note(std::string(base) + " gives " + Text(got) + (got == out ? ", also in out" : ", not in out"));
        bstring_destroy(got);
        bstring_destroy(RESOURCE_PATH);
        RESOURCE_PATH = nullptr;
    }
}

TEST(ResourcePath, OutputsAndFailuresAndTheLinesNamingTheCaller) {
    Transcript t("resource_outputs");
    SAY(t, File_InitialiseResourcePathFrom(nullptr));
    SAY(t, Starved(
               1, [] { return File_InitialiseResourcePathFrom("x/bin/"); }, 1));
    /* Only keeping the copy fails: initialisation passes, the path stays unset. */
    SAY(t, Starved(7, [] { return File_InitialiseResourcePathFrom("x/bin/"); }));
    SAY(t, RESOURCE_PATH);
    SAY(t, File_InitialiseResourcePathFrom("dir/bin/"));
    bstring name = bstring_from_cstr("fish_01.bmp");
    bstring out = bstring_from_cstr("an older path");
    const long live = Mem_TestLive();
    SAY(t, Text(File_GetResource(name, &out)));
    SAY(t, Mem_TestLive() - live); /* the old string was released */
    SAY(t, Text(File_GetResource_cstr("font.bmp", &out)));
    bstring_destroy(out);
    bstring_destroy(name);
    out = nullptr;
    SAY(t, File_GetResource(nullptr, &out) == nullptr && errno == 0); /* each error line resets errno */
    SAY(t, Starved(
               1, [&] { return File_GetResource_cstr("a.bmp", &out); }, 1));
    SAY(t, out);
}

TEST(ResourcePath, CStringConvertKeepsEveryByte) {
    Transcript t("resource_convert");
    char *out = nullptr;
    bstring z = bstring_from_cstr("");
    SAY(t, bstring_append_block(z, "a\0b", 3));
    SAY(t, Util_CString_Convert(z, &out));
    SAY(t, memcmp(out, "a\0b\0", 4) == 0);
    SAY(t, Starved(1, [&] { return Util_CString_Convert(z, &out); })); /* the old string is released */
    SAY(t, out);
    SAY(t, Util_CString_Convert(nullptr, &out));
    bstring_destroy(z);
}

} // namespace

#include <gtest/gtest.h>

#include "game.h"
#include "image.h"
#include "ashare/share_utils.h"
#include "test_support.h"

/* The release build writes the manifest's lines without the DEBUG ones. */
TEST(ManifestRelease, WritesNoDebugLines)
{
    fmtest::TempDir dir;
    std::filesystem::copy(FINMAW_SOURCE_RES_DIR, dir.path() / "res");
    ASSERT_EQ(File_InitialiseResourcePathFrom(((dir.path() / "bin").string() + "/").c_str()), 0);
    if (reinterpret_cast<char *>(RESOURCE_PATH->data) != (dir.path() / "res").string() + "/")
        GTEST_SKIP() << "temporary folder name itself holds \"bin\"";
    fmtest::LogCapture log;
    ASSERT_EQ(Main_StartImage(), 0);
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {")  Initialised core image data.", ")  All loaded, finishing."}));
    for (const auto &l : log.lines())
        EXPECT_NE(l.rfind("DEBUG", 0), 0u) << l;
    Image_FreeAll();
}

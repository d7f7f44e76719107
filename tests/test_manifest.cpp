#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "game.h"
#include "image.h"
#include "share_utils.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using fmtest::InOrder;

struct SheetFile {
    const char *file;
    const char *name;
    int w, h;
    bool keyed;
};

const SheetFile kSheets[] = {
    {"shark.bmp", "shark", 110, 80, true},
    {"back.bmp", "background1", 800, 400, false},
    {"fish_01.bmp", "fish1", 80, 192, true},
    {"font.bmp", "font", 100, 12, true},
};

struct SpriteRow {
    const char *name;
    const char *sheet;
    SDL_Rect rect;
};

const SpriteRow kSprites[] = {
    {"shark_idle", "shark", {0, 40, 110, 40}},
    {"shark_bite", "shark", {0, 0, 110, 40}},
    {"fish_pink", "fish1", {0, 0, 32, 14}},
    {"fish_barri", "fish1", {0, 14, 38, 9}},
    {"fish_sword", "fish1", {0, 182, 50, 9}},
    {"fish_crab", "fish1", {0, 28, 31, 21}},
    {"fish_puffer", "fish1", {0, 56, 31, 24}},
    {"fish_slow", "fish1", {38, 0, 35, 14}},
    {"fish_purp", "fish1", {38, 14, 30, 13}},
    {"fish_red", "fish1", {38, 28, 34, 11}},
    {"fish_green", "fish1", {38, 42, 32, 15}},
};

/* A plain sheet of the right size: grey with a magenta border. */
void WriteSheet(const fs::path &file, int w, int h)
{
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    ASSERT_NE(s, nullptr) << SDL_GetError();
    SDL_FillRect(s, nullptr, 0xFFFF00FF);
    SDL_Rect inner{1, 1, w - 2, h - 2};
    SDL_FillRect(s, &inner, 0xFF808080);
    ASSERT_EQ(SDL_SaveBMP(s, file.string().c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(s);
}

/* The colour of a sheet pixel; the sheet must be locked. */
void PixelRGB(SDL_Surface *sheet, int x, int y, Uint8 *r, Uint8 *g, Uint8 *b)
{
    const int bpp = sheet->format->BytesPerPixel;
    const Uint8 *p = static_cast<const Uint8 *>(sheet->pixels) + y * sheet->pitch + x * bpp;
    Uint32 v = 0;
    SDL_memcpy(&v, p, static_cast<size_t>(bpp));
    SDL_GetRGB(v, sheet->format, r, g, b);
}

bool IsMagenta(Uint8 r, Uint8 g, Uint8 b)
{
    return r == 255 && g == 0 && b == 255;
}

/* The message of a log line: what follows the prefix. */
std::string Message(const std::string &line)
{
    const auto at = line.find(") ");
    return at == std::string::npos ? line : line.substr(at + 2);
}

class ManifestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        if (RESOURCE_PATH) {
            bstring_destroy(RESOURCE_PATH);
            RESOURCE_PATH = nullptr;
        }
        res_ = dir_.path() / "res";
        fs::create_directories(res_);
        ASSERT_EQ(File_InitialiseResourcePathFrom(((dir_.path() / "bin").string() + "/").c_str()), 0);
        const std::string got(reinterpret_cast<char *>(RESOURCE_PATH->data),
                              static_cast<size_t>(RESOURCE_PATH->length));
        if (got != res_.string() + "/")
            GTEST_SKIP() << "temporary folder name itself holds \"bin\": " << got;
    }
    void TearDown() override
    {
        Image_FreeAll();
        SDL_Quit();
    }
    void WriteAllSheets(const char *except = nullptr)
    {
        for (const auto &s : kSheets)
            if (!except || std::string(except) != s.file)
                WriteSheet(res_ / s.file, s.w, s.h);
    }
    /* Copies the game's own pictures; false when they are not all there. */
    bool CopyRealSheets()
    {
        const fs::path src = FINMAW_SOURCE_RES_DIR;
        for (const auto &s : kSheets)
            if (!fs::exists(src / s.file))
                return false;
        for (const auto &s : kSheets)
            fs::copy_file(src / s.file, res_ / s.file, fs::copy_options::overwrite_existing);
        return true;
    }

    fmtest::LogCapture log_;
    fmtest::TempDir dir_;
    fs::path res_;
};

TEST_F(ManifestTest, LoadsEverySheetAndSpriteInOrder)
{
    WriteAllSheets();
    ASSERT_EQ(Main_StartImage(), 0);
    const auto lines = log_.lines();

    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Image_Find_SpriteSheet(kSheets[i].name), i) << kSheets[i].name;
        SDL_Surface *sheet = Image_Get_SpriteSheet(nullptr, i);
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->w, kSheets[i].w);
        Uint32 key = 0;
        if (kSheets[i].keyed) {
            ASSERT_EQ(SDL_GetColorKey(sheet, &key), 0) << kSheets[i].name;
            EXPECT_EQ(key, SDL_MapRGB(sheet->format, 255, 0, 255)) << kSheets[i].name;
        } else {
            EXPECT_NE(SDL_GetColorKey(sheet, &key), 0) << kSheets[i].name;
        }
    }
    EXPECT_EQ(Image_Get_SpriteSheet(nullptr, 4), nullptr);

    for (int i = 0; i < 11; ++i) {
        const SpriteRow &row = kSprites[i];
        EXPECT_EQ(Image_Find_Sprite(row.name), i) << row.name;
        const Sprite_t *s = Image_Get_Sprite(nullptr, i);
        ASSERT_NE(s, nullptr);
        EXPECT_TRUE(SDL_RectEquals(&s->rect, &row.rect)) << row.name;
        EXPECT_EQ(s->sheet, Image_Get_SpriteSheet(row.sheet, -1)) << row.name;
    }
    EXPECT_EQ(Image_Get_Sprite(nullptr, 11), nullptr);
    EXPECT_EQ(Image_Get_Animation(nullptr, 0), nullptr);

    std::vector<std::string> info;
    for (const auto &l : lines) {
        EXPECT_NE(l.rfind("[ERROR]", 0), 0u) << l;
        if (l.rfind("[INFO]", 0) == 0)
            info.push_back(Message(l));
    }
    const std::vector<std::string> expected = {
        " Initialised core image data.",
        "Loaded Sprite Sheet: shark",
        "Loaded Sprite Sheet: background1",
        "Loaded Sprite Sheet: fish1",
        "Loaded Sprite Sheet: font",
        " Loaded sprite sheet data.",
        "Loaded Sprite: shark_idle",
        "Loaded Sprite: shark_bite",
        " Creating Sprites from data.",
        "Loaded Sprite: fish_pink",
        "Loaded Sprite: fish_barri",
        "Loaded Sprite: fish_sword",
        "Loaded Sprite: fish_crab",
        "Loaded Sprite: fish_puffer",
        "Loaded Sprite: fish_slow",
        "Loaded Sprite: fish_purp",
        "Loaded Sprite: fish_red",
        "Loaded Sprite: fish_green",
        " All loaded, finishing.",
    };
    EXPECT_EQ(info, expected);
    EXPECT_TRUE(log_.contains("[INFO] (game:Main_StartImage():"));
    EXPECT_TRUE(log_.contains("Matched strings fish1 and fish1"));
}

TEST_F(ManifestTest, MissingBackgroundStopsLoading)
{
    WriteAllSheets("back.bmp");
    EXPECT_EQ(Main_StartImage(), -1);

    const auto lines = log_.lines();
    EXPECT_TRUE(InOrder(lines, {"Loaded Sprite Sheet: shark", "Failed to create SDL_Surface: ",
                                "Failed to load Sprite Sheet: background1"}));
    /* Right after the store's lines: the manifest's own line with no message. */
    size_t at = 0;
    while (at < lines.size() && lines[at].find("Failed to load Sprite Sheet: background1") == std::string::npos)
        ++at;
    ASSERT_LT(at + 1, lines.size());
    const std::string &empty = lines[at + 1];
    EXPECT_EQ(empty.rfind("[ERROR] (game:Main_StartImage():", 0), 0u) << empty;
    EXPECT_EQ(empty.substr(empty.size() - 2), ") ") << empty;
    EXPECT_EQ(Message(empty), "") << empty;
    EXPECT_EQ(at + 2, lines.size()) << "loading went on";

    EXPECT_FALSE(log_.contains("Loaded Sprite Sheet: fish1"));
    EXPECT_FALSE(log_.contains("Loaded sprite sheet data."));
    EXPECT_EQ(Image_Find_SpriteSheet("shark"), 0);
    EXPECT_EQ(Image_Get_SpriteSheet(nullptr, 1), nullptr);
}

TEST_F(ManifestTest, RealSpritesLieInsideTheirSheetsAndShowSomething)
{
    if (!CopyRealSheets())
        GTEST_SKIP() << "the game's pictures are not in res/ yet";
    ASSERT_EQ(Main_StartImage(), 0);

    for (const auto &s : kSheets) {
        SDL_Surface *sheet = Image_Get_SpriteSheet(s.name, -1);
        ASSERT_NE(sheet, nullptr) << s.name;
        EXPECT_EQ(sheet->w, s.w) << s.name;
        EXPECT_EQ(sheet->h, s.h) << s.name;
    }

    for (const auto &row : kSprites) {
        const Sprite_t *sp = Image_Get_Sprite(row.name, -1);
        ASSERT_NE(sp, nullptr) << row.name;
        SDL_Surface *sheet = sp->sheet;
        ASSERT_NE(sheet, nullptr) << row.name;
        const SDL_Rect &r = sp->rect;
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= sheet->w &&
                    r.y + r.h <= sheet->h)
            << row.name;

        /* Keyed sheets may be run-length encoded: pixels need a lock. */
        ASSERT_EQ(SDL_LockSurface(sheet), 0) << SDL_GetError();
        int shown = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) {
                Uint8 cr, cg, cb;
                PixelRGB(sheet, x, y, &cr, &cg, &cb);
                if (!IsMagenta(cr, cg, cb))
                    ++shown;
            }
        SDL_UnlockSurface(sheet);
        EXPECT_GT(shown, 0) << row.name << " is all see-through";
    }

    /* Drawn onto black: keyed sheets leave no magenta, the background
     * arrives pixel for pixel. */
    for (const auto &s : kSheets) {
        SDL_Surface *sheet = Image_Get_SpriteSheet(s.name, -1);
        SDL_Surface *target = SDL_CreateRGBSurfaceWithFormat(0, sheet->w, sheet->h, 32, SDL_PIXELFORMAT_RGB888);
        ASSERT_NE(target, nullptr);
        SDL_FillRect(target, nullptr, 0);
        ASSERT_EQ(SDL_UpperBlit(sheet, nullptr, target, nullptr), 0) << SDL_GetError();
        ASSERT_EQ(SDL_LockSurface(sheet), 0);
        int magenta_in = 0, magenta_out = 0, differ = 0;
        for (int y = 0; y < sheet->h; ++y)
            for (int x = 0; x < sheet->w; ++x) {
                Uint8 r1, g1, b1, r2, g2, b2;
                PixelRGB(sheet, x, y, &r1, &g1, &b1);
                PixelRGB(target, x, y, &r2, &g2, &b2);
                magenta_in += IsMagenta(r1, g1, b1);
                magenta_out += IsMagenta(r2, g2, b2);
                differ += (r1 != r2 || g1 != g2 || b1 != b2);
            }
        SDL_UnlockSurface(sheet);
        SDL_FreeSurface(target);
        if (s.keyed) {
            EXPECT_GT(magenta_in, 0) << s.name;
            EXPECT_EQ(magenta_out, 0) << s.name;
            EXPECT_EQ(differ, magenta_in) << s.name;
        } else {
            EXPECT_EQ(differ, 0) << s.name;
        }
    }
}

} // namespace

#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "alloc.h"
#include "image.h"
#include "share_utils.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using fmtest::InOrder;

const Uint32 kMagenta = 0xFFFF00FF;
const Uint32 kRed = 0xFFFF0000;
const Uint32 kBlack = 0xFF000000;

/* Saves the ARGB pixels (row by row) as a 32-bit BMP. */
void WriteBmp(const fs::path &file, int w, int h, const std::vector<Uint32> &pixels)
{
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    ASSERT_NE(s, nullptr) << SDL_GetError();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            reinterpret_cast<Uint32 *>(static_cast<Uint8 *>(s->pixels) + y * s->pitch)[x] =
                pixels[static_cast<size_t>(y * w + x)];
    ASSERT_EQ(SDL_SaveBMP(s, file.string().c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(s);
}

/* Draws the sheet at the origin of a black ARGB target and returns what
 * landed there. */
std::vector<Uint32> DrawnPixels(SDL_Surface *sheet)
{
    SDL_Surface *target =
        SDL_CreateRGBSurfaceWithFormat(0, sheet->w, sheet->h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(target, nullptr, kBlack);
    SDL_UpperBlit(sheet, nullptr, target, nullptr);
    std::vector<Uint32> out;
    SDL_LockSurface(target);
    for (int y = 0; y < target->h; ++y)
        for (int x = 0; x < target->w; ++x)
            out.push_back(reinterpret_cast<Uint32 *>(static_cast<Uint8 *>(target->pixels) +
                                                     y * target->pitch)[x]);
    SDL_UnlockSurface(target);
    SDL_FreeSurface(target);
    return out;
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        /* Each test points the resource folder at its own temporary res/. */
        if (RESOURCE_PATH) {
            bstring_destroy(RESOURCE_PATH);
            RESOURCE_PATH = nullptr;
        }
        res_ = dir_.path() / "res";
        fs::create_directories(res_);
        fs::create_directories(dir_.path() / "bin");
        ASSERT_EQ(File_InitialiseResourcePathFrom(((dir_.path() / "bin").string() + "/").c_str()), 0);
        const std::string got(reinterpret_cast<char *>(RESOURCE_PATH->data),
                              static_cast<size_t>(RESOURCE_PATH->length));
        if (got != res_.string() + "/")
            GTEST_SKIP() << "temporary folder name itself holds \"bin\": " << got;
        WriteBmp(res_ / "a.bmp", 2, 1, {kMagenta, kRed});
        WriteBmp(res_ / "b.bmp", 3, 2, {kRed, kRed, kRed, kMagenta, kMagenta, kMagenta});
    }
    void TearDown() override
    {
        Mem_TestReset(0, 0);
        Image_FreeAll();
        SDL_Quit();
    }

    fmtest::LogCapture log_;
    fmtest::TempDir dir_;
    fs::path res_;
};

size_t CountLines(const std::vector<std::string> &lines, const std::string &needle)
{
    size_t n = 0;
    for (const auto &l : lines)
        if (l.find(needle) != std::string::npos)
            ++n;
    return n;
}

/* The line just before the first one holding the needle ("" if none). */
std::string LineBefore(const std::vector<std::string> &lines, const std::string &needle)
{
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i].find(needle) != std::string::npos)
            return lines[i - 1];
    return "";
}

/* True when one line holds both texts. */
bool HasLine(const std::vector<std::string> &lines, const std::string &a, const std::string &b)
{
    for (const auto &l : lines)
        if (l.find(a) != std::string::npos && l.find(b) != std::string::npos)
            return true;
    return false;
}

TEST_F(ImageTest, LookupsByNameAndHandle)
{
    ASSERT_EQ(Image_Init(4, 8, 4), 0);
    ASSERT_EQ(Image_LoadSpriteSheet("a.bmp", "background1", 0, 255, 255, 255), 0);
    ASSERT_EQ(Image_LoadSpriteSheet("b.bmp", "shark", 1, 255, 0, 255), 0);
    ASSERT_EQ(Image_AddSprite("fish", 1, 1, 2, 3, 4), 0);
    ASSERT_EQ(Image_AddSprite("fish", 0, 5, 6, 7, 8), 0);
    ASSERT_EQ(Image_AddSprite("other", 0, 0, 0, 1, 1), 0);

    SDL_Surface *back = Image_Get_SpriteSheet(nullptr, 0);
    SDL_Surface *shark = Image_Get_SpriteSheet(nullptr, 1);
    ASSERT_NE(back, nullptr);
    ASSERT_NE(shark, nullptr);
    EXPECT_EQ(back->w, 2);
    EXPECT_EQ(shark->w, 3);
    EXPECT_EQ(shark->h, 2);

    /* The first of two equal names wins; handles number each store apart. */
    EXPECT_EQ(Image_Find_Sprite("fish"), 0);
    EXPECT_EQ(Image_Find_Sprite("other"), 2);
    EXPECT_EQ(Image_Find_SpriteSheet("shark"), 1);
    Sprite_t *fish = Image_Get_Sprite("fish", -1);
    ASSERT_EQ(fish, Image_Get_Sprite(nullptr, 0));
    EXPECT_EQ(fish->rect.x, 1);
    EXPECT_EQ(fish->rect.y, 2);
    EXPECT_EQ(fish->rect.w, 3);
    EXPECT_EQ(fish->rect.h, 4);
    EXPECT_EQ(fish->sheet, shark);
    EXPECT_EQ(fish->next, nullptr);
    EXPECT_EQ(fish->frameTime, -1);
    EXPECT_EQ(Image_Get_Sprite(nullptr, 1)->sheet, back);

    /* With a name the handle is ignored. */
    EXPECT_EQ(Image_Get_SpriteSheet("background1", 5), back);
    EXPECT_EQ(Image_Get_Sprite("other", 0), Image_Get_Sprite(nullptr, 2));

    /* Whole, case-sensitive names only. */
    EXPECT_EQ(Image_Find_Sprite("Fish"), -1);
    EXPECT_EQ(Image_Find_Sprite("fis"), -1);
    EXPECT_EQ(Image_Find_Sprite("fishy"), -1);
    EXPECT_EQ(Image_Find_SpriteSheet("background"), -1);
    EXPECT_EQ(Image_Find_Animation("fish"), -1);

    const auto before = log_.lines().size();
    EXPECT_EQ(Image_Get_Sprite(nullptr, -1), nullptr);
    EXPECT_EQ(Image_Get_Sprite(nullptr, 3), nullptr);
    EXPECT_EQ(Image_Get_SpriteSheet(nullptr, 2), nullptr);
    EXPECT_EQ(Image_Get_Animation(nullptr, 0), nullptr);
    EXPECT_EQ(Image_Get_Sprite("Fish", 0), nullptr);
    EXPECT_EQ(Image_Get_SpriteSheet("sharks", 1), nullptr);
    EXPECT_EQ(Image_Get_Animation("swim", -1), nullptr);
    auto lines = log_.lines();
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(before));
    std::vector<std::string> errors;
    for (const auto &l : lines)
        if (l.rfind("[ERROR] (image:", 0) == 0)
            errors.push_back(l.substr(l.find(") ") + 2));
    const std::vector<std::string> expected = {
        "Invalid sprite handle provided.",
        "Sprite handle was too large.",
        "Sprite Sheet handle was too large.",
        "Animation handle was too large.",
        "Invalid sprite handle provided.",
        "Could not get sprite: Fish",
        "Invalid sprite handle provided.",
        "Could not get sprite sheet: sharks",
        "Invalid sprite handle provided.",
        "Could not get animation: swim",
    };
    EXPECT_EQ(errors, expected);
    EXPECT_TRUE(HasLine(lines, "DEBUG image:Image_search_array_for():", ": Returning NULL"));
    EXPECT_TRUE(HasLine(log_.lines(), "DEBUG image:Image_search_array_for():",
                        ": Matched strings fish and fish"));
    EXPECT_TRUE(InOrder(log_.lines(), {"Loaded Sprite Sheet: background1", "Loaded Sprite Sheet: shark",
                                       "Loaded Sprite: fish", "Loaded Sprite: fish",
                                       "Loaded Sprite: other"}));
}

TEST_F(ImageTest, StoresRefuseAddsWithoutInitOrRoom)
{
    Sprite_t frame{};
    EXPECT_EQ(Image_LoadSpriteSheet("a.bmp", "s", 1, 255, 0, 255), -1);
    EXPECT_EQ(Image_AddSprite("p", 0, 0, 0, 1, 1), -1);
    EXPECT_EQ(Image_AddAnimation("an", 1, &frame), -1);
    EXPECT_TRUE(InOrder(log_.lines(),
                        {"Sprite Sheet memory not initialised. Make sure Image_Init(...) is called.",
                         "Failed to load Sprite Sheet: s",
                         "Sprite memory not initialised. Make sure Image_Init(...) is called.",
                         "Failed to load sprite: p",
                         "Animation memory not initialised. Make sure Image_Init(...) is called!",
                         "Failed to load animation: an"}));

    ASSERT_EQ(Image_Init(0, 0, 0), 0);
    EXPECT_EQ(Image_LoadSpriteSheet("a.bmp", "s", 1, 255, 0, 255), -1);
    EXPECT_EQ(Image_AddSprite("p", 0, 0, 0, 1, 1), -1);
    EXPECT_EQ(Image_AddAnimation("an", 1, &frame), -1);
    EXPECT_TRUE(InOrder(log_.lines(), {"No space in buffer for new Sprite Sheet!",
                                       "Failed to load Sprite Sheet: s",
                                       "Not enough space in buffer for new Sprite!",
                                       "Failed to load sprite: p",
                                       "Not enough space in buffer for new Animation!",
                                       "Failed to load animation: an"}));
    EXPECT_EQ(Image_Get_SpriteSheet(nullptr, 0), nullptr);
    EXPECT_FALSE(log_.contains("Loaded"));

    /* One slot each: the second add finds the store full. */
    Image_FreeAll();
    ASSERT_EQ(Image_Init(1, 1, 1), 0);
    EXPECT_EQ(Image_LoadSpriteSheet("a.bmp", "s1", 1, 255, 0, 255), 0);
    EXPECT_EQ(Image_LoadSpriteSheet("a.bmp", "s2", 1, 255, 0, 255), -1);
    EXPECT_EQ(Image_AddSprite("p1", 0, 0, 0, 1, 1), 0);
    EXPECT_EQ(Image_AddSprite("p2", 0, 0, 0, 1, 1), -1);
    EXPECT_EQ(Image_Find_SpriteSheet("s2"), -1);
    EXPECT_EQ(Image_Find_Sprite("p2"), -1);
}

TEST_F(ImageTest, InitReportsTheMissingArrayAndKeepsTheRest)
{
    /* The third array (the sprite records) cannot be had. */
    Mem_TestReset(3, 0);
    EXPECT_EQ(Image_Init(2, 2, 2), -1);
    Mem_TestReset(0, 0);
    EXPECT_TRUE(log_.contains("Out of memory."));
    EXPECT_EQ(Image_LoadSpriteSheet("a.bmp", "s", 1, 255, 0, 255), 0);
    EXPECT_EQ(Image_AddSprite("p", 0, 0, 0, 1, 1), -1);
    EXPECT_TRUE(log_.contains("Sprite memory not initialised. Make sure Image_Init(...) is called."));
    EXPECT_EQ(Image_FreeAll(), 0);
    EXPECT_TRUE(log_.contains("All image memory cleaned."));
}

TEST_F(ImageTest, ColourKeyHidesOnlyTheKeyColour)
{
    ASSERT_EQ(Image_Init(4, 1, 1), 0);
    ASSERT_EQ(Image_LoadSpriteSheet("a.bmp", "keyed", 1, 255, 0, 255), 0);
    ASSERT_EQ(Image_LoadSpriteSheet("a.bmp", "plain", 0, 255, 0, 255), 0);
    ASSERT_EQ(Image_LoadSpriteSheet("a.bmp", "negative", -1, 255, 0, 255), 0);
    ASSERT_EQ(Image_LoadSpriteSheet("a.bmp", "redkey", 1, 255, 0, 0), 0);

    SDL_Surface *keyed = Image_Get_SpriteSheet("keyed", -1);
    Uint32 key = 0;
    ASSERT_EQ(SDL_GetColorKey(keyed, &key), 0);
    EXPECT_EQ(key, SDL_MapRGB(keyed->format, 255, 0, 255));
    /* Kept as the loader made it. */
    EXPECT_EQ(keyed->format->format, static_cast<Uint32>(SDL_PIXELFORMAT_ARGB8888));
    EXPECT_NE(SDL_GetColorKey(Image_Get_SpriteSheet("plain", -1), &key), 0);

    EXPECT_EQ(DrawnPixels(keyed), (std::vector<Uint32>{kBlack, kRed}));
    EXPECT_EQ(DrawnPixels(Image_Get_SpriteSheet("plain", -1)), (std::vector<Uint32>{kMagenta, kRed}));
    EXPECT_EQ(DrawnPixels(Image_Get_SpriteSheet("negative", -1)), (std::vector<Uint32>{kMagenta, kRed}));
    EXPECT_EQ(DrawnPixels(Image_Get_SpriteSheet("redkey", -1)), (std::vector<Uint32>{kMagenta, kBlack}));
    /* Drawing twice gives the same picture. */
    EXPECT_EQ(DrawnPixels(keyed), (std::vector<Uint32>{kBlack, kRed}));
}

TEST_F(ImageTest, AnimationFramesFormARing)
{
    ASSERT_EQ(Image_Init(1, 4, 4), 0);
    ASSERT_EQ(Image_LoadSpriteSheet("b.bmp", "s", 1, 255, 0, 255), 0);
    ASSERT_EQ(Image_AddSprite("f1", 0, 0, 0, 1, 1), 0);
    ASSERT_EQ(Image_AddSprite("f2", 0, 1, 0, 1, 1), 0);
    ASSERT_EQ(Image_AddSprite("f3", 0, 2, 0, 1, 1), 0);
    Sprite_t *f1 = Image_Get_Sprite("f1", -1);
    Sprite_t *f2 = Image_Get_Sprite("f2", -1);
    Sprite_t *f3 = Image_Get_Sprite("f3", -1);
    f2->frameTime = 7; /* frames keep the time of the sprite they copy */

    ASSERT_EQ(Image_AddAnimation("swim", 3, f1, f2, f3), 0);
    ASSERT_EQ(Image_AddAnimation("still", 1, f3), 0);
    EXPECT_TRUE(log_.contains("Loaded Animation: swim"));

    Sprite_t *a = Image_Get_Animation("swim", -1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, Image_Get_Animation(nullptr, 0));
    EXPECT_NE(a, f1);
    ASSERT_NE(a->next, nullptr);
    ASSERT_NE(a->next->next, nullptr);
    EXPECT_EQ(a->rect.x, 0);
    EXPECT_EQ(a->next->rect.x, 1);
    EXPECT_EQ(a->next->frameTime, 7);
    EXPECT_EQ(a->next->next->rect.x, 2);
    EXPECT_EQ(a->next->next->frameTime, -1);
    EXPECT_EQ(a->next->next->next, a);
    EXPECT_EQ(a->sheet, f1->sheet);
    /* The store's sprites are untouched by the copies. */
    EXPECT_EQ(f1->next, nullptr);

    Sprite_t *still = Image_Get_Animation(nullptr, 1);
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(still->next, still);
    EXPECT_EQ(still->rect.x, 2);
}

TEST_F(ImageTest, AnimationRefusals)
{
    ASSERT_EQ(Image_Init(1, 2, 4), 0);
    ASSERT_EQ(Image_AddSprite("f1", 0, 0, 0, 1, 1), 0);
    Sprite_t *f1 = Image_Get_Sprite("f1", -1);

    EXPECT_EQ(Image_AddAnimation("gap", 3, f1, static_cast<Sprite_t *>(nullptr), f1), -1);
    EXPECT_TRUE(InOrder(log_.lines(), {"Unexpected end of vararg list reached.", "Failed to load animation: gap"}));
    EXPECT_EQ(Image_AddAnimation("none", 0), -1);
    EXPECT_EQ(Image_AddAnimation("minus", -2), -1);
    const auto lines = log_.lines();
    EXPECT_EQ(CountLines(lines, "Failed to load animation: none"), 1u);
    EXPECT_EQ(CountLines(lines, "Failed to load animation: minus"), 1u);
    for (const char *name : {"gap", "none", "minus"})
        EXPECT_EQ(Image_Find_Animation(name), -1) << name;

    /* Nothing was added: the next animation gets the first handle. */
    ASSERT_EQ(Image_AddAnimation("ok", 1, f1), 0);
    EXPECT_EQ(Image_Find_Animation("ok"), 0);
    EXPECT_EQ(Image_Get_Animation(nullptr, 1), nullptr);
}

TEST_F(ImageTest, SpriteOnUnknownSheetIsKeptWithoutSheet)
{
    ASSERT_EQ(Image_Init(2, 2, 1), 0);
    ASSERT_EQ(Image_LoadSpriteSheet("a.bmp", "s", 1, 255, 0, 255), 0);
    EXPECT_EQ(Image_AddSprite("ghost", 7, 1, 1, 1, 1), 0);
    EXPECT_EQ(Image_AddSprite("lost", -1, 1, 1, 1, 1), 0);
    Sprite_t *ghost = Image_Get_Sprite("ghost", -1);
    ASSERT_NE(ghost, nullptr);
    EXPECT_EQ(ghost->sheet, nullptr);
    EXPECT_EQ(Image_Get_Sprite("lost", -1)->sheet, nullptr);
    EXPECT_TRUE(InOrder(log_.lines(), {"Sprite Sheet handle was too large.", "Loaded Sprite: ghost",
                                       "Invalid sprite handle provided.", "Loaded Sprite: lost"}));
    EXPECT_FALSE(log_.contains("Could not get sprite sheet"));
}

TEST_F(ImageTest, UnreadableSheetFilesFail)
{
    ASSERT_EQ(Image_Init(3, 1, 1), 0);
    {
        std::ofstream junk(res_ / "junk.bmp", std::ios::binary);
        junk << "this is no bitmap";
    }
    EXPECT_EQ(Image_LoadSpriteSheet("missing.bmp", "gone", 1, 255, 0, 255), -1);
    EXPECT_EQ(Image_LoadSpriteSheet("junk.bmp", "junk", 1, 255, 0, 255), -1);
    const auto lines = log_.lines();
    EXPECT_TRUE(InOrder(lines, {"Failed to create SDL_Surface: ", "Failed to load Sprite Sheet: gone",
                                "Failed to create SDL_Surface: ", "Failed to load Sprite Sheet: junk"}));
    /* The reason is SDL's own about the file, not a complaint about a null stream. */
    for (const auto &l : lines)
        if (l.find("Failed to create SDL_Surface: ") != std::string::npos) {
            EXPECT_EQ(l.rfind("[ERROR] (image:", 0), 0u) << l;
            EXPECT_EQ(l.find("Parameter"), std::string::npos) << l;
            EXPECT_GT(l.size(), l.find("SDL_Surface: ") + 13) << l;
        }
    EXPECT_EQ(Image_Find_SpriteSheet("gone"), -1);
    EXPECT_EQ(Image_Find_SpriteSheet("junk"), -1);

    ASSERT_EQ(Image_LoadSpriteSheet("a.bmp", "good", 1, 255, 0, 255), 0);
    EXPECT_EQ(Image_Find_SpriteSheet("good"), 0);
}

TEST_F(ImageTest, FailedNameCopiesLeaveStoresUnchanged)
{
    ASSERT_EQ(Image_Init(32, 2, 2), 0);

    /* Count the allocations of one sheet load, then fail each in turn: a
     * failed load leaves no trace, and the last one (the name copy) fails
     * the load with "Out of memory.". */
    Mem_TestReset(0, 0);
    ASSERT_EQ(Image_LoadSpriteSheet("a.bmp", "probe", 1, 255, 0, 255), 0);
    const long requests = Mem_TestCount();
    ASSERT_GE(requests, 2);
    ASSERT_LE(requests, 30);
    int count = 1;
    for (long n = 1; n <= requests; ++n) {
        const std::string name = "s" + std::to_string(n);
        Mem_TestReset(n, 0);
        const int rc = Image_LoadSpriteSheet("a.bmp", name.c_str(), 1, 255, 0, 255);
        Mem_TestReset(0, 0);
        if (rc == 0) {
            EXPECT_EQ(Image_Find_SpriteSheet(name.c_str()), count) << n;
            ++count;
            continue;
        }
        EXPECT_EQ(Image_Find_SpriteSheet(name.c_str()), -1) << n;
        EXPECT_EQ(Image_Get_SpriteSheet(nullptr, count), nullptr) << n;
        EXPECT_TRUE(log_.contains("Failed to load Sprite Sheet: " + name)) << n;
        if (n == requests) {
            EXPECT_NE(LineBefore(log_.lines(), "Failed to load Sprite Sheet: " + name).find(") Out of memory."),
                      std::string::npos);
        }
    }
    EXPECT_FALSE(log_.contains("Loaded Sprite Sheet: s" + std::to_string(requests)));

    Mem_TestReset(1, 0);
    EXPECT_EQ(Image_AddSprite("spr", 0, 0, 0, 1, 1), -1);
    Mem_TestReset(0, 0);
    EXPECT_NE(LineBefore(log_.lines(), "Failed to load sprite: spr").find(") Out of memory."), std::string::npos);
    EXPECT_EQ(Image_Get_Sprite(nullptr, 0), nullptr);
    ASSERT_EQ(Image_AddSprite("spr2", 0, 0, 0, 1, 1), 0);
    EXPECT_EQ(Image_Find_Sprite("spr2"), 0);
    Sprite_t *spr = Image_Get_Sprite(nullptr, 0);

    /* First the frame list, then the name copy. */
    for (int n = 1; n <= 2; ++n) {
        const std::string name = "anim" + std::to_string(n);
        Mem_TestReset(n, 0);
        EXPECT_EQ(Image_AddAnimation(name.c_str(), 1, spr), -1) << n;
        Mem_TestReset(0, 0);
        EXPECT_EQ(Image_Get_Animation(nullptr, 0), nullptr) << n;
        EXPECT_NE(LineBefore(log_.lines(), "Failed to load animation: " + name).find(") Out of memory."),
                  std::string::npos)
            << n;
    }
    ASSERT_EQ(Image_AddAnimation("anim", 1, spr), 0);
    EXPECT_EQ(Image_Find_Animation("anim"), 0);
}

TEST_F(ImageTest, SetSpriteCopiesTheSpriteIntoTheState)
{
    ASSERT_EQ(Image_Init(1, 1, 1), 0);
    ASSERT_EQ(Image_LoadSpriteSheet("b.bmp", "s", 1, 255, 0, 255), 0);
    ASSERT_EQ(Image_AddSprite("p", 0, 1, 0, 2, 1), 0);
    Sprite_t *p = Image_Get_Sprite("p", -1);

    SpriteState_t state{};
    state.dst = SDL_Rect{10, 20, 30, 40};
    state.animated = 1;
    state.frameCounter = 9;
    EXPECT_EQ(Image_SetSprite(&state, p), 0);
    EXPECT_EQ(state.current, p);
    EXPECT_EQ(state.sheet, Image_Get_SpriteSheet("s", -1));
    EXPECT_EQ(state.src.x, 1);
    EXPECT_EQ(state.src.w, 2);
    EXPECT_EQ(state.dst.x, 10);
    EXPECT_EQ(state.dst.h, 40);
    EXPECT_EQ(state.animated, 1);
    EXPECT_EQ(state.frameCounter, 9);

    EXPECT_EQ(Image_SetSprite(nullptr, p), -1);
    EXPECT_EQ(Image_SetSprite(&state, nullptr), -1);
    EXPECT_EQ(CountLines(log_.lines(), "Bad parameters - NULL passed to function."), 2u);
    EXPECT_EQ(state.current, p);
}

} // namespace

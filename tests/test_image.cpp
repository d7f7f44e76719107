

#include "test_support.h"

namespace {

using namespace fmtest;

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        /* Each test points the resource folder at its own temporary res/. */
        bstring_destroy(RESOURCE_PATH);
        RESOURCE_PATH = nullptr;
        const fs::path res = dir_.path() / "res";
        fs::create_directories(res);
        ASSERT_EQ(File_InitialiseResourcePathFrom(((dir_.path() / "bin").string() + "/").c_str()), 0);
        if (reinterpret_cast<char *>(RESOURCE_PATH->data) != res.string() + "/")
            GTEST_SKIP() << "temporary folder name itself holds \"bin\"";
        SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, 2, 1, 32, SDL_PIXELFORMAT_ARGB8888);
        static_cast<Uint32 *>(s->pixels)[0] = 0xFFFF00FF; /* the key colour, then red */
        static_cast<Uint32 *>(s->pixels)[1] = 0xFFFF0000;
        ASSERT_EQ(SDL_SaveBMP(s, (res / "a.bmp").string().c_str()), 0) << SDL_GetError();
        SDL_FreeSurface(s);
    }
    void TearDown() override {
        Mem_TestReset(0, 0);
        Image_FreeAll();
    }
    /* The messages of the store's ERROR lines written since the mark. */
    std::vector<std::string> ErrorsSince(size_t mark) const {
        std::vector<std::string> out, lines = log_.lines();
        for (auto l = lines.begin() + static_cast<long>(mark); l < lines.end(); ++l)
            if (l->rfind("[ERROR] (image:", 0) == 0) out.push_back(l->substr(l->find(") ") + 2));
        return out;
    }

    LogCapture log_;
    TempDir dir_;
};

TEST_F(ImageTest, Animations) {
    /* Frames keep the time of the sprite they copy. */
    Sprite_t f[3] = {{{0, 0, 1, 1}, nullptr, nullptr, -1}, {{1, 0, 1, 1}, nullptr, nullptr, 7},
        {{2, 0, 1, 1}, nullptr, nullptr, -1}};
    ASSERT_EQ(Image_Init(1, 1, 4), 0);
    EXPECT_EQ(Image_AddAnimation("gap", 3, &f[0], static_cast<Sprite_t *>(nullptr), &f[2]), -1);
    EXPECT_EQ(Image_AddAnimation("none", 0), -1);
    EXPECT_TRUE(InOrder(log_.lines(),
        {"Unexpected end of vararg list reached.", "Failed to load animation: gap", "Failed to load animation: none"}));
    ASSERT_EQ(Image_AddAnimation("swim", 3, &f[0], &f[1], &f[2]), 0);
    Sprite_t *a = Image_Get_Animation(nullptr, 0); /* the refused ones took no handle */
    ASSERT_EQ(a, Image_Get_Animation("swim", -1));
    ASSERT_TRUE(a && a != &f[0] && a->next && a->next->next);
    EXPECT_EQ(
        (std::vector<int>{a->next->rect.x, a->next->frameTime, a->next->next->rect.x}), (std::vector<int>{1, 7, 2}));
    EXPECT_TRUE(a->next->next->next == a && !f[0].next);
    SpriteState_t state{};
    EXPECT_EQ(Image_SetSprite(nullptr, a) + Image_SetSprite(&state, nullptr), -2);
    const long live = Mem_TestLive();
    Image_FreeAll(); /* the ring and its name */
    EXPECT_EQ(Mem_TestLive(), live - 8);
}

TEST_F(ImageTest, FailedAddsLeaveStoresUnchanged) {
    Sprite_t frame{};
    ASSERT_EQ(Image_Init(2, 2, 2), 0);
    Mem_TestReset(0, 0);
    ASSERT_EQ(Image_LoadSpriteSheet("a.bmp", "probe", 1, 255, 0, 255), 0);
    const long per_load = Mem_TestCount(); /* the name copy is a load's last allocation */
    EXPECT_EQ((std::vector<int>{Starved(per_load, [] { return Image_LoadSpriteSheet("a.bmp", "s", 1, 255, 0, 255); }),
                  Starved(1, [] { return Image_AddSprite("p", 0, 0, 0, 1, 1); }),
                  Starved(2, [&] { return Image_AddAnimation("an", 1, &frame); }), /* the frame list, then the name */
                  Image_AddSprite(nullptr, 0, 0, 0, 1, 1)}),
        (std::vector<int>{-1, -1, -1, -1}));
    EXPECT_EQ(
        ErrorsSince(0), (std::vector<std::string>{"Out of memory.", "Failed to load Sprite Sheet: s", "Out of memory.",
                            "Failed to load sprite: p", "Out of memory.", "Failed to load animation: an",
                            "Bad parameters - NULL passed to function.", "Failed to load sprite: (null)"}));
    const size_t mark = log_.lines().size();
    EXPECT_EQ(Image_LoadSpriteSheet("missing.bmp", "gone", 1, 255, 0, 255), -1);
    const auto errors = ErrorsSince(mark);
    ASSERT_EQ(errors.size(), 2u);
    /* SDL's own reason about the file, not a complaint about a null stream. */
    EXPECT_TRUE(errors[0].rfind("Failed to create SDL_Surface: ", 0) == 0 && errors[0].size() > 30 &&
                errors[0].find("Parameter") == std::string::npos)
        << errors[0];
    EXPECT_EQ(errors[1], "Failed to load Sprite Sheet: gone");
    /* The loader's own steps name the loader: the path (first allocation), its C copy (the one before the name). */
    for (long n : {1L, per_load - 1}) Starved(n, [] { return Image_LoadSpriteSheet("a.bmp", "s", 1, 255, 0, 255); });
    std::vector<std::string> where;
    for (const auto &l : log_.lines())
        if (l.find("Failed to create SDL") != l.npos || l.find("resource path") != l.npos)
            where.push_back(l.substr(l.find(':') + 1, l.find("()") - l.find(':') - 1) + l.substr(l.find(") ") + 1, 25));
    EXPECT_EQ(where,
        (std::vector<std::string>{"Image_LoadSpriteSheet Failed to create SDL_Sur",
            "Image_LoadSpriteSheet Failed to get resource p", "Image_LoadSpriteSheet Failed to convert resour"}));
    EXPECT_TRUE(
        !Image_Get_SpriteSheet(nullptr, 1) && !Image_Get_Animation(nullptr, 0) && !Image_Get_Sprite(nullptr, 0));
}

/* A 3 x 2, 24-bit picture (rows of 12 bytes, 9 of them pixels) with header
 * fields replaced and the file cut: what the sheet load says of it. Cut
 * files whose header claims more rows than the bytes hold are refused
 * before SDL sizes a surface for them; anything else is left to SDL. */
TEST_F(ImageTest, HeaderCheckRefusesPicturesTheirBytesCannotHold) {
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, 3, 2, 24, SDL_PIXELFORMAT_RGB24);
    ASSERT_EQ(SDL_SaveBMP(s, (dir_.path() / "res" / "p.bmp").c_str()), 0);
    SDL_FreeSurface(s);
    const std::string intact = ReadFile(dir_.path() / "res" / "p.bmp");
    ASSERT_EQ(intact.size(), 78u);
    const std::string ours = "BMP file claims ";
    const struct {
        int at;
        Uint32 value;
        int bytes;
        size_t cut;
        std::string want;
    } rows[] = {{0, 0, 0, 78, ""}, {22, static_cast<Uint32>(-2), 4, 78, ""}, {0, 0, 0, 75, "sdl"},
        {0, 0, 0, 74, ours + "3x2 pixels, more than its 74 bytes hold"},
        {0, 0, 0, 66, ours + "3x2 pixels, more than its 66 bytes hold"},
        {18, 0x10003, 4, 78, ours + "65539x2 pixels, more than its 78 bytes hold"},
        {22, 0x1000002, 4, 78, ours + "3x16777218 pixels, more than its 78 bytes hold"},
        {22, static_cast<Uint32>(-2), 4, 74, ours + "3x-2 pixels, more than its 74 bytes hold"},
        {30, 3, 4, 74, ours + "3x2"}, {30, 6, 4, 74, ours + "3x2"}, {30, 7, 4, 74, "sdl"}, {30, 1, 4, 74, "sdl"},
        {14, 39, 4, 74, "sdl"}, {28, 0, 2, 74, "sdl"}, {18, 0, 4, 74, "sdl"}, {22, 0, 4, 74, "sdl"},
        {22, 0x80000000, 4, 74, "sdl"}, {10, 0x10036, 4, 78, ours + "3x2 pixels, more than its 78 bytes hold"},
        {0, 'X', 1, 74, "sdl"}, {0, 0, 0, 30, "sdl"}};
    int n = 0;
    for (const auto &r : rows) {
        std::string bytes = intact;
        for (int i = 0; i < r.bytes; ++i) bytes[r.at + i] = static_cast<char>(r.value >> (8 * i));
        bytes.resize(r.cut);
        const std::string name = "p" + std::to_string(n++) + ".bmp";
        std::ofstream(dir_.path() / "res" / name, std::ios::binary) << bytes;
        ASSERT_EQ(Image_Init(1, 0, 0), 0);
        const size_t mark = log_.lines().size();
        const bool loaded = Image_LoadSpriteSheet(name.c_str(), "p", 0, 0, 0, 0) == 0;
        const auto errors = ErrorsSince(mark);
        const std::string said =
            errors.empty() ? "" : errors[0].substr(std::string("Failed to create SDL_Surface: ").size());
        SCOPED_TRACE(name + ": " + said);
        if (r.want == "sdl")
            EXPECT_TRUE(!loaded || said.empty() ? said.find(ours) == std::string::npos : false);
        else if (r.want.empty())
            EXPECT_TRUE(loaded);
        else
            EXPECT_EQ(said.substr(0, r.want.size()), r.want);
    }
}

TEST_F(ImageTest, KeyedSheetsUpTo128RowsWithoutAlphaAreRunLengthEncoded) {
    const struct {
        int h;
        Uint32 format;
        int key;
        bool rle;
    } rows[] = {{128, SDL_PIXELFORMAT_RGB24, 1, true}, {129, SDL_PIXELFORMAT_RGB24, 1, false},
        {8, SDL_PIXELFORMAT_RGB24, 0, false}, {8, SDL_PIXELFORMAT_ARGB8888, 1, false}};
    ASSERT_EQ(Image_Init(4, 0, 0), 0);
    for (int i = 0; i < 4; ++i) {
        SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, 4, rows[i].h, 0, rows[i].format);
        const std::string name = "r" + std::to_string(i) + ".bmp";
        ASSERT_EQ(SDL_SaveBMP(s, (dir_.path() / "res" / name).c_str()), 0);
        SDL_FreeSurface(s);
        ASSERT_EQ(Image_LoadSpriteSheet(name.c_str(), name.c_str(), rows[i].key, 255, 0, 255), 0);
        SDL_Surface *sheet = Image_Get_SpriteSheet(nullptr, i);
        EXPECT_EQ(SDL_HasSurfaceRLE(sheet) == SDL_TRUE, rows[i].rle) << rows[i].h;
        EXPECT_EQ(SDL_HasColorKey(sheet) == SDL_TRUE, rows[i].key == 1) << rows[i].h;
    }
}

} // namespace

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

    TempDir dir_;
};

TEST_F(ImageTest, Animations) {
    Transcript t("image_animations");
    Sprite_t f[3]{};
    for (int i = 0; i < 3; ++i) f[i].rect.x = i;
    f[1].frameTime = 7; /* frames keep the time of the sprite they copy */
    SAY(t, Image_Init(1, 1, 1));
    SAY(t, Image_AddAnimation("gap", 3, &f[0], static_cast<Sprite_t *>(nullptr), &f[2]));
    SAY(t, Image_AddAnimation("none", 0));
    SAY(t, Image_AddAnimation("swim", 3, &f[0], &f[1], &f[2]));
    SAY(t, Image_AddAnimation("more", 1, &f[0]));          /* the store is full */
    Sprite_t *a = SAY(t, Image_Get_Animation(nullptr, 0)); /* the refused ones took no handle */
    SAY(t, a == Image_Get_Animation("swim", -1));
    SAY(t, a != &f[0] && f[0].next == nullptr); /* a copy: the caller's frames stay unlinked */
    SAY(t, a->next->rect.x);
    SAY(t, a->next->frameTime);
    SAY(t, a->next->next->rect.x);
    SAY(t, a->next->next->next == a);
    SpriteState_t state{};
    SAY(t, Image_SetSprite(nullptr, a));
    SAY(t, Image_SetSprite(&state, nullptr));
    const long live = Mem_TestLive();
    SAY(t, Image_FreeAll());
    SAY(t, live - Mem_TestLive()); /* the six stores, the ring and its name */
}

TEST_F(ImageTest, FailedAddsLeaveStoresUnchanged) {
    Transcript t("image_refusals");
    Sprite_t frame{};
    SAY(t, Image_Init(2, 2, 2));
    Mem_TestReset(0, 0);
    SAY(t, Image_LoadSpriteSheet("a.bmp", "probe", 1, 255, 0, 255));
    const long per_load = SAY(t, Mem_TestCount());
    /* The path (a load's first allocation), its C copy, the name copy (its last). */
    for (long n : {1L, per_load - 1, per_load})
        SAY(t.Let("n", n), Starved(n, [] { return Image_LoadSpriteSheet("a.bmp", "s", 1, 255, 0, 255); }));
    SAY(t, Starved(1, [] { return Image_AddSprite("p", 0, 0, 0, 1, 1); }));
    for (long n : {1, 2}) /* list, name */
        SAY(t.Let("n", n), Starved(n, [&] { return Image_AddAnimation("an", 1, &frame); }));
    SAY(t, Image_AddSprite(nullptr, 0, 0, 0, 1, 1));
    SAY(t, Image_Get_SpriteSheet(nullptr, 1));
    SAY(t, Image_Get_Animation(nullptr, 0));
    SAY(t, Image_Get_Sprite(nullptr, 0));
}

/* A BMP header field: its name, where it lies and how many bytes it takes. */
struct Field {
    const char *name;
    int at;
    int bytes;
};
const Field kMagic{"second byte (77, an M, in a BMP)", 1, 1};
const Field kPixelOffset{"pixel data offset", 10, 4};
const Field kInfoSize{"info header size", 14, 4};
const Field kWidth{"width", 18, 4};
const Field kHeight{"height", 22, 4};
const Field kBits{"bits a pixel", 28, 2};
const Field kCompression{"compression", 30, 4};
const Field kCoreHeight{"height in a 12-byte header", 20, 2};
const Field kCoreBits{"bits a pixel in a 12-byte header", 24, 2};

/* A 3 x 2, 24-bit picture (rows of 12 bytes, 9 of them pixels, from byte
 * 54) with header fields replaced and the file cut: whether the sheet
 * load's header check refuses it before SDL sizes a surface. What it lets
 * through is SDL's to judge, whose verdicts and wording change between its
 * versions. */
TEST_F(ImageTest, HeaderCheckRefusesWhatTheFileCannotHold) {
    Transcript t("image_header_check");
    const fs::path file = dir_.path() / "res" / "p.bmp";
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, 3, 2, 24, SDL_PIXELFORMAT_RGB24);
    SAY(t, SDL_SaveBMP(s, file.c_str()));
    SDL_FreeSurface(s);
    const std::string intact = ReadFile(file);
    SAY(t, intact.size());
    /* The fields set, then the length the file is cut to. */
    const std::pair<std::vector<std::pair<Field, long>>, size_t> rows[] = {
        {{{kHeight, -2}}, 78},
        {{}, 75},
        {{}, 74},
        {{}, 30},
        {{{kMagic, 'X'}}, 30},
        {{{kHeight, -2}}, 74},
        {{{kPixelOffset, 0x10036}}, 78},
        {{{kCompression, 3}}, 74},
        {{{kCompression, 6}}, 74},
        {{{kCompression, 4}}, 78},
        {{{kCompression, 7}}, 78},
        {{{kCompression, 1}}, 78},
        {{{kCompression, 2}, {kBits, 4}}, 78},
        {{{kCompression, 1}, {kBits, 8}, {kHeight, 1020}}, 78},
        {{{kCompression, 1}, {kBits, 8}, {kHeight, 1021}}, 78},
        {{{kInfoSize, 39}}, 78},
        {{{kInfoSize, 41}}, 78},
        {{{kInfoSize, 52}}, 78},
        {{{kInfoSize, 56}}, 78},
        {{{kInfoSize, 64}}, 78},
        {{{kInfoSize, 108}}, 78},
        {{{kInfoSize, 124}}, 78},
        {{{kInfoSize, 12}, {kCoreHeight, 2}, {kCoreBits, 24}}, 78},
        {{{kInfoSize, 12}, {kCoreHeight, 3}, {kCoreBits, 24}}, 78},
        {{{kBits, 0}}, 74},
        {{{kWidth, 0}}, 74},
        {{{kHeight, 0}}, 74},
        {{{kHeight, INT32_MIN}}, 74},
    };
    const int sheets = static_cast<int>(std::size(rows));
    SAY(t.Let("sheets", sheets), Image_Init(sheets, 0, 0));
    for (const auto &[fields, cut] : rows) {
        std::string bytes = intact;
        std::string set;
        for (const auto &[field, value] : fields) {
            for (int i = 0; i < field.bytes; ++i) bytes[field.at + i] = static_cast<char>(value >> (8 * i));
            set += std::string(field.name) + " " + std::to_string(value) + ", ";
        }
        bytes.resize(cut);
        std::ofstream(file, std::ios::binary) << bytes;
        const LogOff off; /* its lines would carry SDL's own wording */
        const bool refused = Image_LoadSpriteSheet("p.bmp", "p", 0, 0, 0, 0) != 0;
        const std::string said = SDL_GetError();
        const bool ours = refused && said.rfind("BMP file claims ", 0) == 0;
        t.Note(set + "cut to " + std::to_string(cut) + " bytes: " + (ours ? said : "left to SDL"));
    }
}

TEST_F(ImageTest, KeyedSheetsUpTo128RowsWithoutAlphaAreRunLengthEncoded) {
    Transcript t("image_rle");
    /* A sheet's height, its pixel format and whether it is colour-keyed. */
    const std::tuple<int, Uint32, int> rows[] = {
        {128, SDL_PIXELFORMAT_RGB24, 1},
        {129, SDL_PIXELFORMAT_RGB24, 1},
        {8, SDL_PIXELFORMAT_RGB24, 0},
        {8, SDL_PIXELFORMAT_ARGB8888, 1},
    };
    SAY(t, Image_Init(4, 0, 0));
    for (const auto &[h, format, key] : rows) {
        SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, 4, h, 0, format);
        SAY(t, SDL_SaveBMP(s, (dir_.path() / "res" / "r.bmp").c_str()));
        SDL_FreeSurface(s);
        const std::string name = std::to_string(h) + " rows of " + SDL_GetPixelFormatName(format);
        SAY(t.Let("name", name).Let("key", key), Image_LoadSpriteSheet("r.bmp", name.c_str(), key, 255, 0, 255));
        SDL_Surface *sheet = SAY(t.Let("name", name), Image_Get_SpriteSheet(name.c_str(), -1));
        SAY(t, SDL_HasSurfaceRLE(sheet) == SDL_TRUE);
        SAY(t, SDL_HasColorKey(sheet) == SDL_TRUE);
    }
    SAY(t, Image_LoadSpriteSheet("r.bmp", "one more", 0, 0, 0, 0)); /* the store is full */
}

} // namespace

/* Broken picture files: each of the four sheets in turn missing, empty, cut
 * short, not a picture at all, with a header claiming absurd sizes, or
 * valid but too small for the sprites cut from it. A broken sheet must stop
 * start-up at the image step, a small one must just draw less; never a crash. */
#include <gtest/gtest.h>

#include <cstring>

#include "child_process.h"
#include "game_main.h"
#include "game_manifest.h"
#include "ashare/share_utils.h"

using namespace fmtest;
namespace fs = std::filesystem;

namespace {

using Sheet = ManifestSheet;
const auto &kSheets = kManifestSheets;

enum class Bad { Missing, Empty, Truncated, Text, Huge, TallSliver, TooSmall };

/* Colour of the small stand-in pictures: neither the key colour nor any
 * colour of the background's top rows. */
constexpr Uint8 kSmallR = 1, kSmallG = 254, kSmallB = 3;

/* res holds copies of the real sheets, with the given one made bad. */
void FillRes(const fs::path &res, const Sheet &sheet, Bad bad)
{
    fs::copy(FINMAW_SOURCE_RES_DIR, res);
    const fs::path target = res / sheet.file;
    std::string bytes = ReadFile(target);
    switch (bad) {
    case Bad::Missing: fs::remove(target); return;
    case Bad::Empty: bytes.clear(); break;
    case Bad::Truncated: bytes.resize(bytes.size() / 2); break;
    case Bad::Text: bytes = "This is a plain text file, not a picture.\n"; break;
    case Bad::Huge: memcpy(&bytes[18], "\xff\xff\xff\x7f\xff\xff\xff\x7f", 8); break; /* width, height */
    case Bad::TallSliver: memcpy(&bytes[18], "\x01\0\0\0\xff\xff\xff\x7f", 8); break;
    case Bad::TooSmall:
        SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, 8, 8, 24, SDL_PIXELFORMAT_RGB24);
        SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, kSmallR, kSmallG, kSmallB));
        ASSERT_EQ(SDL_SaveBMP(s, target.c_str()), 0);
        SDL_FreeSurface(s);
        return;
    }
    std::ofstream(target, std::ios::binary | std::ios::trunc) << bytes;
}

/* The program in bin/ of a temporary folder with the pictures in its res/,
 * run from the folder itself; stopped once its first frame is logged, if it
 * gets that far. Fills in "startup.log" and "run.log" (or "none"). */
ChildOutcome RunWithBadSheet(const Sheet &sheet, Bad bad, std::string &startup, std::string &run)
{
    ResTempDir root;
    const fs::path work = root.path(), bin = root.path() / "bin";
    fs::create_directories(bin);
    fs::copy_file(std::string(FINMAW_BIN_DIR) + "finmaw", bin / "finmaw");
    FillRes(root.path() / "res", sheet, bad);
    const ChildOutcome out = RunProgram((bin / "finmaw").string(), work, work / "stderr.txt",
                                        {"SDL_VIDEODRIVER=dummy"}, WhenLogged(work / "run.log", "Score: 0"));
    startup = ReadFile(work / "startup.log");
    run = fs::exists(work / "run.log") ? ReadFile(work / "run.log") : "none";
    return out;
}

TEST(BadPictures, BrokenSheetFailsTheImageStep)
{
    for (Bad bad : {Bad::Missing, Bad::Empty, Bad::Truncated, Bad::Text, Bad::Huge, Bad::TallSliver})
        for (const Sheet &sheet : kSheets) {
            SCOPED_TRACE(std::string(sheet.file) + ", bad kind " + std::to_string(static_cast<int>(bad)));
            std::string startup, run;
            const ChildOutcome out = RunWithBadSheet(sheet, bad, startup, run);
            EXPECT_TRUE(out.Clean() && out.status != 0) << out.Describe();
            std::vector<std::string> needles = {"Failed to create SDL_Surface: ",
                                                std::string("Failed to load Sprite Sheet: ") + sheet.name,
                                                "[ERROR] (game:Main_StartImage():", "Failed to initialise image module data.",
                                                "Closing down systems.", "All cleaning done."};
            for (const Sheet *s = kSheets; s != &sheet; ++s) /* the sheets before it loaded */
                needles.insert(needles.begin() + (s - kSheets), std::string("Loaded Sprite Sheet: ") + s->name);
            EXPECT_TRUE(InOrder(SplitLines(startup), needles)) << startup;
            EXPECT_TRUE(startup.find("Started Image systems.") == std::string::npos && run == "none") << run;
        }
}

/* Where the first frame shows a small sheet and where not: digit 0 is cut
 * from x 0, so only its top-left 8 x 8 exists, and nothing of digit 3 (from
 * x 30); the shark's idle sprite starts at row 40, below the whole sheet. */
const struct { const char *file; SDL_Rect area; bool small; } kProbes[] = {
    {"font.bmp", {30, 25, 8, 8}, true}, {"font.bmp", {38, 25, 2, 12}, false}, {"font.bmp", {400, 25, 10, 12}, false},
    {"back.bmp", {0, 0, 8, 8}, true}, {"shark.bmp", {0, 200, 110, 40}, false}};

/* In this process's own copy, so that a sanitizer build watches every blit:
 * the first frame, then every fish kind, a bite and the hitbox view for a
 * few frames. Returns 0, or what went wrong. */
int PlaySmallSheet(const fs::path &res, const std::string &file)
{
    static Game_t game;
    if (File_InitialiseResourcePathFrom((res.string() + "/").c_str()) != 0 || Game_Startup(&game) != 0)
        return 60;
    Game_LoopBegin(&game);
    int status = game.screen->format->BytesPerPixel == 4 && Game_Frame(&game) == 0 ? 0 : 61;
    for (const auto &p : kProbes)
        for (int y = p.area.y; status == 0 && file == p.file && y < p.area.y + p.area.h; ++y)
            for (int x = p.area.x; x < p.area.x + p.area.w; ++x) {
                Uint8 r, g, b; /* a 32-bit screen */
                SDL_GetRGB(static_cast<const Uint32 *>(game.screen->pixels)[y * game.screen->pitch / 4 + x],
                           game.screen->format, &r, &g, &b);
                status = status ? status : (r == kSmallR && g == kSmallG && b == kSmallB) != p.small ? 62 : 0;
            }
    SDL_Event e{SDL_KEYDOWN};
    auto key = [&](SDL_Keycode k) { e.key.keysym.sym = k, Game_HandleEvent(&game, &e); };
    for (SDL_Keycode k : {SDLK_1, SDLK_2, SDLK_3, SDLK_4, SDLK_5, SDLK_6, SDLK_7, SDLK_8, SDLK_SPACE, SDLK_c})
        key(k);
    for (int frame = 0; frame < 8 && status == 0; ++frame)
        status = Game_Frame(&game) != 0 ? 61 : 0;
    return Game_Shutdown(&game) != 0 ? 64 : status;
}

TEST(BadPictures, TooSmallSheetStartsPlaysAndDrawsOnlyWhatExists)
{
    for (const Sheet &sheet : kSheets) {
        SCOPED_TRACE(sheet.file);
        std::string startup, run;
        const ChildOutcome out = RunWithBadSheet(sheet, Bad::TooSmall, startup, run);
        EXPECT_TRUE(out.Clean() && out.status == 0) << out.Describe();
        EXPECT_TRUE(InOrder(SplitLines(startup), {std::string("Loaded Sprite Sheet: ") + sheet.name,
                                                  "Started Image systems.", "Created Player in world."})) << startup;
        EXPECT_TRUE(InOrder(SplitLines(run), {"Starting up...", "Score: 0", "Quit message recieved.",
                                              "Successfully reached end of execution.", "All cleaning done."})) << run;
        ResTempDir root;
        FillRes(root.path() / "res", sheet, Bad::TooSmall);
        const ChildOutcome played = RunInChild(root.path(), root.path() / "stderr.txt",
                                               [&] { return PlaySmallSheet(root.path() / "res", sheet.file); });
        EXPECT_TRUE(played.Clean() && played.status == 0) << played.Describe();
    }
}

} // namespace

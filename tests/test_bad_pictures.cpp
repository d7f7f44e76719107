/* Broken picture files: each of the four sheets in turn missing, empty, cut
 * short, not a picture at all, with a header claiming absurd sizes, or
 * valid but too small for the sprites cut from it. A broken sheet must stop
 * start-up at the image step, a small one must just draw less; never a crash. */

#include "child_process.h"
#include "game_manifest.h"
#include "play_script.h"

using namespace fmtest;

namespace {

using Sheet = ManifestSheet;
const auto &kSheets = kManifestSheets;

enum class Bad { Missing, Empty, Truncated, Text, Huge, TallSliver, TooSmall };

/* Colour of the small stand-in pictures: neither the key colour nor any
 * colour of the background's top rows. */
constexpr Uint8 kSmallR = 1, kSmallG = 254, kSmallB = 3;

/* The sheet made bad, in place. */
void Spoil(const fs::path &target, Bad bad) {
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

/* Start-up stops at the image step: the sheets before the bad one loaded,
 * the cause, the shell's line, the whole shutdown as the last lines, and a
 * run.log from an earlier run (every other sheet has one) left as it was. */
TEST(BadPictures, BrokenSheetFailsTheImageStep) {
    for (Bad bad : {Bad::Missing, Bad::Empty, Bad::Truncated, Bad::Text, Bad::Huge, Bad::TallSliver})
        for (const Sheet &sheet : kSheets) {
            SCOPED_TRACE(std::string(sheet.file) + ", bad kind " + std::to_string(static_cast<int>(bad)));
            Sandbox box;
            Spoil(box.root / "res" / sheet.file, bad);
            const bool earlier = (&sheet - kSheets) % 2 == 1;
            if (earlier) std::ofstream(box.work / "run.log") << "an earlier run\n";
            const ChildOutcome out = box.Run("dummy", Stop::AfterFirstFrame);
            EXPECT_TRUE(out.Clean() && out.status != 0) << out.Describe();
            std::vector<std::string> needles = {"Started SDL systems.", "Created Window and SDL Surfaces."};
            for (const Sheet *s = kSheets; s != &sheet; ++s)
                needles.push_back(std::string("Loaded Sprite Sheet: ") + s->name);
            needles.insert(needles.end(),
                {"Failed to create SDL_Surface: ", "Failed to load Sprite Sheet: " + std::string(sheet.name),
                    "[ERROR] (game:Main_StartImage():", "Failed to initialise image module data.",
                    "Closing down systems.", "Cleaning resources...", "All cleaning done."});
            const std::string startup = box.Log("startup.log");
            const auto lines = SplitLines(startup);
            EXPECT_TRUE(InOrder(lines, needles) && lines.back().find("All cleaning done.") != std::string::npos)
                << startup;
            EXPECT_EQ(startup.find("Started Image systems."), std::string::npos);
            const std::string run = fs::exists(box.work / "run.log") ? box.Log("run.log") : "none";
            EXPECT_EQ(run, earlier ? "an earlier run\n" : "none");
        }
}

/* Where the first frame shows a small sheet and where not: digit 0 is cut
 * from x 0, so only its top-left 8 x 8 exists, and nothing of digit 3 (from
 * x 30); the shark's idle sprite starts at row 40, below the whole sheet. */
const struct {
    const char *file;
    SDL_Rect area;
    bool small;
} kProbes[] = {{"font.bmp", {30, 25, 8, 8}, true}, {"font.bmp", {38, 25, 2, 12}, false},
    {"font.bmp", {400, 25, 10, 12}, false}, {"back.bmp", {0, 0, 8, 8}, true}, {"shark.bmp", {0, 200, 110, 40}, false}};

/* In this process's own copy, so that a sanitizer build watches every blit:
 * the first frame, then a short game and shutdown. Returns 0, or what went wrong. */
int PlaySmallSheet(const fs::path &res, const std::string &file) {
    static Game_t game;
    if (!Start(&game, (res.string() + "/").c_str())) return 60;
    const SDL_PixelFormat &fmt = *game.screen->format;
    const Uint32 rgb = fmt.Rmask | fmt.Gmask | fmt.Bmask, small = SDL_MapRGB(&fmt, kSmallR, kSmallG, kSmallB) & rgb;
    int status = fmt.BytesPerPixel == 4 && Game_Frame(&game) == 0 ? 0 : 61;
    for (const auto &p : kProbes)
        for (int i = 0; status == 0 && file == p.file && i < p.area.w * p.area.h; ++i) {
            const int y = p.area.y + i / p.area.w, x = p.area.x + i % p.area.w; /* a 32-bit screen */
            const Uint32 pixel = static_cast<const Uint32 *>(game.screen->pixels)[y * game.screen->pitch / 4 + x];
            status = ((pixel & rgb) == small) != p.small ? 62 : 0;
        }
    status = status ? status : Play(&game, 3) ? 63 : 0;
    return Game_Shutdown(&game) != 0 ? 64 : status;
}

TEST(BadPictures, TooSmallSheetStartsPlaysAndDrawsOnlyWhatExists) {
    for (const Sheet &sheet : kSheets) {
        SCOPED_TRACE(sheet.file);
        Sandbox box;
        Spoil(box.root / "res" / sheet.file, Bad::TooSmall);
        const ChildOutcome played =
            RunInChild(box.work, box.root / "stderr.txt", [&] { return PlaySmallSheet(box.root / "res", sheet.file); });
        EXPECT_TRUE(played.Clean() && played.status == 0) << played.Describe();
        const std::string startup = box.Log("startup.log"), run = box.Log("run.log");
        EXPECT_TRUE(InOrder(SplitLines(startup),
            {"Loaded Sprite Sheet: " + std::string(sheet.name), "Started Image systems.", "Created Player in world."}))
            << startup;
        EXPECT_TRUE(
            InOrder(SplitLines(run), {"Starting up...", "Score: 0", "Quit message recieved.", "All cleaning done."}))
            << run;
    }
}

} // namespace

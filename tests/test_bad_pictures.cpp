/* Broken picture files: each of the four sheets in turn missing, empty,
 * cut short, not a picture at all, with a header claiming impossible sizes,
 * or valid but too small for the sprites cut from it. The real program runs
 * from a copy of its install tree; a broken sheet must stop start-up at the
 * image step, a small one must just draw less. Never a crash. */
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "child_process.h"
#include "game.h"
#include "game_main.h"
#include "share_utils.h"
#include "test_support.h"

extern "C" const char *__asan_default_options() { return "exitcode=86"; }
extern "C" const char *__ubsan_default_options() { return "exitcode=86:print_stacktrace=1"; }

using fmtest::ChildOutcome;
using fmtest::InOrder;
using fmtest::ReadFile;
using fmtest::SplitLines;
namespace fs = std::filesystem;

namespace {

struct Sheet {
    const char *file;
    const char *name;
};

/* In loading order. */
const Sheet kSheets[] = {
    {"shark.bmp", "shark"},
    {"back.bmp", "background1"},
    {"fish_01.bmp", "fish1"},
    {"font.bmp", "font"},
};

enum class Bad { Missing, Empty, Truncated, NotBmp, Huge, TallSliver, NegativeWidth, TooSmall };

const char *Describe(Bad bad)
{
    switch (bad) {
    case Bad::Missing: return "missing";
    case Bad::Empty: return "empty";
    case Bad::Truncated: return "cut off halfway";
    case Bad::NotBmp: return "text, not a picture";
    case Bad::Huge: return "claiming 2147483647 x 2147483647 pixels";
    case Bad::TallSliver: return "claiming 1 x 2147483647 pixels";
    case Bad::NegativeWidth: return "claiming a negative width";
    case Bad::TooSmall: return "an 8 x 8 picture";
    }
    return "?";
}

void WriteBytes(const fs::path &p, const std::string &bytes)
{
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

/* The real sheet with its header's width and height replaced. */
std::string WithSize(const std::string &bmp, int32_t w, int32_t h)
{
    std::string out = bmp;
    memcpy(&out[18], &w, 4); /* little-endian host, as the format */
    memcpy(&out[22], &h, 4);
    return out;
}

/* A valid 24-bit picture of w x h pixels in one colour. */
void WritePlainBmp(const fs::path &p, int w, int h, Uint8 r, Uint8 g, Uint8 b)
{
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_RGB24);
    ASSERT_NE(s, nullptr) << SDL_GetError();
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, r, g, b));
    EXPECT_EQ(SDL_SaveBMP(s, p.c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(s);
}

/* Colour of the small stand-in pictures: neither the key colour nor any
 * colour of the background's top rows. */
constexpr Uint8 kSmallR = 1, kSmallG = 254, kSmallB = 3;

/* res holds copies of the real sheets, with the given one made bad. */
void FillRes(const fs::path &res, const Sheet &bad_sheet, Bad bad)
{
    fs::create_directories(res);
    for (const Sheet &s : kSheets)
        fs::copy_file(fs::path(FINMAW_SOURCE_RES_DIR) / s.file, res / s.file);
    const fs::path target = res / bad_sheet.file;
    const std::string real = ReadFile(target);
    ASSERT_GT(real.size(), 54u);
    switch (bad) {
    case Bad::Missing:
        fs::remove(target);
        break;
    case Bad::Empty:
        WriteBytes(target, "");
        break;
    case Bad::Truncated:
        WriteBytes(target, real.substr(0, real.size() / 2));
        break;
    case Bad::NotBmp:
        WriteBytes(target, "This is a plain text file, not a picture.\n");
        break;
    case Bad::Huge:
        WriteBytes(target, WithSize(real, 0x7fffffff, 0x7fffffff));
        break;
    case Bad::TallSliver:
        WriteBytes(target, WithSize(real, 1, 0x7fffffff));
        break;
    case Bad::NegativeWidth:
        WriteBytes(target, WithSize(real, -800, 400));
        break;
    case Bad::TooSmall:
        fs::remove(target);
        WritePlainBmp(target, 8, 8, kSmallR, kSmallG, kSmallB);
        break;
    }
}

struct ProgramRun {
    ChildOutcome out;
    std::string startup_log;
    bool has_run_log = false;
    std::string run_log;
};

/* The program copied into bin/ of a temporary folder, with the pictures
 * in its res/, run from its work/; stopped once its first frame is logged,
 * if it gets that far. */
ProgramRun RunWithBadSheet(const Sheet &sheet, Bad bad)
{
    fmtest::ResTempDir root;
    ProgramRun run;
    fs::create_directories(root.path() / "bin");
    fs::create_directories(root.path() / "work");
    fs::copy_file(std::string(FINMAW_BIN_DIR) + "finmaw", root.path() / "bin" / "finmaw");
    FillRes(root.path() / "res", sheet, bad);

    const fs::path run_log = root.path() / "work" / "run.log";
    fmtest::ProgramOptions opt;
    opt.exe = (root.path() / "bin" / "finmaw").string();
    opt.cwd = root.path() / "work";
    opt.err_file = root.path() / "stderr.txt";
    opt.env = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};
    opt.poll = fmtest::TerminateWhen(
        [run_log](pid_t) { return ReadFile(run_log).find("Score: 0") != std::string::npos; });
    run.out = fmtest::RunProgram(opt);
    run.startup_log = ReadFile(root.path() / "work" / "startup.log");
    run.has_run_log = fs::exists(run_log);
    run.run_log = ReadFile(run_log);
    return run;
}

/* The ERROR line the manifest writes after a failed load: nothing after
 * the prefix. */
bool IsEmptyErrorLine(const std::string &line)
{
    return line.rfind("[ERROR] (game:Main_StartImage():", 0) == 0 && line.size() > 2 &&
           line.compare(line.size() - 2, 2, ") ") == 0;
}

int g_tried = 0;

/* A bad sheet stops start-up at the image step, after the sheets before
 * it have loaded, and the program shuts down and exits non-zero. */
void ExpectImageStepFails(const Sheet &sheet, Bad bad)
{
    SCOPED_TRACE(std::string(sheet.file) + " " + Describe(bad));
    ++g_tried;
    ProgramRun run = RunWithBadSheet(sheet, bad);
    EXPECT_TRUE(run.out.Clean()) << run.out.Describe();
    EXPECT_TRUE(run.out.exited);
    EXPECT_NE(run.out.status, 0);

    const auto lines = SplitLines(run.startup_log);
    EXPECT_TRUE(InOrder(lines, {"Created Window and SDL Surfaces.", "Failed to create SDL_Surface: ",
                                std::string("Failed to load Sprite Sheet: ") + sheet.name,
                                "Failed to initialise image module data.", "Closing down systems.",
                                "All cleaning done."}))
        << run.startup_log;
    size_t empty_at = lines.size(), closing_at = lines.size(), shell_at = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(std::string("Failed to load Sprite Sheet: ") + sheet.name) != std::string::npos)
            closing_at = i;
        if (IsEmptyErrorLine(lines[i]))
            empty_at = i;
        if (lines[i].find("Failed to initialise image module data.") != std::string::npos)
            shell_at = i;
    }
    EXPECT_EQ(empty_at, closing_at + 1) << run.startup_log;
    EXPECT_LT(empty_at, shell_at);
    for (const Sheet &s : kSheets) {
        if (&s == &sheet)
            break;
        EXPECT_NE(run.startup_log.find(std::string("Loaded Sprite Sheet: ") + s.name), std::string::npos);
    }
    EXPECT_EQ(run.startup_log.find("Started Image systems."), std::string::npos);
    EXPECT_EQ(run.startup_log.find("Loaded Sprite Sheet: " + std::string(sheet.name)), std::string::npos);
    EXPECT_FALSE(run.has_run_log);
}

void ExpectFailsForEverySheet(Bad bad)
{
    for (const Sheet &sheet : kSheets)
        ExpectImageStepFails(sheet, bad);
}

TEST(BadPictures, MissingSheetFailsImageStep) { ExpectFailsForEverySheet(Bad::Missing); }
TEST(BadPictures, EmptySheetFailsImageStep) { ExpectFailsForEverySheet(Bad::Empty); }
TEST(BadPictures, TruncatedSheetFailsImageStep) { ExpectFailsForEverySheet(Bad::Truncated); }
TEST(BadPictures, TextFileFailsImageStep) { ExpectFailsForEverySheet(Bad::NotBmp); }

TEST(BadPictures, AbsurdDimensionsFailImageStep)
{
    g_tried = 0;
    for (Bad bad : {Bad::Huge, Bad::TallSliver, Bad::NegativeWidth})
        ExpectFailsForEverySheet(bad);
    std::cout << "[ figures  ] " << g_tried << " bad headers tried\n";
}

/* A sheet smaller than its sprites: start-up passes and the game plays,
 * drawing only the parts that exist. */
TEST(BadPictures, TooSmallSheetStartsAndPlays)
{
    for (const Sheet &sheet : kSheets) {
        SCOPED_TRACE(sheet.file);
        ProgramRun run = RunWithBadSheet(sheet, Bad::TooSmall);
        EXPECT_TRUE(run.out.Clean()) << run.out.Describe();
        EXPECT_EQ(run.out.status, 0);
        EXPECT_TRUE(InOrder(SplitLines(run.startup_log),
                            {std::string("Loaded Sprite Sheet: ") + sheet.name, "Started Image systems.",
                             "Created Player in world."}))
            << run.startup_log;
        EXPECT_TRUE(InOrder(SplitLines(run.run_log), {"Starting up...", "Score: 0", "Quit message recieved.",
                                                      "Successfully reached end of execution.",
                                                      "All cleaning done."}))
            << run.run_log;
    }
}

/* The same in this process's own copy, so a sanitizer build watches every
 * blit: start-up, every fish kind, the hitbox view, frames, shutdown. */
enum { kOk = 0, kNoPath = 60, kNoStart, kFrameFailed, kDrawnOutside, kNotDrawn, kShutdownFailed };

void PushKey(SDL_Keycode sym)
{
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

Uint32 PixelAt(SDL_Surface *s, int x, int y)
{
    SDL_LockSurface(s);
    Uint32 v = 0;
    memcpy(&v, static_cast<const Uint8 *>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel,
           s->format->BytesPerPixel);
    SDL_UnlockSurface(s);
    return v;
}

bool IsSmallColour(SDL_Surface *s, int x, int y)
{
    Uint8 r, g, b;
    SDL_GetRGB(PixelAt(s, x, y), s->format, &r, &g, &b);
    return r == kSmallR && g == kSmallG && b == kSmallB;
}

int PlaySmallSheet(const fs::path &res, const char *file)
{
    if (File_InitialiseResourcePathFrom((res.string() + "/").c_str()) != 0)
        return kNoPath;
    static Game_t game;
    memset(&game, 0, sizeof game);
    if (Game_Startup(&game) != 0) {
        Game_Shutdown(&game);
        return kNoStart;
    }
    Game_LoopBegin(&game);
    for (SDL_Keycode k : {SDLK_1, SDLK_2, SDLK_3, SDLK_4, SDLK_5, SDLK_6, SDLK_7, SDLK_8})
        PushKey(k);
    Game_DrainEvents(&game);
    int status = kOk;
    for (int frame = 0; frame < 8 && status == kOk; ++frame) {
        if (frame == 4) {
            PushKey(SDLK_c); /* the hitbox picture replaces the scene: checks come first */
            PushKey(SDLK_SPACE);
            Game_DrainEvents(&game);
        }
        if (Game_Frame(&game) != 0)
            status = kFrameFailed;
        if (frame != 0 || status != kOk)
            continue;
        if (strcmp(file, "font.bmp") == 0) {
            /* Score digit 0 is cut at x 0: its top-left 8 x 8 exists. Its
             * ninth column and the health digit's glyph (x 30 on) do not. */
            if (!IsSmallColour(game.screen, GAME_SCORE_X, GAME_SCORE_Y) ||
                !IsSmallColour(game.screen, GAME_SCORE_X + 7, GAME_SCORE_Y + 7))
                status = kNotDrawn;
            else if (IsSmallColour(game.screen, GAME_SCORE_X + 8, GAME_SCORE_Y) ||
                     IsSmallColour(game.screen, GAME_HEALTH_X, GAME_HEALTH_Y))
                status = kDrawnOutside;
        } else if (strcmp(file, "shark.bmp") == 0) {
            /* The idle sprite starts at row 40, below the whole sheet. */
            for (int y = GAME_PLAYER_START_Y; y < GAME_PLAYER_START_Y + 40; ++y)
                for (int x = 0; x < 110; ++x)
                    if (IsSmallColour(game.screen, x, y))
                        status = kDrawnOutside;
        } else if (strcmp(file, "back.bmp") == 0) {
            if (!IsSmallColour(game.screen, 7, 7))
                status = kNotDrawn;
        }
    }
    return Game_Shutdown(&game) == 0 ? status : kShutdownFailed;
}

TEST(BadPictures, TooSmallSheetDrawsOnlyWhatExists)
{
    for (const Sheet &sheet : kSheets) {
        SCOPED_TRACE(sheet.file);
        fmtest::ResTempDir root;
        FillRes(root.path() / "res", sheet, Bad::TooSmall);
        fs::create_directories(root.path() / "work");
        const fs::path res = root.path() / "res";
        const char *file = sheet.file;
        ChildOutcome out = fmtest::RunInChild(root.path() / "work", root.path() / "stderr.txt",
                                              [res, file] { return PlaySmallSheet(res, file); });
        EXPECT_TRUE(out.Clean()) << out.Describe();
        EXPECT_EQ(out.status, kOk) << ReadFile(root.path() / "work" / "startup.log");
    }
}

} // namespace

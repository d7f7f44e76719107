/* Scenarios: short scripts in tests/scenarios/ played through the real game
 * in this process (dummy video, the real pictures, frames stepped here so
 * every run is the same frame for frame), each written out as a transcript
 * and compared with its expected file in tests/golden/.
 *
 * A script is one command a line; "#" lines at its top describe it and head
 * its transcript:
 *   picture FILE missing        take one of the pictures away before start-up
 *   start                       start-up; a failure goes straight to shutdown
 *   press KEY... / release KEY...  queue key events (SDL's key names)
 *   close                       the window's close button
 *   frames N [every K]          N turns of the loop (drain events, one frame),
 *                               with a snap after every K
 *   show startup.log            put the whole start-up log in the transcript
 *                               (it is there anyway when start-up fails)
 *   set score|health N          poke the world, as a cheat key would
 *   place SLOT|shark X Y        move a record's box
 *   snap [world]                write the world and what the screen shows
 *                               (with "world", its first line alone)
 *   fault picture FILE|* KIND|* / fault picture FILE|* as SEED /
 *   fault alloc * / fault sdl NAME / fault env NAME VALUE /
 *   fault folder NAME...        one short game in a forked child, in a folder
 *                               of its own, with the fault made first (a
 *                               spoiled picture or the fuzzer's SEED from
 *                               tests/fuzz/corpus/picture, allocation N or
 *                               an SDL call failing, a variable set, a
 *                               folder where a log goes); "*" plays one
 *                               child for each; one line a child
 * After the last command the game shuts down as the loop's end would. The
 * transcript then says how many heap requests the frames made (none is the
 * rule) and holds both log files with the source line masked; the release
 * form of the start-up log must be tests/golden/startup.log (check_logs.sh).
 *
 * FINMAW_UPDATE_GOLDEN=1 rewrites the expected files instead of comparing;
 * review the change with git diff. */
#include <dlfcn.h>

#include <atomic>
#include <map>
#include <numeric>

#include "child_process.h"
#include "class/fish.h"
#include "game_manifest.h"

using namespace fmtest;

/* Heap requests are counted through the game's allocation point and every
 * malloc and its relatives (operator new included): in the plain build by
 * replacing them here, in the sanitizer build, which intercepts them
 * itself, through its hook. */
namespace {
std::atomic<long> g_heap{0};
#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*on_malloc)(const volatile void *, size_t), void (*on_free)(const volatile void *));
[[maybe_unused]] const int kHooked =
    __sanitizer_install_malloc_and_free_hooks([](const volatile void *, size_t) { ++g_heap; }, nullptr);
#endif
} // namespace
#if !defined(__SANITIZE_ADDRESS__) && defined(__GLIBC__)
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void *malloc(size_t size) noexcept {
    ++g_heap;
    return __libc_malloc(size);
}
void *calloc(size_t count, size_t size) noexcept {
    ++g_heap;
    return __libc_calloc(count, size);
}
void *realloc(void *block, size_t size) noexcept {
    ++g_heap;
    return __libc_realloc(block, size);
}
}
#endif

/* The SDL calls a fault's child can make fail ("fault sdl NAME"): defined
 * here, they stand in for SDL's own in the game's calls, and pass every
 * other call on to SDL. */
namespace {
std::string g_sdl_fault;
} // namespace
#define FAILING_SDL(result, name, params, args, failed)                         \
    extern "C" result name params {                                             \
        if (g_sdl_fault == #name) {                                             \
            SDL_SetError("%s failed in the test", #name);                       \
            return failed;                                                      \
        }                                                                       \
        return reinterpret_cast<decltype(&name)>(dlsym(RTLD_NEXT, #name)) args; \
    }
FAILING_SDL(
    SDL_Window *, SDL_CreateWindow, (const char *t, int x, int y, int w, int h, Uint32 f), (t, x, y, w, h, f), nullptr)
FAILING_SDL(SDL_Surface *, SDL_GetWindowSurface, (SDL_Window * w), (w), nullptr)
FAILING_SDL(SDL_Renderer *, SDL_CreateSoftwareRenderer, (SDL_Surface * s), (s), nullptr)
FAILING_SDL(
    int, SDL_SetRenderDrawColor, (SDL_Renderer * r, Uint8 cr, Uint8 cg, Uint8 cb, Uint8 ca), (r, cr, cg, cb, ca), -1)
FAILING_SDL(int, SDL_RenderFillRect, (SDL_Renderer * r, const SDL_Rect *box), (r, box), -1)
FAILING_SDL(int, SDL_UpperBlit, (SDL_Surface * s, const SDL_Rect *a, SDL_Surface *d, SDL_Rect *b), (s, a, d, b), -1)

namespace {

const fs::path kScenarios = kTests / "scenarios";
fs::path g_scratch; /* the test's working folder, where a differing output is left */
using Words = std::vector<std::string>;

long HeapRequests() { return g_heap.load() + Mem_TestCount(); }

/* FNV-1a over the colour of every pixel, so the hash is the picture's, not the format's. */
uint32_t Digest(SDL_Surface *s, SDL_Rect r) {
    uint32_t h = 2166136261u;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            Uint8 c[3];
            SDL_GetRGB(static_cast<const Uint32 *>(s->pixels)[y * s->pitch / 4 + x], s->format, &c[0], &c[1], &c[2]);
            for (Uint8 b : c) h = (h ^ b) * 16777619u;
        }
    return h;
}

std::string Hex(uint32_t v) {
    char text[16];
    snprintf(text, sizeof text, "%08x", v);
    return text;
}

/* The pictures the digits are drawn from, loaded here again, and a surface
 * of the screen's size and format to draw on: drawing from the game's own
 * would throw away the blit mappings SDL keeps for its next frame. */
struct DigitPictures {
    explicit DigitPictures(const Game_t &g)
        : background(SDL_LoadBMP("res/back.bmp")), font(SDL_LoadBMP("res/font.bmp")),
          scratch(SDL_CreateRGBSurfaceWithFormat(0, 800, 400, 32, g.screen->format->format)) {
        if (font) SDL_SetColorKey(font, SDL_TRUE, SDL_MapRGB(font->format, 255, 0, 255));
    }
    ~DigitPictures() {
        for (SDL_Surface *s : {background, font, scratch}) SDL_FreeSurface(s);
    }
    SDL_Surface *background, *font, *scratch;
};

/* The digit the screen shows at x: '-' for bare background, '?' for anything else. */
char DigitAt(Game_t &g, const DigitPictures &p, int x) {
    SDL_Rect at{x, GAME_SCORE_Y, GAME_GLYPH_W, GAME_GLYPH_H};
    const uint32_t shown = Digest(g.screen, at);
    for (int d = -1; d < 10; ++d) {
        SDL_UpperBlit(p.background, &at, p.scratch, &at);
        SDL_Rect glyph{GAME_GLYPH_W * d, 0, GAME_GLYPH_W, GAME_GLYPH_H};
        SDL_Rect to = at;
        if (d >= 0) SDL_UpperBlit(p.font, &glyph, p.scratch, &to);
        if (Digest(p.scratch, at) == shown) return d < 0 ? '-' : static_cast<char>('0' + d);
    }
    return '?';
}

std::string Box(const SDL_Rect &r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" + std::to_string(r.h);
}

std::string Snap(Game_t &g, int frame) {
    std::ostringstream out;
    const World_t &w = g.world;
    Log_Flush();
    out << "-- frame " << frame << ": score " << w.score << ", " << w.fish_count << " fish, next slot " << w.next_slot
        << (g.paused ? ", paused" : "") << (g.hitbox_view ? ", hitbox view" : "") << ", run.log "
        << std::ranges::count(ReadFile("run.log"), '\n') << " lines\n";
    for (int i = 0; i < w.entity_count; ++i) {
        const Object_t &o = w.entities[i];
        if (w.alive[i] != 1) continue;
        out << (&o == w.player ? "shark" : "fish " + std::to_string(i)) << ": box " << Box(o.hitbox) << ", drawn at "
            << o.sprite.dst.x << "," << o.sprite.dst.y << " from " << Box(o.sprite.src) << ", collision " << o.collision
            << ", dead " << o.dead;
        if (&o == w.player) {
            const SharkData &d = *g.player_data;
            out << ", health " << d.health << ", biting " << d.biting << ", bite timer " << d.bite_timer
                << ", cooldown " << d.bite_cooldown << ", ready " << d.bite_ready << ", hurt " << d.hurt_timer;
        } else if (const auto *d = static_cast<const FishData *>(o.data)) {
            out << ", eaten " << d->eaten << ", age " << d->age << ", points " << d->points;
        }
        out << "\n";
    }
    if (!g.screen) return out.str() + "no screen\n";
    const DigitPictures pictures(g);
    std::string digits;
    for (int i = 0; i < GAME_SCORE_DIGITS; ++i) digits += DigitAt(g, pictures, GAME_SCORE_X + GAME_GLYPH_W * i);
    out << "screen " << Hex(Digest(g.screen, {0, 0, 800, 400})) << ", score digits " << digits << ", health digit "
        << DigitAt(g, pictures, GAME_HEALTH_X) << "\n";
    return out.str();
}

/* The ways a picture is spoiled, in place. */
const std::map<std::string, std::function<void(const fs::path &)>> kSpoilers = {
    {"missing", [](const fs::path &f) { fs::remove(f); }},
    {"empty", [](const fs::path &f) { std::ofstream(f, std::ios::trunc); }},
    {"short", [](const fs::path &f) { fs::resize_file(f, fs::file_size(f) / 2); }},
};

/* One game being played by a script. */
struct Run {
    fs::path dir;
    std::ostringstream out;
    std::string header;
    std::unique_ptr<Game_t> g = std::make_unique<Game_t>();
    int frame = 0;
    int startup = -100; /* what Game_Startup returned; this when never called */
    long heap = 0;      /* requests made by the frames */
    bool tried = false, started = false, ended = false, show_startup = false;
};

void Queue(const Words &keys, Uint32 type) {
    for (const std::string &name : keys) {
        SDL_Event e{type};
        e.key.keysym.sym = SDL_GetKeyFromName(name.c_str());
        ASSERT_NE(e.key.keysym.sym, SDLK_UNKNOWN) << name;
        SDL_PushEvent(&e);
    }
}

/* The loop spins on the queue until the frame is due, so an event pushed
 * while draining (Escape's quit) is seen too. */
void Drain(Run &r) {
    do Game_DrainEvents(r.g.get());
    while (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0);
}

/* The frame step, counting its heap requests (SDL's event queue grows as it
 * needs, so draining is left out); false once the game has ended. */
bool Step(Run &r) {
    const long before = HeapRequests();
    const int result = Game_Frame(r.g.get());
    r.heap += HeapRequests() - before;
    if (result != 0) r.out << "frame " << r.frame << " failed: " << result << "\n";
    ++r.frame;
    r.ended = result != 0 || !r.g->running;
    return !r.ended;
}

bool Turn(Run &r) {
    Drain(r);
    return Step(r);
}

void Start(Run &r) {
    r.tried = true;
    if (File_InitialiseResourcePathFrom((r.dir / "res/").c_str()) >= 0) r.startup = Game_Startup(r.g.get());
    r.started = r.startup == 0;
    Game_LoopBegin(r.g.get());
    r.ended = !r.started;
    /* SDL makes a blit mapping the first time a sheet is drawn on the screen;
     * one pixel of each, drawn now, keeps that out of the frames' count. */
    if (!r.started) return;
    const Game_t &g = *r.g;
    SDL_Rect pixel{0, 0, 1, 1};
    for (SDL_Surface *sheet :
        {g.background, g.font, g.world.player->sprite.sheet, Fish_GetTemplate(0)->sprite->sheet, g.hitbox_surface})
        SDL_UpperBlit(sheet, &pixel, g.screen, nullptr);
    /* Likewise the hitbox view's renderer, the first time it draws. */
    SDL_RenderFillRect(g.renderer, &pixel);
    SDL_RenderFlush(g.renderer);
}

/* The game's end as the loop's: shutdown, and the exit status. */
int Finish(Run &r) {
    if (r.started && !r.g->running) Game_LogCleanEnd();
    return Game_Shutdown(r.g.get());
}

/* A fault's short game, in the child: health, a bite and steering, a pause
 * and its end, every kind, the hitbox view, then Escape. Writes to the file
 * "outcome" how start-up went, the exit status, the frames played, the
 * blocks left on the heap and the first frame's picture. */
int FaultGame(long fail_at) {
    Run r;
    r.dir = fs::current_path();
    /* Set before counting starts (start-up finds it set): it is kept for the process's life.
     * Relative to the child's folder, so that the path's length, and with it the number of
     * requests a path takes, is the same wherever the tests run. */
    File_InitialiseResourcePathFrom("res/");
    const long baseline = Mem_TestLive();
    Mem_TestReset(fail_at, 0);
    Start(r);
    const long requests = Mem_TestCount();
    Mem_TestReset(0, 0);
    std::string first = "";
    const Words keys[] = {
        {"H", "Space", "Right", "Down", "P"},
        {"P", "1", "2", "3", "4", "5", "6", "7", "8"},
        {"9", "C"},
        {"Escape"},
    };
    for (const Words &k : keys) {
        if (r.ended) break;
        Queue(k, SDL_KEYDOWN);
        for (int n = 0; n < 3 && Turn(r); ++n)
            if (r.frame == 1) first = ", first frame " + Hex(Digest(r.g->screen, {0, 0, 800, 400}));
    }
    const int status = Finish(r);
    std::ofstream("outcome") << (r.started ? "played " + std::to_string(r.frame) + " frames"
                                           : "start-up failed with " + std::to_string(r.startup))
                             << ", exit status " << status << ", " << Mem_TestLive() - baseline << " blocks left"
                             << first;
    std::ofstream("allocations") << requests;
    return 0;
}

/* One fault in a forked child, made there first: its line, without the
 * case's name. The child starts beside a run.log of an earlier run. */
std::string FaultLine(
    const std::function<void(const fs::path &)> &make, long fail_at = 0, long *allocations = nullptr) {
    TempDir dir;
    fs::copy(FINMAW_SOURCE_RES_DIR, dir.path() / "res");
    std::ofstream(dir.path() / "run.log") << "an earlier run\n";
    const ChildOutcome child = RunInChild(dir.path(), dir.path() / "stderr", [&] {
        make(dir.path());
        return FaultGame(fail_at);
    });
    std::string line = ReadFile(dir.path() / "outcome");
    if (!child.Clean() || child.status != 0) line += "; child " + child.Describe();
    if (allocations) *allocations = std::atol(ReadFile(dir.path() / "allocations").c_str());
    for (const char *log : {"startup.log", "run.log"}) {
        const fs::path file = dir.path() / log;
        const Lines lines = SplitLines(Masked(file, dir.path()));
        std::string errors;
        for (const std::string &l : lines)
            if (l.rfind("[ERROR]", 0) == 0) errors += " / " + l;
        line += "; " + std::string(log) + ": " +
                (fs::is_directory(file) ? "a folder"
                    : lines.empty()     ? "none"
                                        : "last \"" + lines.back() + "\"") +
                errors;
    }
    return line;
}

void NoFault(const fs::path &) {}

/* Every start-up allocation failing alone, in turn; a run of allocations with
 * the same outcome is one line. */
void FaultEveryAllocation(Run &r) {
    long count = 0;
    r.out << "no allocation failing: " << FaultLine(NoFault, 0, &count) << "\n";
    r.out << "start-up made " << count << " allocations\n";
    std::string last;
    long from = 1;
    for (long n = 1; n <= count + 1; ++n) {
        const std::string line = n <= count ? FaultLine(NoFault, n) : "";
        if (n > 1 && line != last) {
            r.out << "allocation " << from << (n - 1 > from ? "-" + std::to_string(n - 1) : "") << ": " << last << "\n";
            from = n;
        }
        last = line;
    }
}

void Fault(Run &r, const Words &a) {
    const std::string what = a.empty() ? "" : a[0];
    if (what == "alloc")
        FaultEveryAllocation(r);
    else if (what == "sdl" && a.size() == 2)
        r.out << a[1] << " failing: " << FaultLine([&](const fs::path &) { g_sdl_fault = a[1]; }) << "\n";
    else if (what == "env" && a.size() == 3)
        r.out << a[1] << "=" << a[2] << ": "
              << FaultLine([&](const fs::path &) { setenv(a[1].c_str(), a[2].c_str(), 1); }) << "\n";
    else if (what == "folder" && a.size() > 1)
        r.out << "folders where files go:"
              << std::accumulate(a.begin() + 1, a.end(), std::string(), [](auto s, auto n) { return s + " " + n; })
              << ": " << FaultLine([&](const fs::path &d) {
                     for (auto name = a.begin() + 1; name != a.end(); ++name) {
                         fs::remove(d / *name);
                         fs::create_directory(d / *name);
                     }
                 })
              << "\n";
    else if (what == "picture" && a.size() == 4 && a[2] == "as") { /* a damaged picture kept as a fuzzer's seed */
        for (const ManifestSheet &sheet : kManifestSheets)
            if (a[1] == "*" || a[1] == sheet.file)
                r.out << sheet.file << " as " << a[3] << ": " << FaultLine([&](const fs::path &d) {
                    fs::copy_file(kTests / "fuzz/corpus/picture" / a[3], d / "res" / sheet.file,
                        fs::copy_options::overwrite_existing);
                }) << "\n";
    } else if (what == "picture" && a.size() == 3) {
        for (const ManifestSheet &sheet : kManifestSheets)
            for (const auto &[kind, spoil] : kSpoilers)
                if ((a[1] == "*" || a[1] == sheet.file) && (a[2] == "*" || a[2] == kind))
                    r.out << sheet.file << " " << kind << ": "
                          << FaultLine([&](const fs::path &d) { spoil(d / "res" / sheet.file); }) << "\n";
    } else
        ADD_FAILURE() << "unknown fault";
}

/* The frames command: N turns, with a snap after every K. */
void Frames(Run &r, const Words &a) {
    const int n = std::stoi(a.at(0)), every = a.size() == 3 && a[1] == "every" ? std::stoi(a[2]) : 0;
    for (int i = 1; i <= n && !r.ended; ++i) {
        Turn(r);
        if (every && i % every == 0) r.out << Snap(*r.g, r.frame);
    }
}

/* What each command does, and whether it still runs once the game is over. */
struct Command {
    std::function<void(Run &, const Words &)> run;
    bool after_end;
};
const std::map<std::string, Command> kCommands = {
    {"picture", {[](Run &r, const Words &a) { kSpoilers.at(a.at(1))(r.dir / "res" / a.at(0)); }, true}},
    {"show", {[](Run &r, const Words &) { r.show_startup = true; }, true}},
    {"start", {[](Run &r, const Words &) {
                   Start(r);
                   r.out << "start-up "
                         << (r.started ? "succeeded"
                                       : "failed with " + std::to_string(r.startup) + ", status " +
                                             std::to_string(r.g->status))
                         << "\n";
               },
                  false}},
    {"press", {[](Run &, const Words &a) { Queue(a, SDL_KEYDOWN); }, false}},
    {"release", {[](Run &, const Words &a) { Queue(a, SDL_KEYUP); }, false}},
    {"close", {[](Run &, const Words &) { /* as SDL sends it for the last window's button */
                   SDL_Event e{SDL_WINDOWEVENT};
                   e.window.event = SDL_WINDOWEVENT_CLOSE;
                   SDL_PushEvent(&e);
                   e.type = SDL_QUIT;
                   SDL_PushEvent(&e);
               },
                  false}},
    {"frames", {Frames, false}},
    {"set", {[](Run &r, const Words &a) {
                 (a.at(0) == "score" ? r.g->world.score : r.g->player_data->health) = std::stoi(a.at(1));
             },
                false}},
    {"place", {[](Run &r, const Words &a) {
                   World_t &w = r.g->world;
                   SDL_Rect &box = a.at(0) == "shark" ? w.player->hitbox : w.entities[std::stoi(a[0])].hitbox;
                   box.x = std::stoi(a.at(1));
                   box.y = std::stoi(a.at(2));
               },
                  false}},
    {"snap", {[](Run &r, const Words &a) {
                  const std::string snap = Snap(*r.g, r.frame);
                  r.out << (a.empty() ? snap : snap.substr(0, snap.find('\n') + 1));
              },
                 true}},
    {"fault", {Fault, true}},
};

/* Plays the script in a folder of its own and returns its transcript; in a
 * forked child, which never needs its working folder back. */
std::string Play(const fs::path &script, std::string &header) {
    TempDir dir;
    fs::current_path(dir.path());
    fs::copy(FINMAW_SOURCE_RES_DIR, dir.path() / "res");
    Run r;
    r.dir = dir.path();
    std::ifstream in(script);
    for (std::string line; std::getline(in, line);) {
        std::istringstream text(line);
        Words words;
        for (std::string w; text >> w;) words.push_back(w);
        if (words.empty()) continue;
        if (words[0] == "#") {
            header += line + "\n";
            continue;
        }
        const auto command = kCommands.find(words[0]);
        if (command == kCommands.end()) {
            ADD_FAILURE() << "unknown command: " << line;
            continue;
        }
        words.erase(words.begin());
        if (!r.ended || command->second.after_end) command->second.run(r, words);
    }
    const bool played = r.tried;
    if (played) {
        const int status = Finish(r);
        r.out << "exit status " << status << " after " << r.frame << " frames, whose steps made " << r.heap
              << " heap requests\n";
    }
    /* The release form of the start-up log is the one every platform writes. */
    const std::string check = "bash '" + (kTests / "check_logs.sh").string() + "' . startup";
    if (r.started && system(check.c_str()) != 0) {
        ADD_FAILURE() << "startup.log is not tests/golden/startup.log";
        fs::copy_file("startup.log.actual", g_scratch / "startup.log.actual", fs::copy_options::overwrite_existing);
    }
    if (played && (!r.started || r.show_startup)) r.out << "== startup.log\n" << Masked("startup.log", r.dir);
    if (played && fs::exists("run.log")) r.out << "== run.log\n" << Masked("run.log", r.dir);
    return r.out.str();
}

/* Each scenario plays in a forked child, so that one process can play them
 * all: the game's modules start once per process. */
class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, PlaysAsItsTranscriptSays) {
    g_scratch = fs::current_path();
    TempDir dir;
    const fs::path transcript = dir.path() / "transcript";
    const ChildOutcome child = RunInChild(dir.path(), dir.path() / "stderr", [&] {
        std::string header;
        const std::string actual = Play(kScenarios / (GetParam() + ".scn"), header);
        std::ofstream(transcript) << header << actual;
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    EXPECT_TRUE(child.Clean() && child.status == 0) << child.Describe();
    ExpectGolden(kGolden / (GetParam() + ".txt"), "", ReadFile(transcript));
}

std::vector<std::string> AllScenarios() {
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(kScenarios))
        if (e.path().extension() == ".scn") names.push_back(e.path().stem().string());
    std::ranges::sort(names);
    return names;
}

INSTANTIATE_TEST_SUITE_P(
    Game, Scenario, ::testing::ValuesIn(AllScenarios()), [](const auto &param) { return param.param; });

} // namespace

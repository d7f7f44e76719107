/* Scenarios: short scripts in tests/scenarios/ played through the real game
 * in this process (dummy video, the real pictures, frames stepped here so
 * every run is the same frame for frame), each written out as a transcript
 * and compared with its expected file in tests/golden/.
 *
 * A script is one command a line; "#" lines at its top describe it and head
 * its transcript:
 *   picture FILE missing|text   spoil one of the pictures before start-up
 *   start                       start-up; a failure goes straight to shutdown
 *   press KEY... / release KEY...  queue key events (SDL's key names)
 *   frames N [every K]          N turns of the loop (drain events, one frame),
 *                               with a snap after every K
 *   show startup.log            put the whole start-up log in the transcript
 *                               (it is there anyway when start-up fails)
 *   set score|health N          poke the world, as a cheat key would
 *   place SLOT|shark X Y        move a record's box
 *   snap                        write the world and what the screen shows
 *   sprites                     write every sprite the image store cut
 * After the last command the game shuts down as the loop's end would. The
 * transcript then holds both log files with the source line masked, and the
 * release build's start-up log (DEBUG lines left out) must equal
 * tests/golden/startup.log, which the window tests also compare with.
 *
 * FINMAW_UPDATE_GOLDEN=1 rewrites the expected files instead of comparing;
 * review the change with git diff. */
#include <regex>

#include "class/fish.h"
#include "game_manifest.h"
#include "play_script.h"

using namespace fmtest;

namespace {

const fs::path kScenarios = FINMAW_TESTS_DIR "/scenarios", kGolden = FINMAW_TESTS_DIR "/golden";

/* Line numbers move with every edit, so they are masked; a run of equal
 * lines is one line with its count. The shared start-up log also leaves out
 * DEBUG lines (the release build's form) and errno, which is the platform's. */
std::string g_work; /* the scenario's own folder, which differs run by run */

std::string Masked(const std::string &log, bool shared = false) {
    static const std::regex line_no(R"(\(\):\d+:)"), err(R"(errno: \w+\))");
    std::string out, last;
    int repeats = 0;
    Lines lines = SplitLines(log);
    lines.push_back(""); /* flushes the last run */
    for (const std::string &raw : lines) {
        std::string l = std::regex_replace(raw, line_no, "():_:");
        for (size_t at; (at = l.find(g_work)) != l.npos;) l.replace(at, g_work.size(), "WORK");
        if (shared && l.rfind("DEBUG ", 0) == 0) continue;
        if (shared) l = std::regex_replace(l, err, "errno: _)");
        if (l == last) {
            ++repeats;
            continue;
        }
        if (!last.empty()) out += last + (repeats ? " [" + std::to_string(repeats + 1) + " times]\n" : "\n");
        last = l, repeats = 0;
    }
    return out;
}

/* A file without the "#" lines that head it. */
std::string Body(const std::string &text) {
    size_t at = 0;
    while (text.compare(at, 1, "#") == 0) at = text.find('\n', at) + 1;
    return text.substr(at);
}

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

/* The digit the screen shows at x: '-' for bare background, '?' for anything else. */
char DigitAt(Game_t &g, int x) {
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, 800, 400, 32, g.screen->format->format);
    SDL_Rect at{x, GAME_SCORE_Y, GAME_GLYPH_W, GAME_GLYPH_H};
    const uint32_t shown = Digest(g.screen, at);
    char found = '?';
    for (int d = -1; d < 10 && found == '?'; ++d) {
        SDL_UpperBlit(g.background, &at, s, &at);
        SDL_Rect glyph{GAME_GLYPH_W * d, 0, GAME_GLYPH_W, GAME_GLYPH_H}, to = at;
        if (d >= 0) SDL_UpperBlit(g.font, &glyph, s, &to);
        if (Digest(s, at) == shown) found = d < 0 ? '-' : static_cast<char>('0' + d);
    }
    SDL_FreeSurface(s);
    return found;
}

std::string Box(const SDL_Rect &r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" + std::to_string(r.h);
}

std::string Snap(Game_t &g, int frame) {
    std::ostringstream out;
    const World_t &w = g.world;
    out << "-- frame " << frame << ": score " << w.score << ", " << w.fish_count << " fish, next slot " << w.next_slot
        << (g.paused ? ", paused" : "") << (g.hitbox_view ? ", hitbox view" : "") << ", run.log "
        << (Log_Flush(), std::ranges::count(ReadFile("run.log"), '\n')) << " lines\n";
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
    std::string digits;
    for (int i = 0; i < GAME_SCORE_DIGITS; ++i) digits += DigitAt(g, GAME_SCORE_X + GAME_GLYPH_W * i);
    char hash[16];
    snprintf(hash, sizeof hash, "%08x", Digest(g.screen, {0, 0, 800, 400}));
    out << "screen " << hash << ", score digits " << digits << ", health digit " << DigitAt(g, GAME_HEALTH_X) << "\n";
    return out.str();
}

void Spoil(const fs::path &file, const std::string &how) {
    if (how == "missing")
        fs::remove(file);
    else
        std::ofstream(file, std::ios::trunc) << "This is a plain text file, not a picture.\n";
}

void Queue(const std::string &keys, Uint32 type) {
    std::istringstream in(keys);
    for (std::string name; in >> name;) {
        SDL_Event e{type};
        e.key.keysym.sym = SDL_GetKeyFromName(name.c_str());
        ASSERT_NE(e.key.keysym.sym, SDLK_UNKNOWN) << name;
        SDL_PushEvent(&e);
    }
}

/* Plays the script and returns its transcript. */
std::string Play(const fs::path &script, std::string &header) {
    TempDir dir;
    ChdirGuard cd(dir.path());
    g_work = dir.str();
    fs::copy(FINMAW_SOURCE_RES_DIR, dir.path() / "res");
    static Game_t g;
    std::ostringstream out;
    int frame = 0;
    bool started = false, ended = false, show_startup = false;
    std::ifstream in(script);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string verb, rest, a, b;
        words >> verb;
        std::getline(words, rest);
        std::istringstream(rest) >> a >> b;
        if (verb == "#")
            header += line + "\n";
        else if (verb == "show")
            show_startup = true;
        else if (verb == "picture")
            Spoil(dir.path() / "res" / a, b);
        else if (ended && verb != "snap")
            continue; /* the game is over: only look at it */
        else if (verb == "start") {
            started = Start(&g, (dir.path() / "res/").c_str());
            out << "start-up " << (started ? "succeeded" : "failed, status " + std::to_string(g.status)) << "\n";
            ended = !started;
        } else if (verb == "press" || verb == "release")
            Queue(rest, verb == "press" ? SDL_KEYDOWN : SDL_KEYUP);
        else if (verb == "set")
            (a == "score" ? g.world.score : g.player_data->health) = std::stoi(b);
        else if (verb == "place") {
            std::istringstream(rest) >> a >> b >> verb;
            SDL_Rect &box = a == "shark" ? g.world.player->hitbox : g.world.entities[std::stoi(a)].hitbox;
            box.x = std::stoi(b), box.y = std::stoi(verb);
        } else if (verb == "snap")
            out << Snap(g, frame);
        else if (verb == "sprites")
            for (const ManifestSprite &m : kManifestSprites) {
                const Sprite_t *sprite = Image_Get_Sprite(m.name, -1);
                out << m.name << ": " << (sprite ? Box(sprite->rect) : "none") << " of a "
                    << (sprite && sprite->sheet ? Box({0, 0, sprite->sheet->w, sprite->sheet->h}).substr(4) : "missing")
                    << " sheet\n";
            }
        else if (verb == "frames")
            for (int n = 1; n <= std::stoi(a) && !ended; ++n) {
                /* The loop spins on the queue until the frame is due, so an
                 * event pushed while draining (Escape's quit) is seen too. */
                do Game_DrainEvents(&g);
                while (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0);
                const int result = Game_Frame(&g);
                if (result != 0) out << "frame " << frame << " failed: " << result << "\n";
                ended = result != 0 || !g.running;
                if (++frame, b == "every" && n % std::stoi(rest.substr(rest.rfind(' '))) == 0) out << Snap(g, frame);
            }
        else if (!verb.empty())
            ADD_FAILURE() << "unknown command: " << line;
    }
    if (started && !g.running) Game_LogCleanEnd();
    out << "exit status " << Game_Shutdown(&g) << " after " << frame << " frames\n";
    const std::string startup = ReadFile("startup.log");
    /* The shared file keeps its own header. */
    const std::string golden = ReadFile(kGolden / "startup.log");
    if (started)
        ExpectGolden(
            kGolden / "startup.log", golden.substr(0, golden.size() - Body(golden).size()), Masked(startup, true));
    if (!started || show_startup) out << "== startup.log\n" << Masked(startup);
    if (fs::exists("run.log")) out << "== run.log\n" << Masked(ReadFile("run.log"));
    return out.str();
}

class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, PlaysAsItsTranscriptSays) {
    std::string header;
    const std::string actual = Play(kScenarios / (GetParam() + ".scn"), header);
    ExpectGolden(kGolden / (GetParam() + ".txt"), header, actual);
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

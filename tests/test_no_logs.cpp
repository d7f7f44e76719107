/* A working directory where neither log can be opened: the game still
 * starts, plays and ends with status 0, and leaves the directory as it was.
 * Root may write anywhere, so the logs are made unopenable by folders of
 * their names; a read-only folder is tried as an unprivileged user. */
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <string>

#include "child_process.h"
#include "game.h"
#include "game_main.h"
#include "share_utils.h"
#include "test_support.h"

extern "C" const char *__asan_default_options() { return "exitcode=86"; }
extern "C" const char *__ubsan_default_options() { return "exitcode=86:print_stacktrace=1"; }

using fmtest::ChildOutcome;
namespace fs = std::filesystem;

namespace {

/* Every entry under dir with its kind and size. */
std::map<std::string, std::string> Snapshot(const fs::path &dir)
{
    std::map<std::string, std::string> entries;
    for (const auto &e : fs::recursive_directory_iterator(dir)) {
        const std::string kind = e.is_directory() ? "dir" : "file " + std::to_string(e.file_size());
        entries[fs::relative(e.path(), dir).string()] = kind;
    }
    return entries;
}

std::string Show(const std::map<std::string, std::string> &entries)
{
    std::string out;
    for (const auto &[name, kind] : entries)
        out += name + " (" + kind + ")\n";
    return out;
}

/* Folders where the two logs would go: opening either for writing fails. */
void BlockLogs(const fs::path &dir)
{
    fs::create_directory(dir / "startup.log");
    fs::create_directory(dir / "run.log");
}

enum { kPlayed = 0, kNoPath = 60, kNoStart, kSpawnLost, kFrameFailed, kQuitIgnored, kShutdownFailed };

void PushKey(Uint32 type, SDL_Keycode sym)
{
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

/* Start-up, fish, the hitbox view, a pause and its end (which reopens
 * "run.log"), frames and a quit, all with no log to write to. */
int PlayWithoutLogs()
{
    if (File_InitialiseResourcePathFrom(FINMAW_SOURCE_RES_DIR) != 0)
        return kNoPath;
    static Game_t game;
    memset(&game, 0, sizeof game);
    if (Game_Startup(&game) != 0) {
        Game_Shutdown(&game);
        return kNoStart;
    }
    if (LOG_STREAM)
        return kNoStart; /* a log was opened after all */
    Game_LoopBegin(&game);
    for (SDL_Keycode k : {SDLK_1, SDLK_4, SDLK_6, SDLK_8, SDLK_c, SDLK_h, SDLK_SPACE, SDLK_RIGHT})
        PushKey(SDL_KEYDOWN, k);
    Game_DrainEvents(&game);
    if (game.world.fish_count != 4)
        return kSpawnLost;
    int status = kPlayed;
    for (int frame = 0; frame < 12 && status == kPlayed; ++frame) {
        if (frame == 3 || frame == 6)
            PushKey(SDL_KEYDOWN, SDLK_p);
        Game_DrainEvents(&game);
        if (Game_Frame(&game) != 0)
            status = kFrameFailed;
    }
    SDL_Event quit;
    memset(&quit, 0, sizeof quit);
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    Game_DrainEvents(&game);
    if (status == kPlayed && game.running)
        status = kQuitIgnored;
    const int shut = Game_Shutdown(&game);
    return status != kPlayed ? status : shut == 0 ? kPlayed : kShutdownFailed;
}

TEST(NoLogs, LogNamesTakenByFoldersInProcess)
{
    fmtest::TempDir root;
    const fs::path work = root.path() / "work";
    fs::create_directory(work);
    BlockLogs(work);
    const auto before = Snapshot(work);

    ChildOutcome out = fmtest::RunInChild(work, root.path() / "stderr.txt", PlayWithoutLogs);
    EXPECT_TRUE(out.Clean()) << out.Describe();
    EXPECT_EQ(out.status, kPlayed) << out.Describe();
    EXPECT_EQ(Snapshot(work), before) << Show(Snapshot(work));
}

/* The real program; SIGTERM once SDL has started and catches it. The
 * signal becomes a quit event, which only a started loop can handle: a
 * failed start-up ends non-zero instead. */
ChildOutcome RunProgramIn(const std::string &exe, const fs::path &work, const fs::path &err,
                          std::optional<std::pair<uid_t, gid_t>> user = std::nullopt)
{
    fmtest::ProgramOptions opt;
    opt.exe = exe;
    opt.cwd = work;
    opt.err_file = err;
    opt.env = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};
    opt.user = user;
    opt.poll = fmtest::TerminateWhen(fmtest::CatchesSigterm);
    return fmtest::RunProgram(opt);
}

TEST(NoLogs, EarlySigtermStillReachesTheLoop)
{
    /* The stop used below, in a folder where the logs can be written: the
     * run gets through start-up into the loop, which handles the quit. */
    fmtest::TempDir root;
    const fs::path work = root.path() / "work";
    fs::create_directory(work);
    ChildOutcome out = RunProgramIn(std::string(FINMAW_BIN_DIR) + "finmaw", work, root.path() / "stderr.txt");
    EXPECT_TRUE(out.Clean()) << out.Describe();
    EXPECT_EQ(out.status, 0) << out.Describe();
    EXPECT_TRUE(fmtest::InOrder(fmtest::SplitLines(fmtest::ReadFile(work / "run.log")),
                                {"Starting up...", "Quit message recieved.",
                                 "Successfully reached end of execution.", "All cleaning done."}))
        << fmtest::ReadFile(work / "startup.log") << fmtest::ReadFile(work / "run.log");
}

TEST(NoLogs, LogNamesTakenByFoldersProgram)
{
    for (const char *name : {"finmaw", "finmaw_dbg"}) {
        SCOPED_TRACE(name);
        fmtest::TempDir root;
        const fs::path work = root.path() / "work";
        fs::create_directory(work);
        BlockLogs(work);
        const auto before = Snapshot(work);

        ChildOutcome out = RunProgramIn(std::string(FINMAW_BIN_DIR) + name, work, root.path() / "stderr.txt");
        EXPECT_TRUE(out.Clean()) << out.Describe();
        EXPECT_EQ(out.status, 0) << out.Describe();
        EXPECT_EQ(Snapshot(work), before) << Show(Snapshot(work));
    }
}

TEST(NoLogs, ReadOnlyFolderAsUnprivilegedUser)
{
    std::optional<std::pair<uid_t, gid_t>> user;
    if (geteuid() == 0) {
        /* Permission bits do not stop root: run as nobody. */
        const passwd *pw = getpwnam("nobody");
        if (!pw)
            GTEST_SKIP() << "no unprivileged user to run as";
        user = std::make_pair(pw->pw_uid, pw->pw_gid);
    }
    /* The program and its pictures, readable by that user. */
    fmtest::ResTempDir root;
    fs::permissions(root.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
    fs::create_directories(root.path() / "bin");
    fs::copy_file(std::string(FINMAW_BIN_DIR) + "finmaw", root.path() / "bin" / "finmaw");
    fs::copy(FINMAW_SOURCE_RES_DIR, root.path() / "res");
    const fs::path work = root.path() / "work";
    fs::create_directory(work);
    {
        std::ofstream(work / "run.log") << "an earlier run\n";
    }
    fs::permissions(work, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const auto before = Snapshot(work);
    if (!user && access(work.c_str(), W_OK) == 0)
        GTEST_SKIP() << "this user can write to a read-only folder";

    ChildOutcome out = RunProgramIn((root.path() / "bin" / "finmaw").string(), work,
                                    root.path() / "stderr.txt", user);
    EXPECT_TRUE(out.Clean()) << out.Describe();
    EXPECT_EQ(out.status, 0) << out.Describe();
    EXPECT_EQ(Snapshot(work), before) << Show(Snapshot(work));
    EXPECT_EQ(fmtest::ReadFile(work / "run.log"), "an earlier run\n");
    fs::permissions(work, fs::perms::owner_all, fs::perm_options::add);
}

} // namespace

/* A frame allocates nothing: with every fish slot live, a thousand frames
 * (spawning, biting, eating and the hitbox view included) make no heap
 * request at all, neither through the game's allocation point nor from the
 * C or C++ heap (SDL's and the C library's own allocations included).
 *
 * The C heap is counted by replacing malloc and its relatives in this
 * executable; they forward to glibc's own entry points. AddressSanitizer
 * intercepts those same functions, so a sanitizer build counts only the
 * allocation point and operator new. */

#include <atomic>
#include <new>

#include "play_script.h"

namespace {
std::atomic<long> g_news{0}, g_mallocs{0};
void *Counted(std::size_t size) { return ++g_news, std::malloc(size ? size : 1); }
} // namespace

/* Every form that could pair with a sanitizer's own delete is replaced. New
 * and delete are malloc and free here, which the compiler cannot know. */
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void *operator new(std::size_t size) {
    void *p = Counted(size);
    return p ? p : throw std::bad_alloc();
}
void *operator new[](std::size_t size) {
    void *p = Counted(size);
    return p ? p : throw std::bad_alloc();
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return Counted(size); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return Counted(size); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

#if !defined(__SANITIZE_ADDRESS__) && defined(__GLIBC__)
constexpr long kDirectMallocs = 3; /* Mem_Alloc's malloc, operator new's and the direct one */
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void *malloc(size_t size) noexcept { return ++g_mallocs, __libc_malloc(size); }
void *calloc(size_t count, size_t size) noexcept { return ++g_mallocs, __libc_calloc(count, size); }
void *realloc(void *block, size_t size) noexcept { return ++g_mallocs, __libc_realloc(block, size); }
}
#else
constexpr long kDirectMallocs = 0;
#endif

namespace {

/* Requests since t; since zero, all so far. */
struct HeapCount {
    long mem, news, mallocs;
    bool operator==(const HeapCount &) const = default;
};
HeapCount Since(HeapCount t) { return {Mem_TestCount() - t.mem, g_news.load() - t.news, g_mallocs.load() - t.mallocs}; }

/* Keeps the compiler from pairing up and dropping an allocation and its release. */
void *volatile g_sink = nullptr;

TEST(FrameAlloc, TheCountersSeeEveryKindOfRequest) {
    const HeapCount start = Since({});
    g_sink = Mem_Alloc(16);
    Mem_Free(g_sink);
    g_sink = new int(7);
    delete static_cast<int *>(g_sink);
    g_sink = std::malloc(24);
    std::free(g_sink);
    EXPECT_EQ(Since(start), (HeapCount{1, 1, kDirectMallocs}));
}

TEST(FrameAlloc, AThousandFullFramesMakeNoHeapRequest) {
    fmtest::TempDir dir;
    fmtest::ChdirGuard cd(dir.path());
    static Game_t game;
    ASSERT_TRUE(fmtest::Start(&game)) << fmtest::ReadFile(dir.path() / "startup.log");
    int next_kind = 0, frame = 0;
    /* Frames under full load with the keys a player would press: a bite
     * every 40 frames, the hitbox view switched every 250, and the keys 1 to
     * 8 in turn until every slot is live again. Returns how many frames
     * failed or began with a free slot. */
    auto frames = [&](int count) {
        int bad = 0;
        for (int end = frame + count; frame < end; ++frame) {
            for (int tries = 0; game.world.fish_count < GAME_MAX_FISH && tries < 2 * GAME_MAX_FISH; ++tries)
                fmtest::Press(&game, {SDLK_1 + next_kind++ % 8});
            bad += game.world.fish_count != GAME_MAX_FISH;
            if (frame % 20 == 0) fmtest::Press(&game, {SDLK_SPACE}, frame % 40 ? SDL_KEYUP : SDL_KEYDOWN);
            if (frame % 250 == 0) fmtest::Press(&game, {SDLK_c});
            bad += Game_Frame(&game) != 0;
        }
        return bad;
    };
    /* First frames may set up what SDL keeps for later (encoded sheets, the
     * renderer's command pool); both views get their turn. */
    ASSERT_EQ(frames(500), 0);
    const int score = game.world.score;
    const HeapCount start = Since({});
    EXPECT_EQ(frames(1000), 0);
    EXPECT_EQ(Since(start), (HeapCount{0, 0, 0}));
    EXPECT_GT(game.world.score, score); /* fish were eaten and respawned */
    Game_Shutdown(&game);
}

} // namespace

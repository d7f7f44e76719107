/* A frame allocates nothing: with every fish slot live, a thousand frames
 * (spawning, biting, eating and the hitbox view included) make no heap
 * request at all, neither through the game's allocation point nor from the
 * C or C++ heap (SDL's and the C library's own allocations included).
 *
 * The C heap is counted by replacing malloc and its relatives in this
 * executable; they forward to glibc's own entry points. AddressSanitizer
 * intercepts those same functions, so a sanitizer build counts only the
 * allocation point and operator new. */
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "alloc.h"
#include "game.h"
#include "game_main.h"
#include "share_utils.h"
#include "test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define FM_COUNT_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FM_COUNT_MALLOC 0
#endif
#endif
#if !defined(FM_COUNT_MALLOC) && defined(__GLIBC__)
#define FM_COUNT_MALLOC 1
#endif
#ifndef FM_COUNT_MALLOC
#define FM_COUNT_MALLOC 0
#endif

namespace {
std::atomic<long> g_news{0};
std::atomic<long> g_mallocs{0};

void *CountedNew(std::size_t size)
{
    g_news.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void *CountedAlignedNew(std::size_t size, std::align_val_t align)
{
    g_news.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = static_cast<std::size_t>(align);
    const std::size_t rounded = (size + a - 1) / a * a;
    if (void *p = std::aligned_alloc(a, rounded ? rounded : a))
        return p;
    throw std::bad_alloc();
}
} // namespace

void *operator new(std::size_t size) { return CountedNew(size); }
void *operator new[](std::size_t size) { return CountedNew(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    try {
        return CountedNew(size);
    } catch (...) {
        return nullptr;
    }
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept
{
    return operator new(size, std::nothrow);
}
void *operator new(std::size_t size, std::align_val_t align) { return CountedAlignedNew(size, align); }
void *operator new[](std::size_t size, std::align_val_t align) { return CountedAlignedNew(size, align); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }

#if FM_COUNT_MALLOC
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void __libc_free(void *block);
void *__libc_memalign(size_t align, size_t size);

void *malloc(size_t size) noexcept
{
    g_mallocs.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void *calloc(size_t count, size_t size) noexcept
{
    g_mallocs.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void *realloc(void *block, size_t size) noexcept
{
    g_mallocs.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}
void free(void *block) noexcept { __libc_free(block); }
void *memalign(size_t align, size_t size) noexcept
{
    g_mallocs.fetch_add(1, std::memory_order_relaxed);
    return __libc_memalign(align, size);
}
void *aligned_alloc(size_t align, size_t size) noexcept
{
    g_mallocs.fetch_add(1, std::memory_order_relaxed);
    return __libc_memalign(align, size);
}
int posix_memalign(void **out, size_t align, size_t size) noexcept
{
    g_mallocs.fetch_add(1, std::memory_order_relaxed);
    void *p = __libc_memalign(align, size);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}
}
#endif

namespace {

/* Heap requests made between construction and Take(). */
struct HeapCount {
    long mem = 0, news = 0, mallocs = 0;
};

class HeapWindow {
public:
    HeapWindow()
        : mem_(Mem_TestCount()), news_(g_news.load()), mallocs_(g_mallocs.load())
    {
    }
    HeapCount Take() const
    {
        return HeapCount{Mem_TestCount() - mem_, g_news.load() - news_,
                         g_mallocs.load() - mallocs_};
    }

private:
    long mem_, news_, mallocs_;
};

/* Keeps the compiler from pairing up and dropping a malloc and its free. */
void *volatile g_sink = nullptr;

TEST(FrameAlloc, TheCountersSeeEveryKindOfRequest)
{
    Mem_TestReset(0, 0);
    HeapWindow window;
    g_sink = Mem_Alloc(16);
    Mem_Free(g_sink);
    int *boxed = new int(7);
    g_sink = boxed;
    delete boxed;
    g_sink = std::malloc(24);
    std::free(g_sink);
    g_sink = nullptr;
    const HeapCount got = window.Take();

    EXPECT_EQ(got.mem, 1);
    EXPECT_EQ(got.news, 1);
    /* Mem_Alloc's malloc, operator new's and the direct one. */
    if (FM_COUNT_MALLOC)
        EXPECT_EQ(got.mallocs, 3);
    else
        EXPECT_EQ(got.mallocs, 0);
}

class LoadedGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        cd_ = std::make_unique<fmtest::ChdirGuard>(dir_.path());
        ASSERT_EQ(File_InitialiseResourcePathFrom(FINMAW_SOURCE_RES_DIR), 0);
        memset(&game_, 0, sizeof game_);
        ASSERT_EQ(Game_Startup(&game_), 0)
            << fmtest::ReadFile(dir_.path() / "startup.log");
        started_ = true;
        Game_LoopBegin(&game_);
    }
    void TearDown() override
    {
        if (started_)
            Game_Shutdown(&game_);
        cd_.reset();
    }

    void Key(Uint32 type, SDL_Keycode key)
    {
        SDL_Event event;
        memset(&event, 0, sizeof event);
        event.type = type;
        event.key.keysym.sym = key;
        Game_HandleEvent(&game_, &event);
    }
    /* The keys 1 to 8 in turn until every slot is live. */
    void Refill()
    {
        for (int tries = 0; game_.world.fish_count < GAME_MAX_FISH && tries < 2 * GAME_MAX_FISH;
             ++tries) {
            Key(SDL_KEYDOWN, SDLK_1 + next_kind_);
            next_kind_ = (next_kind_ + 1) % 8;
        }
    }
    /* One frame under full load, with the keys a player would press: a
     * bite every 40 frames, and the hitbox view switched every 250. Returns
     * the frame's status, or 1 when the world was not full at its start. */
    int LoadedFrame()
    {
        const int full = game_.world.fish_count == GAME_MAX_FISH;
        const long phase = frame_++;
        if (phase % 40 == 0)
            Key(SDL_KEYDOWN, SDLK_SPACE);
        else if (phase % 40 == 20)
            Key(SDL_KEYUP, SDLK_SPACE);
        if (phase % 250 == 0)
            Key(SDL_KEYDOWN, SDLK_c);
        const int rc = Game_Frame(&game_);
        Refill();
        return rc != 0 ? rc : !full;
    }

    fmtest::TempDir dir_;
    std::unique_ptr<fmtest::ChdirGuard> cd_;
    Game_t game_;
    bool started_ = false;
    int next_kind_ = 0;
    long frame_ = 0;
};

TEST_F(LoadedGame, AThousandFullFramesMakeNoHeapRequest)
{
    Refill();
    ASSERT_EQ(game_.world.fish_count, GAME_MAX_FISH);
    /* First frames may set up what SDL keeps for later (encoded sheets,
     * the renderer's command pool); both views get their turn. */
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(LoadedFrame(), 0) << "warm-up frame " << i;
    const int eaten_before = game_.world.score;

    int bad_frames = 0;
    HeapWindow window;
    for (int i = 0; i < 1000; ++i)
        bad_frames += LoadedFrame() != 0;
    const HeapCount got = window.Take();

    EXPECT_EQ(bad_frames, 0);
    EXPECT_EQ(got.mem, 0);
    EXPECT_EQ(got.news, 0);
    EXPECT_EQ(got.mallocs, 0);
    /* The run did what it claims: fish were eaten and respawned, and both
     * views were drawn. */
    EXPECT_GT(game_.world.score, eaten_before);
    EXPECT_EQ(game_.world.fish_count, GAME_MAX_FISH);
}

} // namespace

// The program's steady state touches no heap: once a game runs, a 50 ms
// tick allocates nothing, with eight runners moving and on a finished board,
// the status the browser asks for after every frame included.
// Every allocation of this test binary is counted by replacing the global
// allocation functions; they hand on to malloc, which the sanitizer build
// still watches.
#include <atomic>
#include <cstdlib>
#include <new>

#include "gdi/cjk/cjk_glyphs.h"
#include "gdi/font_data.h"
#include "harness.h"
#include "runtime/system.h"
#include "runner.h"
#include "shell/globals.h"
#include "user/program.h"

namespace {

std::atomic<long long> g_allocations{0};

void* Allocate(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size != 0 ? size : 1);
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t alignment = static_cast<std::size_t>(align);
    // aligned_alloc wants a size that is a multiple of the alignment.
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment + (size == 0 ? alignment : 0));
}

void* OrThrow(void* p) {
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

}  // namespace

void* operator new(std::size_t size) { return OrThrow(Allocate(size)); }
void* operator new[](std::size_t size) { return OrThrow(Allocate(size)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new(std::size_t size, std::align_val_t align) { return OrThrow(AllocateAligned(size, align)); }
void* operator new[](std::size_t size, std::align_val_t align) { return OrThrow(AllocateAligned(size, align)); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace progtest {
namespace {

constexpr int kTicks = 100;
constexpr int kTickMs = 50;

long long Allocations() { return g_allocations.load(std::memory_order_relaxed); }

int g_relaunches = 0;

// Sends every runner that has arrived up its pole again, as a new game
// would, so that all eight stay on the move for as many ticks as wanted.
// Nothing may have been left idle: each runner moved in the tick just run.
// The browser asks for the status after every frame; so does this.
void KeepAllEightMoving() {
    DescribeStatus();
    ASSERT_NE(g_board, nullptr);
    ASSERT_EQ(g_board->state, BOARD_PLAY);
    for (int i = 0; i < g_board->playerCount; ++i) {
        Runner& r = g_board->runners[i];
        ASSERT_NE(r.status, RUNNER_IDLE) << "runner " << i;
        if (r.status == RUNNER_ARRIVED) {
            r.status = RUNNER_IDLE;
            r.pointCount = 0;
            LaunchRunner(g_board, i);
            ++g_relaunches;
        }
    }
}

// One language's run; the test runs each.
void ExpectNoAllocationsPerTick() {
    long long start = 0;
    long long whileMoving = -1;
    long long whenFinished = -1;
    std::vector<Step> steps = {
        CheckStep([] { g_playerCount = MAX_RUNNERS; }),
        CommandStep(IDM_NEW),
        CommandStep(IDM_ALL),
        // "All" launches one runner a tick; after that the first ticks have
        // made whatever the program keeps.
        WaitStep(10 * kTickMs),
        CheckStep([&] {
            ASSERT_NE(g_board, nullptr);
            ASSERT_EQ(g_board->playerCount, MAX_RUNNERS);
            DescribeStatus();
            start = Allocations();
        }),
    };
    for (int t = 0; t < kTicks; ++t) {
        steps.push_back(WaitStep(kTickMs));
        steps.push_back(CheckStep(KeepAllEightMoving));
    }
    steps.push_back(CheckStep([&] { whileMoving = Allocations() - start; }));
    // Left alone, the runners arrive and the board is done well within this.
    steps.push_back(WaitStep(kTicks * kTickMs));
    steps.push_back(CheckStep([&] {
        ASSERT_NE(g_board, nullptr);
        ASSERT_EQ(g_board->state, BOARD_DONE);
        DescribeStatus();  // the result line, made once a game
        start = Allocations();
    }));
    for (int t = 0; t < kTicks; ++t) {
        steps.push_back(WaitStep(kTickMs));
        steps.push_back(CheckStep([] { DescribeStatus(); }));
    }
    steps.push_back(CheckStep([&] { whenFinished = Allocations() - start; }));

    g_relaunches = 0;
    EXPECT_EQ(RunProgram(steps), 0);
    // Each runner crosses the board in well under a hundred ticks.
    EXPECT_GE(g_relaunches, MAX_RUNNERS) << "the runners did not move";
    EXPECT_EQ(whileMoving, 0) << "allocations in " << kTicks << " ticks with eight runners moving";
    EXPECT_EQ(whenFinished, 0) << "allocations in " << kTicks << " ticks on a finished board";
}

// In every language: the words differ, and the Japanese, Korean and Chinese
// ones are drawn from the supplement.
TEST(SteadyState, TicksAllocateNothingWithEightRunnersMovingOrOnAFinishedBoardInEveryLanguage) {
    ASSERT_TRUE(gdi::UseCjkGlyphs());
    for (const char* language : {"en", "ja", "ko", "zh-Hans", "zh-Hant", "es", "pt-BR", "fr", "de"}) {
        SCOPED_TRACE(language);
        sys::SetLanguage(language);
        ExpectNoAllocationsPerTick();
    }
    sys::SetLanguage("");
    gdi::RemoveSupplement();
}

}  // namespace
}  // namespace progtest

// The desktop host's wait on a private Xvfb. An idle program sleeps in this
// wait until its next timer, so it must sleep in the kernel rather than poll,
// and a second start of the game (the single-instance socket turning
// readable) must end it at once. Budgets, on any machine: a 300 ms wait with
// nothing to do ends less than 300 ms after its deadline and takes less than
// 30 ms of processor time; a descriptor that turns readable during a wait
// ends it within 50 ms. Each figure is in the label of its benchmark.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "display.h"
#include "private_xvfb.h"
#include "runtime/descriptor_watch.h"
#include "runtime/runtime_control.h"
#include "user/host.h"
#include "user/program.h"

namespace {

using namespace std::chrono_literals;

// Handles what the window system sends until nothing comes for a while.
void Settle() {
    host::Event event;
    while (host::WaitEvent(rt::NowMs() + 100, &event)) {
    }
}

// Real and processor time of one wait of 300 ms; late_ms is how long after
// its deadline it ended, on average.
void BM_IdleWaitOf300ms(benchmark::State& state) {
    Settle();
    double late = 0;
    for (auto _ : state) {
        uint64_t deadline = rt::NowMs() + 300;
        host::Event event;
        while (host::WaitEvent(deadline, &event)) {
        }
        late += static_cast<double>(rt::NowMs() - deadline);
    }
    state.counters["late_ms"] = benchmark::Counter(late, benchmark::Counter::kAvgIterations);
    state.SetLabel("budget: late_ms < 300, CPU < 30 ms");
}
BENCHMARK(BM_IdleWaitOf300ms)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// The time from the write that makes the watched descriptor readable to the
// end of the wait it wakes.
void BM_DescriptorWakesTheWait(benchmark::State& state) {
    int fds[2];
    if (pipe(fds) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    rt::WatchDescriptor(fds[0]);
    Settle();
    for (auto _ : state) {
        std::chrono::steady_clock::time_point written;
        std::thread writer([&] {
            std::this_thread::sleep_for(20ms);  // lets the wait block first
            written = std::chrono::steady_clock::now();
            (void)!write(fds[1], "x", 1);  // a failed write shows as no hand-over
        });
        host::Event event;
        bool woke = host::WaitEvent(rt::NowMs() + 10000, &event);
        auto ended = std::chrono::steady_clock::now();
        writer.join();
        if (!woke || event.kind != host::EventKind::HandOver) {
            state.SkipWithError("the wait ended without a hand-over");
            break;
        }
        char drained;
        if (read(fds[0], &drained, 1) != 1) {
            state.SkipWithError("nothing to read after the wake");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(ended - written).count());
    }
    rt::WatchDescriptor(-1);
    close(fds[0]);
    close(fds[1]);
    state.SetLabel("budget: < 50 ms");
}
BENCHMARK(BM_DescriptorWakesTheWait)->Iterations(20)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

// The host copies the program's line on Ctrl+C; no program runs here.
std::string DescribeResult() { return ""; }
std::string DescribeShareNote(ShareNote, const std::string& detail) { return detail; }

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    FILE* xvfb = nullptr;
    std::string error = "Xvfb could not be started";
    if (sdlhost::StartPrivateXvfb(&xvfb).empty() || !sdlhost::OpenDisplay(2, &error)) {
        std::fprintf(stderr, "tavilo_sdl_bench: %s\n", error.c_str());
        if (xvfb != nullptr) {
            pclose(xvfb);
        }
        return 1;
    }
    rt::UseRealClock();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sdlhost::CloseDisplay();
    pclose(xvfb);
    return 0;
}

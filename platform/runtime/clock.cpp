// One monotonic millisecond clock for the whole program. GetTickCount is its
// low 32 bits, so it wraps through zero the way the device's counter does.
#include <chrono>

#include "crt.h"
#include "runtime_control.h"

namespace {

bool g_virtual = false;
uint64_t g_virtualNow = 0;
const std::chrono::steady_clock::time_point g_realStart = std::chrono::steady_clock::now();

}  // namespace

namespace rt {

void UseVirtualClock(uint64_t startMs) {
    g_virtual = true;
    g_virtualNow = startMs;
}

void UseRealClock() { g_virtual = false; }

bool IsVirtualClock() { return g_virtual; }

uint64_t NowMs() {
    if (g_virtual) {
        return g_virtualNow;
    }
    auto elapsed = std::chrono::steady_clock::now() - g_realStart;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void SetClock(uint64_t ms) { g_virtualNow = ms; }

void AdvanceClock(uint64_t ms) { g_virtualNow += ms; }

}  // namespace rt

DWORD GetTickCount() { return static_cast<DWORD>(rt::NowMs() & 0xFFFFFFFFu); }

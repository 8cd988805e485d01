// One monotonic millisecond clock for the whole program. GetTickCount is its
// low 32 bits, so it wraps through zero the way the device's counter does.
#include "crt.h"
#include "runtime_control.h"
#include "system.h"

namespace {

bool g_virtual = false;
uint64_t g_virtualNow = 0;
const uint64_t g_realStart = sys::MonotonicMs();

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
    return sys::MonotonicMs() - g_realStart;
}

void SetClock(uint64_t ms) { g_virtualNow = ms; }

void AdvanceClock(uint64_t ms) { g_virtualNow += ms; }

}  // namespace rt

DWORD GetTickCount() { return static_cast<DWORD>(rt::NowMs() & 0xFFFFFFFFu); }

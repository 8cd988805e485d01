// Control of the runtime's clock and random source, for hosts and tests.
// The game never includes this header.
#pragma once

#include <cstdint>

namespace rt {

// The clock is one monotonic 64-bit millisecond source; GetTickCount is its
// low 32 bits. A virtual clock only moves when told to (headless host,
// tests); the real clock follows the machine's monotonic time.
void UseVirtualClock(uint64_t startMs);
void UseRealClock();
bool IsVirtualClock();
uint64_t NowMs();
void SetClock(uint64_t ms);        // virtual clock only
void AdvanceClock(uint64_t ms);    // virtual clock only

// Replaces the generator behind crt::rand for the lifetime of the object;
// the previous source (and its state) comes back on destruction.
using RandFunction = int (*)();
class ScopedRandSource {
public:
    explicit ScopedRandSource(RandFunction source);
    ~ScopedRandSource();
    ScopedRandSource(const ScopedRandSource&) = delete;
    ScopedRandSource& operator=(const ScopedRandSource&) = delete;

private:
    RandFunction previous_;
};

// Number of srand calls since start; lets tests see that generation reseeds.
uint64_t SrandCount();

}  // namespace rt

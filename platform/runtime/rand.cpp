// The device runtime's linear congruential generator. Boards are generated
// from it, so its exact sequence matters to anyone comparing ladders.
#include "crt.h"
#include "runtime_control.h"

namespace {

uint32_t g_state = 1;
uint64_t g_srandCount = 0;
rt::RandFunction g_source = nullptr;

int ClassicRand() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFFu);
}

}  // namespace

namespace crt {

int rand() {
    if (g_source != nullptr) {
        return g_source();
    }
    return ClassicRand();
}

void srand(unsigned int seed) {
    g_state = seed;
    ++g_srandCount;
}

}  // namespace crt

namespace rt {

ScopedRandSource::ScopedRandSource(RandFunction source) : previous_(g_source) { g_source = source; }

ScopedRandSource::~ScopedRandSource() { g_source = previous_; }

uint64_t SrandCount() { return g_srandCount; }

}  // namespace rt

// Running the program inside the test process: WinMain over a host seam of
// the test's own that hands the program a list of steps — input events,
// waits on the virtual clock, and checks run while the program waits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hosts/host.h"

namespace progtest {

struct Step {
    enum Kind { Event, Wait, Check } kind = Check;
    host::Event event;
    uint64_t ms = 0;
    std::function<void()> check;
};

Step PenDown(int x, int y);
Step PenMove(int x, int y);
Step PenUp(int x, int y);
Step CommandStep(int command);
Step PressStep(const std::string& label);
Step WaitStep(uint64_t ms);
Step CheckStep(std::function<void()> check);

// Starts the program with a fresh window manager, registry directory and
// program state, runs the steps and closes it as the host's close would.
// Returns WinMain's result.
int RunProgram(const std::vector<Step>& steps, uint64_t clockStart = 1000000);

// The screen as the program last drew it, 0x00RRGGBB.
std::vector<uint32_t> ScreenCopy();

}  // namespace progtest

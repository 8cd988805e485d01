// Shared pieces of the headless scenarios: the command numbers, the screen
// geometry the program runs in, and checks that read a state line.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace progtest {

constexpr int CMD_EXIT = 40002;
constexpr int CMD_ABOUT = 40003;
constexpr int CMD_NEW = 40011;
constexpr int CMD_ALL = 40030;
constexpr int CMD_OPTION = 40031;

// The main window's client area on the 240 x 320 screen, above the menu bar.
constexpr int CLIENT_WIDTH = 240;
constexpr int CLIENT_HEIGHT = 294;

// Bitmap resources the board view draws.
constexpr int BMP_TILES = 106;
constexpr int BMP_HAND = 116;
constexpr int BMP_TITLE = 123;
constexpr int BMP_BALLS = 124;

// The pixel x of pole i with 6 players (originX 40, poles 30 apart).
inline int PoleX6(int i) { return 40 + 30 * i; }

inline std::string Command(int id) { return "command " + std::to_string(id) + "\n"; }
inline std::string Wait(int ms) { return "wait " + std::to_string(ms) + "\n"; }
inline std::string Tap(int x, int y) { return "tap " + std::to_string(x) + " " + std::to_string(y) + "\n"; }
inline std::string At(const char* verb, int x, int y) {
    return std::string(verb) + " " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

inline bool HeadlessAvailable() { return std::string(TAVILO_HEADLESS).size() > 0; }

#define REQUIRE_HEADLESS()                                         \
    do {                                                           \
        if (!::progtest::HeadlessAvailable()) {                    \
            GTEST_SKIP() << "tavilo-headless is not built";        \
        }                                                          \
    } while (0)

// Runs a script and expects it to end as the program ends: code 0.
inline RunResult RunOk(const std::string& script, const RunOptions& options = {}) {
    RunResult r = RunHeadless(script, options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r;
}

inline const Json& Runner(const Json& state, int i) { return state["board"]["runners"][static_cast<size_t>(i)]; }

}  // namespace progtest

// The game as the rules play it, without a screen: the same ladder the
// program builds when its New runs at a given clock reading, and the runners
// moved tick by tick as the "All" sequence launches them. The scenario tests
// compare the program's pixels and state with it.
#pragma once

#include <cstdint>
#include <vector>

#include "board.h"

namespace progtest {

struct GameModel {
    LadderBoard* board = nullptr;
    // For each tick after the first launch, whether that tick set the board
    // done, and after which tick each runner arrived (0 while not yet).
    std::vector<int> arrivalTick;
    int doneTick = 0;
    int ticks = 0;  // ticks run so far

    GameModel() = default;
    GameModel(const GameModel&) = delete;
    GameModel& operator=(const GameModel&) = delete;
    ~GameModel();
};

// A board generated as New generates it at clockMs, with the geometry a
// 240-pixel-wide window gives it, in play and with every runner idle.
void BuildModel(GameModel& model, int players, uint64_t clockMs);

// Runs `ticks` more animation ticks of a game whose "All" was chosen just
// before its first tick.
void RunAllTicks(GameModel& model, int ticks);

// The pixel points of runner i's trail.
std::vector<POINT> TrailOf(const GameModel& model, int i);

}  // namespace progtest

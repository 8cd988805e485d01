// The program's state as one JSON line, for the headless host's "state"
// command: the board with one record per player, then the shared flags; and
// the draw as a line of text for the hosts to copy and share.
#include <string>

#include "runner.h"
#include "phrases.h"
#include "user/module.h"
#include "user/program.h"
#include "input/stylus.h"
#include "intro/intro.h"
#include "shell/globals.h"

namespace {

void AppendField(std::string& out, const char* name, long long value, bool comma = true) {
    out += '"';
    out += name;
    out += "\":";
    out += std::to_string(value);
    if (comma) {
        out += ',';
    }
}

void AppendBoard(std::string& out, const LadderBoard* board) {
    if (board == nullptr) {
        out += "null";
        return;
    }
    out += '{';
    AppendField(out, "state", board->state);
    AppendField(out, "playerCount", board->playerCount);
    AppendField(out, "originX", board->originX);
    AppendField(out, "originY", board->originY);
    out += "\"runners\":[";
    for (int i = 0; i < board->playerCount && i < MAX_RUNNERS; ++i) {
        const Runner& r = board->runners[i];
        if (i > 0) {
            out += ',';
        }
        out += '{';
        AppendField(out, "status", r.status);
        AppendField(out, "column", r.column);
        AppendField(out, "row", r.row);
        AppendField(out, "direction", r.direction);
        AppendField(out, "pointCount", r.pointCount);
        AppendField(out, "handFrame", r.handFrame, false);
        out += '}';
    }
    out += "]}";
}

}  // namespace

std::string DescribeProgramState() {
    std::string out = "{\"board\":";
    AppendBoard(out, g_board);
    out += ',';
    AppendField(out, "g_playerCount", g_playerCount);
    AppendField(out, "g_introVisible", g_introVisible);
    AppendField(out, "g_introIndex", g_introIndex);
    AppendField(out, "g_allActive", g_allActive);
    AppendField(out, "g_allNext", g_allNext);
    AppendField(out, "g_optionsAccepted", g_optionsAccepted);
    AppendField(out, "g_penDown", g_penDown, false);
    out += '}';
    return out;
}

namespace {

// The pole (0-based) under which an arrived runner stands, or -1 where its
// column is not a pole's, which the rules never leave behind.
int ArrivalPole(const LadderBoard& board, const Runner& runner) {
    const int stride = board.gap + 1;
    if (runner.column < 0 || stride <= 0 || runner.column % stride != 0) {
        return -1;
    }
    const int pole = runner.column / stride;
    return pole < board.playerCount ? pole : -1;
}

}  // namespace

std::string DescribeResult() {
    const res::Phrases& words = res::PhrasesFor(user::ResourceLanguage());
    const LadderBoard* board = g_board;
    if (board == nullptr || board->state == BOARD_TITLE) {
        return words.noGame;
    }
    const int count = board->playerCount < MAX_RUNNERS ? board->playerCount : MAX_RUNNERS;
    std::string out;
    res::AppendPhrase(out, words.heading, [count](std::string& o, int) { o += std::to_string(count); });
    for (int i = 0; i < count; ++i) {
        const Runner& r = board->runners[i];
        if (i > 0) {
            out += words.separator;
        }
        const int pole = r.status == RUNNER_ARRIVED ? ArrivalPole(*board, r) : -1;
        const char* item = pole >= 0 ? words.arrivedAt : r.status == RUNNER_IDLE ? words.notStarted : words.onTheWay;
        res::AppendPhrase(out, item, [i, pole](std::string& o, int k) { o += std::to_string(k == 1 ? i + 1 : pole + 1); });
    }
    return out;
}

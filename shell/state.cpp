// The program's state as one JSON line, for the headless host's "state"
// command: the board with one record per player, then the shared flags.
#include <string>

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

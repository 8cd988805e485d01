// The program's state as one JSON line, for the headless host's "state"
// command: the board with one record per player, then the shared flags; and
// the draw as a line of text for the hosts to copy and share.
#include <string>

#include "runner.h"
#include "runtime/language.h"
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

// Every word of the result line, one record a language; English first, and
// the first is the fallback of a language without its own.
struct ResultWords {
    WORD language;
    const char* noGame;     // no board, or the title picture
    const char* heading;    // before the count
    const char* players;    // after the count
    const char* arrow;      // between a player and the pole it arrived under (U+2192)
    const char* onTheWay;   // after a player whose runner still moves
    const char* notStarted; // after a player whose runner has not set off
    const char* separator;  // between two players
};
constexpr ResultWords kResultWords[] = {
    {0, "Tavilo: no game yet", "Tavilo, ", " players: ", " \xE2\x86\x92 ", " on the way", " not started", ", "},
    {rt::kLanguageSpanish, "Tavilo: aún no hay partida", "Tavilo, ", " jugadores: ", " \xE2\x86\x92 ", " en camino",
     " sin salir", ", "},
    {rt::kLanguagePortugueseBrazil, "Tavilo: nenhum jogo ainda", "Tavilo, ", " jogadores: ", " \xE2\x86\x92 ",
     " a caminho", " não saiu", ", "},
    {rt::kLanguageFrench, "Tavilo : pas encore de partie", "Tavilo, ", " joueurs : ", " \xE2\x86\x92 ", " en route",
     " pas encore parti", ", "},
    {rt::kLanguageGerman, "Tavilo: noch kein Spiel", "Tavilo, ", " Spieler: ", " \xE2\x86\x92 ", " unterwegs",
     " noch nicht los", ", "},
    {rt::kLanguageJapanese, "Tavilo：まだゲームがありません", "Tavilo（", "人）：", " → ", " 移動中", " まだ", "、"},
    {rt::kLanguageKorean, "Tavilo: 아직 게임이 없어요", "Tavilo, ", "명: ", " → ", " 이동 중", " 출발 전", ", "},
    {rt::kLanguageChineseSimplified, "Tavilo：还没有游戏", "Tavilo，", "人：", " → ", " 途中", " 未出发", "，"},
    {rt::kLanguageChineseTraditional, "Tavilo：還沒有遊戲", "Tavilo，", "人：", " → ", " 途中", " 未出發", "，"},
};

const ResultWords& WordsFor(WORD language) {
    for (const ResultWords& words : kResultWords) {
        if (words.language == language) {
            return words;
        }
    }
    return kResultWords[0];
}

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
    const ResultWords& words = WordsFor(user::ResourceLanguage());
    const LadderBoard* board = g_board;
    if (board == nullptr || board->state == BOARD_TITLE) {
        return words.noGame;
    }
    const int count = board->playerCount < MAX_RUNNERS ? board->playerCount : MAX_RUNNERS;
    std::string out = words.heading;
    out += std::to_string(count);
    out += words.players;
    for (int i = 0; i < count; ++i) {
        const Runner& r = board->runners[i];
        if (i > 0) {
            out += words.separator;
        }
        out += std::to_string(i + 1);
        const int pole = r.status == RUNNER_ARRIVED ? ArrivalPole(*board, r) : -1;
        if (pole >= 0) {
            out += words.arrow;
            out += std::to_string(pole + 1);
        } else {
            out += r.status == RUNNER_IDLE ? words.notStarted : words.onTheWay;
        }
    }
    return out;
}

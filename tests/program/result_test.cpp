// The draw as text for a person: what the line says before a game, while
// runners move and once they all arrived, checked against the balls the
// screen shows under the poles, and in each language with its own word order.
#include <set>
#include <sstream>

#include "harness.h"
#include "runner.h"
#include "runtime/language.h"
#include "shell/globals.h"
#include "user/module.h"
#include "user/program.h"
#include "view/view.h"

namespace progtest {
namespace {

// g_board set to a board of the test's own for one call, in one language.
std::string ResultFor(LadderBoard* board, WORD language = rt::kLanguageEnglish) {
    LadderBoard* const saved = g_board;
    g_board = board;
    user::SetResourceLanguage(language);
    std::string text = DescribeResult();
    user::SetResourceLanguage(rt::kLanguageEnglish);
    g_board = saved;
    return text;
}

// Four players in a game: the first arrived at pole 3, the second between
// poles, the third not started, the fourth arrived at pole 1.
LadderBoard* GameUnderWay() {
    LadderBoard* board = CreateBoard(4, 2, 12);
    if (board == nullptr) {
        return nullptr;
    }
    board->state = BOARD_PLAY;
    board->runners[0].status = RUNNER_ARRIVED;
    board->runners[0].column = PoleColumn(board, 2);
    board->runners[1].status = RUNNER_MOVING;
    board->runners[1].column = 4;
    board->runners[2].status = RUNNER_IDLE;
    board->runners[3].status = RUNNER_ARRIVED;
    board->runners[3].column = PoleColumn(board, 0);
    return board;
}

// A finished runner stands under its arrival pole; the line names poles from
// 1, whatever the gap between them. A runner whose column is not a pole's
// (which the rules never leave) is not given a made-up pole.
TEST(ResultText, NamesEachPlayersPoleOrSaysWhereTheRunnerIs) {
    LadderBoard* board = GameUnderWay();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(ResultFor(board), "Tavilo, 4 players: 1 \u2192 3, 2 on the way, 3 not started, 4 \u2192 1");

    board->runners[0].column = 4;  // between poles 1 and 2 with a gap of 2
    board->runners[3].column = PoleColumn(board, 4);
    EXPECT_EQ(ResultFor(board), "Tavilo, 4 players: 1 on the way, 2 on the way, 3 not started, 4 on the way");
    DestroyBoard(board);
}

TEST(ResultText, SpeaksEachLanguageWithItsOwnWordOrder) {
    LadderBoard* board = GameUnderWay();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(ResultFor(board, rt::kLanguageJapanese), "Tavilo（4人）：1 \u2192 3、2 移動中、3 まだ、4 \u2192 1");
    EXPECT_EQ(ResultFor(board, rt::kLanguageKorean), "Tavilo, 4명: 1 \u2192 3, 2 이동 중, 3 출발 전, 4 \u2192 1");
    EXPECT_EQ(ResultFor(board, rt::kLanguageChineseTraditional), "Tavilo，4人：1 \u2192 3，2 途中，3 未出發，4 \u2192 1");
    EXPECT_EQ(ResultFor(board, rt::kLanguageGerman), "Tavilo, 4 Spieler: 1 \u2192 3, 2 unterwegs, 3 noch nicht los, 4 \u2192 1");

    // Every language its own line, each with the players in order; a
    // language without texts (Russian, Italian) and neutral read English.
    const std::string english = ResultFor(board, rt::kLanguageEnglish);
    std::set<std::string> lines;
    for (const char* code : {"en", "ja", "ko", "zh-Hans", "zh-Hant", "es", "pt-BR", "fr", "de"}) {
        const std::string line = ResultFor(board, rt::LanguageFromTag(code));
        EXPECT_TRUE(lines.insert(line).second) << code << ": " << line;
        size_t at = 0;
        for (const char* item : {"4", "1 \u2192 3", "2", "3", "4 \u2192 1"}) {
            at = line.find(item, at);
            ASSERT_NE(at, std::string::npos) << code << " lacks " << item << " in order: " << line;
            at += std::string(item).size();
        }
    }
    for (WORD other : {WORD{0x0419}, WORD{0x0410}, WORD{0}}) {
        EXPECT_EQ(ResultFor(board, other), english) << std::hex << other;
    }
    board->state = BOARD_TITLE;
    EXPECT_EQ(ResultFor(board, rt::kLanguageChineseSimplified), "Tavilo：还没有游戏");
    EXPECT_EQ(ResultFor(board, 0x0419), "Tavilo: no game yet");
    DestroyBoard(board);
}

TEST(ResultText, NoBoardAndTheTitleSayThereIsNoGameYet) {
    EXPECT_EQ(ResultFor(nullptr), "Tavilo: no game yet");
    LadderBoard* board = CreateBoard(6, 2, 0);
    ASSERT_NE(board, nullptr);
    board->state = BOARD_TITLE;
    EXPECT_EQ(ResultFor(board), "Tavilo: no game yet");
    DestroyBoard(board);
}

// The line of a real game from the title to the end, the finished one
// compared with the screen: under each pole stands the ball of the player
// the line sends there, and every pole has one player.
TEST(ResultText, FollowsAWholeGameAndMatchesTheBallsUnderThePoles) {
    std::vector<std::string> lines;
    auto record = [&lines] { lines.push_back(DescribeResult()); };
    Image finished;
    std::vector<int> poleX;
    const int code = RunProgram({
        CheckStep(record),
        CommandStep(IDM_NEW),
        WaitStep(10),
        CheckStep(record),
        CheckStep([] { LaunchRunner(g_board, 2); }),
        WaitStep(60),
        CheckStep(record),
        CommandStep(IDM_ALL),
        WaitStep(8000),
        CheckStep([&] {
            ASSERT_EQ(g_board->state, BOARD_DONE);
            record();
            finished = ScreenCopy();
            for (int m = 0; m < g_board->playerCount; ++m) poleX.push_back(PoleX(g_board, m));
        }),
    });
    EXPECT_EQ(code, 0);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Tavilo: no game yet");
    EXPECT_EQ(lines[1],
              "Tavilo, 6 players: 1 not started, 2 not started, 3 not started, 4 not started, 5 not started, 6 not "
              "started");
    EXPECT_EQ(lines[2],
              "Tavilo, 6 players: 1 not started, 2 not started, 3 on the way, 4 not started, 5 not started, 6 not "
              "started");

    ASSERT_EQ(poleX.size(), 6u);
    std::vector<int> playerAt(6, -1);
    for (int m = 0; m < 6; ++m) {
        for (int i = 0; i < 6; ++i) {
            if (SpriteMisses(finished, poleX[m] - 4, 239, Bitmap(IDB_BALLS), BALL_WIDTH * i, BALL_WIDTH,
                             BALL_HEIGHT) == 0) {
                playerAt[m] = i;
            }
        }
    }
    std::vector<int> poleOf(6, -1);
    for (int m = 0; m < 6; ++m) {
        ASSERT_GE(playerAt[m], 0) << "no ball under pole " << m + 1;
        poleOf[playerAt[m]] = m;
    }
    std::string expected = "Tavilo, 6 players: ";
    for (int i = 0; i < 6; ++i) {
        ASSERT_GE(poleOf[i], 0) << "no pole for player " << i + 1;
        expected += (i ? ", " : "") + std::to_string(i + 1) + " \u2192 " + std::to_string(poleOf[i] + 1);
    }
    EXPECT_EQ(lines[3], expected);
}

// The headless host's save and result: after All the picture in the named
// folder is the board area of the screen at that moment, each pixel 3 x 3,
// and the line is the program's, naming for each player the pole where its
// ball stands on the screen.
TEST(ResultText, TheHeadlessHostSavesTheBoardPictureAndPrintsTheLine) {
    const std::string dir = MakeTempDir();
    const Outcome r = RunHeadless("result\n" + Cmd(IDM_NEW) + Cmd(IDM_ALL) + Wait(8000) + "state\nshot s.png\nresult\nsave " +
                                      dir + "/Pictures\nsave " + dir + "/Pictures\n",
                                  dir);
    ASSERT_EQ(r.states.size(), 1u) << r.err;
    EXPECT_EQ(r.states[0]["state"], BOARD_DONE);
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> out;
        std::istringstream text(ReadFile(dir + "/out.txt"));
        for (std::string line; std::getline(text, line);) {
            if (line.empty() || line.front() != '{') out.push_back(line);
        }
        return out;
    }();
    ASSERT_EQ(lines.size(), 4u) << ReadFile(dir + "/out.txt");
    EXPECT_EQ(lines[0], "Tavilo: no game yet");

    const Image screen = r.Shot("s.png");
    std::vector<int> poleOf(6, -1);
    for (int m = 0; m < 6; ++m) {
        for (int i = 0; i < 6; ++i) {
            if (SpriteMisses(screen, 40 + 30 * m - 4, 239, Bitmap(IDB_BALLS), BALL_WIDTH * i, BALL_WIDTH,
                             BALL_HEIGHT) == 0) {
                poleOf[i] = m;
            }
        }
    }
    std::string expected = "Tavilo, 6 players: ";
    for (int i = 0; i < 6; ++i) {
        expected += (i ? ", " : "") + std::to_string(i + 1) + " \u2192 " + std::to_string(poleOf[i] + 1);
    }
    EXPECT_EQ(lines[1], expected);

    // Two saves in the same second or not, two files, neither replaced.
    const std::string prefix = "saved " + dir + "/Pictures/Tavilo ";
    ASSERT_EQ(lines[2].rfind(prefix, 0), 0u) << lines[2];
    ASSERT_EQ(lines[3].rfind(prefix, 0), 0u) << lines[3];
    EXPECT_NE(lines[2], lines[3]);
    for (const std::string& line : {lines[2], lines[3]}) {
        const Image saved = LoadPng(line.substr(6));
        ASSERT_EQ(saved.width, 720);
        ASSERT_EQ(saved.pixels.size(), 720u * 882u);
        int wrong = 0;
        for (int y = 0; y < 882; ++y) {
            for (int x = 0; x < 720; ++x) wrong += Pixel(saved, x, y) != Pixel(screen, x / 3, y / 3);
        }
        EXPECT_EQ(wrong, 0) << line;
    }
}

}  // namespace
}  // namespace progtest

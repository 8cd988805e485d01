// The status for the browser's screen-reader layer (DescribeStatus): what
// the screen shows, and the news as it happens, taken the way the page takes
// it, after every frame.
#include <algorithm>
#include <map>

#include "harness.h"
#include "runtime/language.h"
#include "user/module.h"
#include "runtime/system.h"
#include "shell/globals.h"
#include "user/program.h"

namespace progtest {
namespace {

std::map<std::string, std::string> Fields(const std::string& status) {
    std::map<std::string, std::string> fields;
    size_t at = 0;
    while (at < status.size()) {
        size_t end = status.find('\n', at);
        EXPECT_NE(end, std::string::npos) << "every line ends";
        const std::string line = status.substr(at, end - at);
        const size_t tab = line.find('\t');
        EXPECT_NE(tab, std::string::npos) << line;
        fields[line.substr(0, tab)] = line.substr(tab + 1);
        at = end + 1;
    }
    return fields;
}

// The news heard so far: each time the number moves on, its text.
struct Listener {
    std::string number = "0";
    std::vector<std::string> heard;
    std::map<std::string, std::string> last;
    void Listen() {
        last = Fields(DescribeStatus());
        const std::string& news = last["news"];
        const size_t tab = news.find('\t');
        ASSERT_NE(tab, std::string::npos) << news;
        if (news.substr(0, tab) != number) {
            number = news.substr(0, tab);
            heard.push_back(news.substr(tab + 1));
        }
    }
};

Step Key(host::EventKind kind, unsigned vk, char16_t ch = 0) {
    Step s;
    s.event.kind = kind, s.event.vk = vk, s.event.ch = ch;
    return s;
}
void AddKey(std::vector<Step>* steps, unsigned vk, char16_t ch = 0) {
    steps->push_back(Key(host::EventKind::KeyDown, vk, ch));
    steps->push_back(Key(host::EventKind::KeyUp, vk));
}

// Waits ms in ticks, listening after each as the page does.
void ListenFor(std::vector<Step>* steps, Listener* listener, int ms) {
    for (int t = 0; t < ms; t += 50) {
        steps->push_back(WaitStep(50));
        steps->push_back(CheckStep([listener] { listener->Listen(); }));
    }
}

TEST(Status, TellsTheGameARunnerAtATimeAndAllInOneLine) {
    Listener l;
    std::string arrival;
    std::string result;
    std::vector<Step> steps = {CheckStep([&] {
        l.Listen();
        EXPECT_EQ(l.last["screen"], "Tavilo, a ladder lottery. N starts a game.");
        EXPECT_EQ(l.last["news"], "0\t");
        EXPECT_EQ(l.last["dialog"], "none");
        EXPECT_EQ(l.last["players"], "0");
        EXPECT_EQ(l.last["board"], "title");
        EXPECT_EQ(l.last["buttons"], "New\tAll\tOption\tHelp: About\tExit\tStart player %\tFewer players\t"
                                     "More players\tOK\tCancel\tClose");
    })};
    AddKey(&steps, 'N', u'n');
    ListenFor(&steps, &l, 100);
    steps.push_back(CheckStep([&] {
        EXPECT_EQ(l.last["screen"], "Tavilo, 6 players: 0 arrived, 0 on the way, 6 waiting");
        EXPECT_EQ(l.last["players"], "6");
        EXPECT_EQ(l.last["board"], "play");
    }));
    AddKey(&steps, '3', u'3');
    ListenFor(&steps, &l, 100);
    steps.push_back(CheckStep([&] {
        EXPECT_EQ(l.last["screen"], "Tavilo, 6 players: 0 arrived, 1 on the way, 5 waiting");
    }));
    ListenFor(&steps, &l, 3000);
    steps.push_back(CheckStep([&] {
        ASSERT_EQ(g_board->runners[2].status, RUNNER_ARRIVED);
        arrival = "Player 3 arrives at " + std::to_string(g_board->runners[2].column / 3 + 1) + ".";
        EXPECT_EQ(l.last["screen"], "Tavilo, 6 players: 1 arrived, 0 on the way, 5 waiting");
    }));
    AddKey(&steps, 'A', u'a');
    ListenFor(&steps, &l, 5000);
    steps.push_back(CheckStep([&] {
        ASSERT_EQ(g_board->state, BOARD_DONE);
        result = DescribeResult();
        EXPECT_EQ(l.last["screen"], result);
        EXPECT_EQ(l.last["board"], "done");
    }));
    EXPECT_EQ(RunProgram(steps), 0);
    EXPECT_EQ(l.heard, (std::vector<std::string>{"New game, 6 players.", "Player 3 sets off.", arrival,
                                                 "All players set off.", result}));
}

// The dialogs are news as they open, and the player count each time it
// changes; the screen says what the dialog shows.
TEST(Status, TellsADialogAsItOpensAndTheCountAsItChanges) {
    Listener l;
    std::vector<Step> steps;
    AddKey(&steps, 'N', u'n');
    ListenFor(&steps, &l, 100);
    steps.push_back(CommandStep(IDM_ABOUT));
    ListenFor(&steps, &l, 100);
    steps.push_back(CheckStep([&] {
        EXPECT_EQ(l.last["dialog"], "about");
        ASSERT_EQ(l.heard.size(), 2u);
        EXPECT_EQ(l.heard[1].rfind("About Tavilo! Tavilo! Version ", 0), 0u) << l.heard[1];
        EXPECT_NE(l.heard[1].find(". www."), std::string::npos) << l.heard[1];
        EXPECT_EQ(l.last["screen"], l.heard[1]);
    }));
    AddKey(&steps, VK_ESCAPE, 27);
    ListenFor(&steps, &l, 100);
    steps.push_back(CheckStep([&] {
        EXPECT_EQ(l.last["dialog"], "none");
        EXPECT_EQ(l.heard.size(), 2u) << "a closing dialog is no news";
    }));
    AddKey(&steps, 'O', u'o');
    ListenFor(&steps, &l, 100);
    AddKey(&steps, VK_RIGHT);
    ListenFor(&steps, &l, 100);
    steps.push_back(CheckStep([&] {
        EXPECT_EQ(l.last["dialog"], "option");
        EXPECT_EQ(l.last["screen"], "Players: 7.");
    }));
    AddKey(&steps, VK_RIGHT);
    ListenFor(&steps, &l, 100);
    AddKey(&steps, VK_RETURN, u'\r');
    ListenFor(&steps, &l, 100);
    EXPECT_EQ(RunProgram(steps), 0);
    ASSERT_EQ(l.heard.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(l.heard.begin() + 2, l.heard.end()),
              (std::vector<std::string>{"Players: 6.", "Players: 7.", "Players: 8.", "New game, 8 players."}));
}

// The status speaks the program's language, the page's button names too.
TEST(Status, SpeaksTheProgramsLanguage) {
    Listener l;
    std::vector<Step> steps = {CheckStep([] { user::SetResourceLanguage(rt::kLanguageGerman); })};
    AddKey(&steps, 'N', u'n');
    ListenFor(&steps, &l, 100);
    steps.push_back(CheckStep([&] {
        EXPECT_EQ(l.heard, std::vector<std::string>{"Neues Spiel, 6 Spieler."});
        EXPECT_EQ(l.last["screen"], "Tavilo, 6 Spieler: 0 angekommen, 0 unterwegs, 6 warten");
        EXPECT_EQ(l.last["buttons"].substr(0, 9), "Neu\tAlle\t");
        user::SetResourceLanguage(rt::kLanguageEnglish);
    }));
    EXPECT_EQ(RunProgram(steps), 0);
}

// The status speaks the chosen language, with the numbers where its words
// want them; Japanese runs its sentences together with its own full stop.
TEST(Status, SpeaksTheChosenLanguage) {
    sys::SetLanguage("ko");
    Listener l;
    std::string arrival;
    std::string result;
    std::vector<Step> steps = {CheckStep([&] {
        l.Listen();
        EXPECT_EQ(l.last["screen"], "Tavilo, 사다리 타기. N 키로 게임 시작.");
    })};
    AddKey(&steps, 'N', u'n');
    ListenFor(&steps, &l, 100);
    AddKey(&steps, '3', u'3');
    ListenFor(&steps, &l, 3000);
    steps.push_back(CheckStep([&] {
        ASSERT_EQ(g_board->runners[2].status, RUNNER_ARRIVED);
        arrival = "3번 플레이어가 " + std::to_string(g_board->runners[2].column / 3 + 1) + "번에 도착.";
        EXPECT_EQ(l.last["screen"], "Tavilo, 6명: 도착 1, 이동 중 0, 대기 5");
        EXPECT_EQ(l.last["players"], "6") << "the field names and values stay as they are";
        EXPECT_EQ(l.last["board"], "play");
    }));
    AddKey(&steps, 'A', u'a');
    ListenFor(&steps, &l, 5000);
    steps.push_back(CheckStep([&] {
        result = DescribeResult();
        EXPECT_EQ(result.rfind("Tavilo, 6명: ", 0), 0u) << result;
        EXPECT_EQ(l.last["screen"], result);
    }));
    EXPECT_EQ(RunProgram(steps), 0);
    EXPECT_EQ(l.heard, (std::vector<std::string>{"새 게임, 6명.", "3번 플레이어 출발.", arrival, "모두 출발.", result}));

    sys::SetLanguage("ja-JP");
    Listener j;
    steps.clear();
    AddKey(&steps, 'O', u'o');
    ListenFor(&steps, &j, 100);
    AddKey(&steps, VK_RIGHT);
    ListenFor(&steps, &j, 100);
    AddKey(&steps, VK_RETURN, u'\r');
    AddKey(&steps, '1', u'1');
    AddKey(&steps, '2', u'2');
    ListenFor(&steps, &j, 50);
    steps.push_back(CommandStep(IDM_ABOUT));
    ListenFor(&steps, &j, 100);
    steps.push_back(CheckStep([&] {
        ASSERT_EQ(j.heard.size(), 4u);
        // The lines joined by the Japanese full stop, with no space after it.
        EXPECT_EQ(j.heard[3].rfind("Tavilo について。Tavilo! Ver. ", 0), 0u) << j.heard[3];
        const std::string end = "。Copyright (C) 2003 Menkor。www.menkor.example。";
        EXPECT_EQ(j.heard[3].substr(j.heard[3].size() - std::min(end.size(), j.heard[3].size())), end);
    }));
    EXPECT_EQ(RunProgram(steps), 0);
    sys::SetLanguage("");
    ASSERT_GE(j.heard.size(), 3u);
    EXPECT_EQ(j.heard[0], "人数：6。");
    EXPECT_EQ(j.heard[1], "人数：7。");
    EXPECT_EQ(j.heard[2], "新しいゲーム、7人。プレイヤー1がスタート。プレイヤー2がスタート。");
}

}  // namespace
}  // namespace progtest

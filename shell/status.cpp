// What the screen shows and what has just happened, told from the program's
// state for a screen reader (see DescribeStatus in user/program.h). The news
// is what changed since the previous call: a new game, a runner setting off
// or arriving, the whole result, a dialog opening or its count changing.
// Under All, one line says that everyone set off, and the result follows;
// the runners' own lines would be sixteen.
//
// The page asks after every frame it shows, so a game in progress must not
// touch the heap: the text is built in buffers that keep their capacity,
// and the result line is made once a game.
#include "shell/status.h"

#include <charconv>
#include <initializer_list>
#include <string>
#include <string_view>

#include "phrases.h"
#include "resource.h"
#include "user/module.h"
#include "user/program.h"
#include "shell/globals.h"
#include "shell/shell.h"

namespace {

// The status's words in the program's language (resources/phrases.h).
const res::Phrases& Words() { return res::PhrasesFor(user::ResourceLanguage()); }

enum class Dialog { None, About, PlayerCount };
constexpr const char* kDialogNames[] = {"none", "about", "option"};

// What the previous call saw.
struct Seen {
    int32_t game = 0;
    int32_t allCommands = 0;
    bool underAll = false;
    int state = BOARD_TITLE;
    int32_t status[MAX_RUNNERS] = {};
    Dialog dialog = Dialog::None;
    int32_t count = 0;
};

int32_t g_gamesStarted = 0;
int32_t g_allCommands = 0;
Seen g_seen;
int32_t g_newsNumber = 0;
std::string g_lastNews;
std::string g_result;         // the result line of game g_resultFor
int32_t g_resultFor = -1;

constexpr size_t kTextCapacity = 1024;
constexpr int kWindowText = 128;

std::string& Reserved(std::string& s) {
    if (s.capacity() < kTextCapacity) {
        s.reserve(kTextCapacity);
    }
    return s;
}

void AppendNumber(std::string& out, long long value) {
    char digits[24];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, ec == std::errc() ? end : digits);
}

// UTF-16 from a window's text as UTF-8; a lone surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, const WCHAR* text) {
    for (; *text != 0; ++text) {
        char32_t cp = *text;
        if (cp >= 0xD800 && cp <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[1] - 0xDC00);
            ++text;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
}

// A pattern with its {k} replaced by numbers[k - 1].
void AppendNumbers(std::string& out, const char* pattern, std::initializer_list<long long> numbers) {
    res::AppendPhrase(out, pattern, [&numbers](std::string& o, int k) {
        if (static_cast<size_t>(k) <= numbers.size()) {
            AppendNumber(o, numbers.begin()[k - 1]);
        }
    });
}

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Whether text ends a sentence: with the language's full stop or an
// exclamation mark (the About box's "Tavilo!").
bool EndsSentence(const std::string& text, const res::Phrases& words) {
    return EndsWith(text, words.sentenceEnd) || EndsWith(text, "!") || EndsWith(text, "\xEF\xBC\x81");
}

bool SameText(const WCHAR* a, const WCHAR* b) {
    for (; *a != 0 && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

// The dialog open over the main window, found among its visible owned
// windows: the player-count dialog by its count control, About by its
// title. The intro panel is neither.
Dialog OpenDialog(HWND* found) {
    LPCDLGTEMPLATEW about = LoadDialogTemplate(g_hInst, IDD_ABOUT);
    for (HWND w = GetWindow(g_hwndMain, GW_HWNDFIRST); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == g_hwndMain || w == g_hwndIntro || !IsWindowVisible(w) || GetWindow(w, GW_OWNER) != g_hwndMain) {
            continue;
        }
        *found = w;
        if (GetDlgItem(w, IDC_COUNT) != nullptr) {
            return Dialog::PlayerCount;
        }
        WCHAR title[kWindowText] = {};
        GetWindowTextW(w, title, kWindowText);
        if (about != nullptr && about->title != nullptr && SameText(title, about->title)) {
            return Dialog::About;
        }
    }
    *found = nullptr;
    return Dialog::None;
}

int32_t ShownCount(HWND dlg) {
    WCHAR text[16] = {};
    GetWindowTextW(GetDlgItem(dlg, IDC_COUNT), text, 16);
    int32_t n = 0;
    for (const WCHAR* c = text; *c >= u'0' && *c <= u'9' && n < 1000; ++c) {
        n = n * 10 + (*c - u'0');
    }
    return n;
}

// "About Tavilo!. Tavilo! Version 1.1. Copyright ... . www..." : the title
// and each line of text, in the template's order.
void AppendDialogText(std::string& out, HWND dlg, Dialog dialog) {
    const res::Phrases& words = Words();
    if (dialog == Dialog::PlayerCount) {
        AppendNumbers(out, words.count, {ShownCount(dlg)});
        return;
    }
    WCHAR text[kWindowText] = {};
    GetWindowTextW(dlg, text, kWindowText);
    AppendUtf8(out, text);
    for (HWND c = GetWindow(dlg, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        text[0] = 0;
        GetWindowTextW(c, text, kWindowText);
        if (text[0] != 0) {
            if (!out.empty() && !EndsSentence(out, words)) {
                out += words.sentenceEnd;
            }
            if (!out.empty()) {
                out += words.sentenceGap;
            }
            AppendUtf8(out, text);
        }
    }
    if (!EndsWith(out, words.sentenceEnd)) {
        out += words.sentenceEnd;
    }
}

const std::string& ResultOfThisGame() {
    if (g_resultFor != g_gamesStarted) {
        g_result = DescribeResult();
        g_resultFor = g_gamesStarted;
    }
    return g_result;
}

// Starts another sentence of the news.
void NextSentence(std::string& news) {
    if (!news.empty()) {
        news += Words().sentenceGap;
    }
}

// The news since the last call, into news (empty when nothing happened).
void CollectNews(std::string& news, Dialog dialog, HWND dlg) {
    const res::Phrases& words = Words();
    Seen& seen = g_seen;
    const LadderBoard* board = g_board;
    const bool inGame = board != nullptr && board->state != BOARD_TITLE;
    const int count = inGame ? (board->playerCount < MAX_RUNNERS ? board->playerCount : MAX_RUNNERS) : 0;
    if (seen.game != g_gamesStarted) {
        seen.game = g_gamesStarted;
        seen.underAll = false;
        seen.state = BOARD_TITLE;
        for (int32_t& s : seen.status) {
            s = RUNNER_IDLE;
        }
        if (inGame) {
            NextSentence(news);
            AppendNumbers(news, words.newGame, {count});
        }
    }
    if (seen.allCommands != g_allCommands) {
        seen.allCommands = g_allCommands;
        bool anyWaiting = false;
        for (int i = 0; i < count; ++i) {
            anyWaiting = anyWaiting || board->runners[i].status == RUNNER_IDLE;
        }
        if (inGame && board->state == BOARD_PLAY && anyWaiting) {
            seen.underAll = true;
            NextSentence(news);
            news += words.allSetOff;
        }
    }
    for (int i = 0; i < count; ++i) {
        const Runner& r = board->runners[i];
        const int32_t before = seen.status[i];
        seen.status[i] = r.status;
        if (seen.underAll) {
            continue;
        }
        if (before == RUNNER_IDLE && r.status != RUNNER_IDLE) {
            NextSentence(news);
            AppendNumbers(news, words.setsOff, {i + 1});
        }
        if (before != RUNNER_ARRIVED && r.status == RUNNER_ARRIVED) {
            const int stride = board->gap + 1;
            NextSentence(news);
            AppendNumbers(news, words.arrives, {i + 1, stride > 0 ? r.column / stride + 1 : 0});
        }
    }
    if (inGame && board->state == BOARD_DONE && seen.state != BOARD_DONE) {
        NextSentence(news);
        news += ResultOfThisGame();
    }
    seen.state = inGame ? board->state : BOARD_TITLE;

    const int32_t shown = dialog == Dialog::PlayerCount ? ShownCount(dlg) : 0;
    if (dialog != seen.dialog || shown != seen.count) {
        if (dialog != Dialog::None) {
            NextSentence(news);
            AppendDialogText(news, dlg, dialog);
        }
        seen.dialog = dialog;
        seen.count = shown;
    }
}

// What the screen shows now, for the canvas's name.
void AppendScreen(std::string& out, Dialog dialog, HWND dlg) {
    const res::Phrases& words = Words();
    if (dialog != Dialog::None) {
        AppendDialogText(out, dlg, dialog);
        return;
    }
    const LadderBoard* board = g_board;
    if (board == nullptr || board->state == BOARD_TITLE) {
        out += words.title;
        return;
    }
    if (board->state == BOARD_DONE) {
        out += ResultOfThisGame();
        return;
    }
    const int count = board->playerCount < MAX_RUNNERS ? board->playerCount : MAX_RUNNERS;
    int tally[4] = {};  // by status: idle, moving, -, arrived
    for (int i = 0; i < count; ++i) {
        const int32_t s = board->runners[i].status;
        tally[s >= 0 && s <= RUNNER_ARRIVED ? s : RUNNER_MOVING] += 1;
    }
    AppendNumbers(out, words.board, {count, tally[RUNNER_ARRIVED], tally[RUNNER_MOVING], tally[RUNNER_IDLE]});
}

}  // namespace

void NoteNewGame() { ++g_gamesStarted; }

void NoteAllCommand() { ++g_allCommands; }

void ResetStatus() {
    g_gamesStarted = g_allCommands = g_newsNumber = 0;
    g_seen = Seen{};
    g_lastNews.clear();
    g_result.clear();
    g_resultFor = -1;
}

const std::string& DescribeStatus() {
    static std::string out;
    static std::string news;
    Reserved(out).clear();
    Reserved(news).clear();
    Reserved(g_lastNews);

    HWND dlg = nullptr;
    const Dialog dialog = g_hwndMain != nullptr ? OpenDialog(&dlg) : Dialog::None;
    CollectNews(news, dialog, dlg);
    if (!news.empty()) {
        ++g_newsNumber;
        g_lastNews = news;
    }
    const LadderBoard* board = g_board;
    const bool inGame = board != nullptr && board->state != BOARD_TITLE;

    out += "screen\t";
    AppendScreen(out, dialog, dlg);
    out += "\nnews\t";
    AppendNumber(out, g_newsNumber);
    out += '\t';
    out += g_lastNews;
    out += "\ndialog\t";
    out += kDialogNames[static_cast<int>(dialog)];
    out += "\nplayers\t";
    AppendNumber(out, inGame ? board->playerCount : 0);
    out += "\nboard\t";
    out += !inGame ? "title" : board->state == BOARD_DONE ? "done" : "play";
    out += "\nbuttons";
    for (const char* name : Words().buttons) {
        out += '\t';
        out += name;
    }
    out += '\n';
    return out;
}

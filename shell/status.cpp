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
#include <string>

#include "runtime/language.h"
#include "user/module.h"
#include "user/program.h"
#include "resource.h"
#include "shell/globals.h"
#include "shell/shell.h"

namespace {

// Every word of the status, one record a language; English first, and the
// first is the fallback of a language without its own. The buttons are the
// browser page's, which take their names from here.
struct StatusWords {
    WORD language;
    const char* title;         // the screen before the first game
    const char* ladder;        // before the count of a game's screen
    const char* players;       // after it
    const char* arrived;       // after a number of runners that arrived
    const char* onTheWay;      // ... that are on the way
    const char* waiting;       // ... that have not set off
    const char* newGame;       // before the count of a new game
    const char* newGameEnd;    // after it
    const char* player;        // before a player's number
    const char* setsOff;       // after it: the runner set off
    const char* arrivesAt;     // between a player and its arrival pole
    const char* sentenceEnd;
    const char* allSetOff;     // the All command set every waiting runner off
    const char* countDialog;   // before the count in the player-count dialog
    // The page's buttons, in its order: New, All, Option, Help: About, Exit,
    // Start player k (% stands for k), Fewer players, More players, OK,
    // Cancel, and Close for About.
    const char* buttons[11];
};
constexpr StatusWords kStatusWords[] = {
    {0, "Tavilo, a ladder lottery. N starts a game.", "Tavilo, ", " players: ", " arrived, ", " on the way, ",
     " waiting", "New game, ", " players.", "Player ", " sets off.", " arrives at ", ".", "All players set off.",
     "Players: ",
     {"New", "All", "Option", "Help: About", "Exit", "Start player %", "Fewer players", "More players", "OK",
      "Cancel", "Close"}},
    {rt::kLanguageSpanish, "Tavilo, una lotería de escalera. N empieza una partida.", "Tavilo, ", " jugadores: ",
     " llegaron, ", " en camino, ", " esperan", "Nueva partida, ", " jugadores.", "Jugador ", " sale.",
     " llega a ", ".", "Salen todos los jugadores.", "Jugadores: ",
     {"Otra", "¡Ya!", "Opción", "Ayuda: Acerca de", "Salir", "Lanzar al jugador %", "Menos jugadores",
      "Más jugadores", "OK", "Cancelar", "Cerrar"}},
    {rt::kLanguagePortugueseBrazil, "Tavilo, uma loteria de escada. N começa um jogo.", "Tavilo, ", " jogadores: ",
     " chegaram, ", " a caminho, ", " esperando", "Novo jogo, ", " jogadores.", "Jogador ", " sai.",
     " chega em ", ".", "Todos os jogadores saem.", "Jogadores: ",
     {"Novo", "Todos", "Opção", "Ajuda: Sobre", "Sair", "Iniciar o jogador %", "Menos jogadores", "Mais jogadores",
      "OK", "Cancelar", "Fechar"}},
    {rt::kLanguageFrench, "Tavilo, une loterie à échelle. N commence une partie.", "Tavilo, ", " joueurs : ",
     " arrivés, ", " en route, ", " en attente", "Nouvelle partie, ", " joueurs.", "Joueur ", " part.",
     " arrive en ", ".", "Tous les joueurs partent.", "Joueurs : ",
     {"Rejouer", "Tous", "Joueurs", "Aide : À propos", "Fin", "Lancer le joueur %", "Moins de joueurs",
      "Plus de joueurs", "OK", "Annuler", "Fermer"}},
    {rt::kLanguageGerman, "Tavilo, eine Leiterlotterie. N beginnt ein Spiel.", "Tavilo, ", " Spieler: ",
     " angekommen, ", " unterwegs, ", " warten", "Neues Spiel, ", " Spieler.", "Spieler ", " läuft los.",
     " kommt an bei ", ".", "Alle Spieler laufen los.", "Spieler: ",
     {"Neu", "Alle", "Spieler", "Hilfe: Über", "Ende", "Spieler % starten", "Weniger Spieler", "Mehr Spieler",
      "OK", "Abbrechen", "Schließen"}},
};

const StatusWords& Words() {
    const WORD language = user::ResourceLanguage();
    for (const StatusWords& words : kStatusWords) {
        if (words.language == language) {
            return words;
        }
    }
    return kStatusWords[0];
}

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
    const StatusWords& words = Words();
    if (dialog == Dialog::PlayerCount) {
        out += words.countDialog;
        AppendNumber(out, ShownCount(dlg));
        out += words.sentenceEnd;
        return;
    }
    WCHAR text[kWindowText] = {};
    GetWindowTextW(dlg, text, kWindowText);
    AppendUtf8(out, text);
    for (HWND c = GetWindow(dlg, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        text[0] = 0;
        GetWindowTextW(c, text, kWindowText);
        if (text[0] != 0) {
            out += out.empty() || out.back() == '.' || out.back() == '!' ? " " : ". ";
            AppendUtf8(out, text);
        }
    }
    out += words.sentenceEnd;
}

const std::string& ResultOfThisGame() {
    if (g_resultFor != g_gamesStarted) {
        g_result = DescribeResult();
        g_resultFor = g_gamesStarted;
    }
    return g_result;
}

void Sentence(std::string& news, const char* text) {
    if (!news.empty()) {
        news += ' ';
    }
    news += text;
}

// The news since the last call, into news (empty when nothing happened).
void CollectNews(std::string& news, Dialog dialog, HWND dlg) {
    const StatusWords& words = Words();
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
            Sentence(news, words.newGame);
            AppendNumber(news, count);
            news += words.newGameEnd;
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
            Sentence(news, words.allSetOff);
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
            Sentence(news, words.player);
            AppendNumber(news, i + 1);
            news += words.setsOff;
        }
        if (before != RUNNER_ARRIVED && r.status == RUNNER_ARRIVED) {
            const int stride = board->gap + 1;
            Sentence(news, words.player);
            AppendNumber(news, i + 1);
            news += words.arrivesAt;
            AppendNumber(news, stride > 0 ? r.column / stride + 1 : 0);
            news += words.sentenceEnd;
        }
    }
    if (inGame && board->state == BOARD_DONE && seen.state != BOARD_DONE) {
        Sentence(news, ResultOfThisGame().c_str());
    }
    seen.state = inGame ? board->state : BOARD_TITLE;

    const int32_t shown = dialog == Dialog::PlayerCount ? ShownCount(dlg) : 0;
    if (dialog != seen.dialog || shown != seen.count) {
        if (dialog != Dialog::None) {
            if (!news.empty()) {
                news += ' ';
            }
            AppendDialogText(news, dlg, dialog);
        }
        seen.dialog = dialog;
        seen.count = shown;
    }
}

// What the screen shows now, for the canvas's name.
void AppendScreen(std::string& out, Dialog dialog, HWND dlg) {
    const StatusWords& words = Words();
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
    out += words.ladder;
    AppendNumber(out, count);
    out += words.players;
    AppendNumber(out, tally[RUNNER_ARRIVED]);
    out += words.arrived;
    AppendNumber(out, tally[RUNNER_MOVING]);
    out += words.onTheWay;
    AppendNumber(out, tally[RUNNER_IDLE]);
    out += words.waiting;
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

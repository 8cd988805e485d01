// tavilo-headless: the program with a virtual clock and no display, driven by
// a script. The clock moves only when the script says "wait", so every run of
// a script gives the same ticks, the same pictures and the same state.
//
// A line of the script is read only when the program waits for input, so a
// script on a pipe drives a running program step by step, and each line runs
// inside whichever loop is waiting, a modal dialog's included.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "gdi/cjk/cjk_glyphs.h"
#include "gdi/png.h"
#include "gdi/screen.h"
#include "runtime/descriptor_watch.h"
#include "runtime/runtime_control.h"
#include "runtime/system.h"
#include "runtime/utf.h"
#include "script.h"
#include "script_input.h"
#include "user/host.h"
#include "user/program.h"
#include "user/share.h"
#include "user/user.h"
#include "windows.h"

namespace {

// Exit codes of the host itself; the program's own code passes through.
constexpr int kExitUsage = 2;
constexpr int kExitScript = 2;
constexpr int kExitHung = 3;

// Close is repeated this many times before the host gives up on a program
// that will not end after its script has.
constexpr int kMaxCloses = 3;

struct Driver {
    const char* scriptName = "-";
    int scriptFd = -1;
    std::string buffer;
    bool eof = false;
    bool skipLineFeed = false;
    int lineNumber = 0;
    std::deque<host::Event> pending;
    bool waiting = false;
    uint64_t waitUntil = 0;
    bool finished = false;
    int closes = 0;
    int watchFd = -1;
    // A wake of the watched descriptor is reported before a step of the
    // clock only once, so that requests that keep coming (a flood of them)
    // cannot keep the program from its timers; while the host waits for
    // the script, the script comes first.
    bool wakeArmed = true;
};

Driver g_driver;

[[noreturn]] void Fail(int code, const std::string& message) {
    std::fprintf(stderr, "tavilo-headless: %s\n", message.c_str());
    std::fflush(stdout);
    std::exit(code);
}

// A line is quoted in a message only so far: enough to find it, not a
// whole megabyte of label.
std::string Quote(const std::string& line) {
    constexpr size_t kShown = 60;
    return line.size() <= kShown ? "\"" + line + "\"" : "\"" + line.substr(0, kShown) + "\"... (" +
                                                       std::to_string(line.size()) + " bytes)";
}

// A dialog as a person would name it: by its title, or by its buttons.
std::string DialogName(HWND dialog) {
    WCHAR title[128] = {};
    GetWindowTextW(dialog, title, 128);
    std::string text;
    if (title[0] != 0 && rt::Utf16ToUtf8(title, text)) {
        return "the dialog \"" + text + "\"";
    }
    std::string buttons;
    for (const std::u16string& label : user::PressLabelsIn(dialog)) {
        std::string utf8;
        if (rt::Utf16ToUtf8(label, utf8)) {
            buttons += (buttons.empty() ? "" : ", ") + Quote(utf8);
        }
    }
    return buttons.empty() ? "a dialog" : "the dialog with " + buttons;
}

[[noreturn]] void ScriptError(const std::string& message, const std::string& line) {
    Fail(kExitScript, std::string(g_driver.scriptName) + ":" + std::to_string(g_driver.lineNumber) + ": " +
                          message + ": " + Quote(line));
}

void PrintLine(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

enum class LineResult { Line, EndOfScript, Wake };

// Blocks until a whole line, the end of the script or a wake-up of the
// watched descriptor (another copy of the program knocking).
LineResult NextLine(std::string* line) {
    Driver& d = g_driver;
    for (;;) {
        // A line ends at LF, CR LF or a lone CR. The LF of a CR LF may come
        // in the next read, so it is skipped when it arrives rather than
        // waited for, which would stall a script fed line by line.
        if (d.skipLineFeed && !d.buffer.empty()) {
            if (d.buffer[0] == '\n') {
                d.buffer.erase(0, 1);
            }
            d.skipLineFeed = false;
        }
        size_t newline = d.buffer.find_first_of("\r\n");
        if (newline != std::string::npos) {
            *line = d.buffer.substr(0, newline);
            d.skipLineFeed = d.buffer[newline] == '\r';
            d.buffer.erase(0, newline + 1);
            ++d.lineNumber;
            return LineResult::Line;
        }
        if (d.eof) {
            if (d.buffer.empty()) {
                return LineResult::EndOfScript;
            }
            *line = d.buffer;
            d.buffer.clear();
            ++d.lineNumber;
            return LineResult::Line;
        }
        long got = 0;
        headless::Ready ready = headless::ReadScript(d.scriptFd, d.watchFd, &d.buffer, &got);
        if (ready == headless::Ready::Failed) {
            d.eof = true;
            continue;
        }
        if (ready == headless::Ready::Wake) {
            return LineResult::Wake;
        }
        if (got < 0) {
            Fail(kExitScript, std::string("cannot read the script ") + d.scriptName + ": " + std::strerror(errno));
        }
        if (got == 0) {
            d.eof = true;
        }
    }
}

bool CloseEvent(host::Event* event) {
    Driver& d = g_driver;
    d.finished = true;
    if (++d.closes > kMaxCloses) {
        Fail(kExitHung, "the program did not end after its script did");
    }
    *event = host::Event{};
    event->kind = host::EventKind::Close;
    return true;
}

int Usage(const char* problem) {
    if (problem != nullptr) {
        std::fprintf(stderr, "tavilo-headless: %s (see tavilo-headless --help)\n", problem);
        return kExitUsage;
    }
    std::fputs("Usage: tavilo-headless [--config-dir DIR] [--language CODE] [--clock-start MS] SCRIPT\n"
               "Runs Tavilo without a display, on a virtual clock, driven by SCRIPT:\n"
               "a file of commands, or - for standard input.\n"
               "\n"
               "  --config-dir DIR  keep the settings in DIR instead of $XDG_CONFIG_HOME/tavilo\n"
               "  --language CODE   show the game in that language (en, ja, ko, zh-Hans,\n"
               "                    zh-Hant, es, pt-BR, fr, de);\n"
               "                    the default follows LANGUAGE, LC_ALL, LC_MESSAGES, LANG\n"
               "  --clock-start MS  start the virtual clock at MS milliseconds, 0 to 2^62\n"
               "                    (4611686018427387904); default 0\n"
               "  --help            show this text and exit\n"
               "  --version         show the version and exit\n"
               "\n"
               "Script commands, one a line; # starts a comment:\n"
               "  tap X Y | down X Y | move X Y | up X Y   the stylus, in screen pixels\n"
               "  press LABEL        tap a menu-bar button, menu item or dialog button\n"
               "  key KEY...         keys: a letter, digit, punctuation mark or +, f1 to f12,\n"
               "                     enter, esc, space, tab, backspace, left, up, right,\n"
               "                     down, delete, alt, ctrl, shift, kp0 to kp9, kp+, kp-,\n"
               "                     kp*, kp/ or kpenter; alt+, ctrl+ or shift+ before a\n"
               "                     key hold that modifier\n"
               "  command N          send WM_COMMAND N to the main window (refused while\n"
               "                     a dialog is open, as the menu bar is)\n"
               "  wait MS            advance the clock by MS, 0 to 4294967295 milliseconds,\n"
               "                     running timers and paints\n"
               "  shot FILE.png      save the 240 x 320 screen\n"
               "  state              print one JSON line with the game's state\n"
               "  save DIR           save the board, 720 x 882, as a new \"Tavilo DATE TIME.png\"\n"
               "                     in DIR (made when missing), as Ctrl+S does in tavilo,\n"
               "                     and print \"saved DIR/NAME\"\n"
               "  result             print the draw as one line of text, as Ctrl+C copies it\n"
               "  quit               close the program as the window's close box does\n"
               "\n"
               "The game's keys, as in tavilo: 1 to 8 (or kp1 to kp8) start that player's\n"
               "runner, n is New, a is All, o is Option (left and right or - and + change\n"
               "the count, enter is OK, esc is CANCEL), f10 or alt alone walks the menu bar\n"
               "with the arrows, alt+/ is About; so \"key n 1 a\" plays a game.\n"
               "\n"
               "Exit status: the program's own, 2 for a usage or script error,\n"
               "3 when the program does not end after its script.\n",
               stdout);
    return 0;
}

}  // namespace

namespace host {

void Present(const uint32_t*, int, int, int, int) {
    // Nothing to show: "shot" reads the screen surface itself.
}

bool WaitEvent(uint64_t deadlineMs, Event* event) {
    Driver& d = g_driver;
    if (!d.pending.empty()) {
        *event = d.pending.front();
        d.pending.pop_front();
        return true;
    }
    if (d.wakeArmed && headless::HandOverWaiting(d.watchFd)) {
        d.wakeArmed = false;
        *event = Event{};
        event->kind = EventKind::HandOver;
        return true;
    }
    for (;;) {
        uint64_t now = rt::NowMs();
        if (d.waiting) {
            // Inside "wait": jump the clock to the next deadline, or to the
            // end of the wait. A deadline exactly at the end still runs.
            if (deadlineMs <= d.waitUntil) {
                if (deadlineMs > now) {
                    rt::SetClock(deadlineMs);
                    d.wakeArmed = true;
                }
                return false;
            }
            rt::SetClock(d.waitUntil);
            d.wakeArmed = true;
            d.waiting = false;
            now = d.waitUntil;
        }
        if (deadlineMs <= now) {
            return false;  // a poll: the program is not waiting, so no line is read
        }
        if (d.finished) {
            return CloseEvent(event);
        }
        std::string line;
        LineResult got = NextLine(&line);
        if (got == LineResult::Wake) {
            d.wakeArmed = false;
            *event = Event{};
            event->kind = EventKind::HandOver;
            return true;
        }
        d.wakeArmed = true;
        if (got == LineResult::EndOfScript) {
            return CloseEvent(event);  // the end of the script is "quit"
        }
        headless::ScriptLine command;
        std::string error;
        if (!headless::ParseScriptLine(line, &command, &error)) {
            ScriptError(error, line);
        }
        switch (command.kind) {
        case headless::ScriptLine::Kind::Nothing:
            break;
        case headless::ScriptLine::Kind::Wait:
            if (now > UINT64_MAX / 2 - command.waitMs) {
                ScriptError("the wait would take the clock past its end", line);
            }
            d.waiting = true;
            d.waitUntil = now + command.waitMs;
            break;
        case headless::ScriptLine::Kind::Shot:
            if (!gdi::WritePng(command.path.c_str(), gdi::ScreenPixels(), gdi::kScreenWidth, gdi::kScreenHeight)) {
                ScriptError("cannot write the picture", line);
            }
            break;
        case headless::ScriptLine::Kind::State:
            PrintLine(DescribeProgramState());
            break;
        case headless::ScriptLine::Kind::Result:
            PrintLine(DescribeResult());
            break;
        case headless::ScriptLine::Kind::Save: {
            std::string name;
            std::string reason;
            if (share::SaveBoardPicture(gdi::ScreenPixels(), command.path, &name, &reason) != 0) {
                ScriptError("cannot save the picture: " + reason, line);
            }
            PrintLine("saved " + command.path + "/" + name);
            break;
        }
        case headless::ScriptLine::Kind::Quit:
            return CloseEvent(event);
        case headless::ScriptLine::Kind::Press: {
            // A tap at the centre of the control, found where it shows now.
            std::u16string label;
            POINT centre{};
            if (!rt::Utf8ToUtf16(command.label, label) || !user::FindLabelledControl(label, &centre)) {
                ScriptError("no visible button, menu item or dialog button is labelled " + Quote(command.label), line);
            }
            d.pending.push_back(PenEvent(EventKind::PenDown, centre.x, centre.y));
            d.pending.push_back(PenEvent(EventKind::PenUp, centre.x, centre.y));
            *event = d.pending.front();
            d.pending.pop_front();
            return true;
        }
        case headless::ScriptLine::Kind::Command:
            // While a modal dialog is up, the menu bar takes no taps, so no
            // command could reach the main window; one posted behind the
            // dialog's back would run a second dialog loop inside the first.
            if (HWND modal = user::CurrentModal()) {
                ScriptError("a command cannot be sent while " + DialogName(modal) + " is open", line);
            }
            // Posted as the menu would post it; the caller finds it in the
            // queue before it waits again.
            if (HWND main = user::MainWindow()) {
                PostMessageW(main, WM_COMMAND, MAKEWPARAM(command.command, 0), 0);
            }
            return false;
        default:
            d.pending.assign(command.events.begin(), command.events.end());
            *event = d.pending.front();
            d.pending.pop_front();
            return true;
        }
    }
}

void RaiseWindow() {
    // No window to raise; say so, which is what tests of the single-instance
    // rule look for.
    std::fprintf(stderr, "tavilo-headless: another copy asked to bring the window to the front\n");
}

void SetIcon(const uint32_t*, const uint8_t*, int, int) {}

}  // namespace host

int main(int argc, char** argv) {
    // The arguments in UTF-8 on every system, so that a config directory or
    // script with any name reaches the program as it was typed.
    std::vector<std::string> arguments = headless::Arguments(argc, argv);
    std::vector<char*> utf8Argv;
    for (std::string& argument : arguments) {
        utf8Argv.push_back(argument.data());
    }
    argc = static_cast<int>(utf8Argv.size());
    argv = utf8Argv.data();
    headless::UseBinaryOutput();
    uint64_t clockStart = 0;
    const char* script = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return Usage(nullptr);
        }
        if (arg == "--version") {
            std::printf("tavilo-headless (Tavilo) %s\n", TAVILO_VERSION);
            return 0;
        }
        if (arg == "--config-dir" || arg == "--clock-start" || arg == "--language") {
            if (i + 1 >= argc) {
                return Usage((arg + " needs a value").c_str());
            }
            std::string value = argv[++i];
            if (arg == "--config-dir") {
                sys::SetConfigDir(value);
            } else if (arg == "--language") {
                sys::SetLanguage(value);
            } else {
                char* end = nullptr;
                errno = 0;
                unsigned long long ms = std::strtoull(value.c_str(), &end, 10);
                if (value.empty() || *end != 0 || errno != 0 || value[0] == '-' || ms > headless::kMaxClockStartMs) {
                    return Usage("--clock-start needs a whole number of milliseconds, 0 to 2^62");
                }
                clockStart = ms;
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return Usage(("unknown option " + arg).c_str());
        } else if (script != nullptr) {
            return Usage("only one script can be given");
        } else {
            script = argv[i];
        }
    }
    if (script == nullptr) {
        return Usage("no script given (a file, or - for standard input)");
    }
    if (std::strcmp(script, "-") == 0) {
        g_driver.scriptFd = 0;
        g_driver.scriptName = "stdin";
    } else {
        g_driver.scriptFd = headless::OpenScript(script);
        g_driver.scriptName = script;
        struct stat st;
        if (g_driver.scriptFd >= 0 && fstat(g_driver.scriptFd, &st) == 0 && S_ISDIR(st.st_mode)) {
            close(g_driver.scriptFd);
            g_driver.scriptFd = -1;
            errno = EISDIR;
        }
        if (g_driver.scriptFd < 0) {
            std::fprintf(stderr, "tavilo-headless: cannot read the script %s: %s\n", script, std::strerror(errno));
            return kExitUsage;
        }
    }
    rt::UseVirtualClock(clockStart);
    gdi::UseCjkGlyphs();
    rt::SetDescriptorWatch([](int fd) { g_driver.watchFd = fd; });
    static WCHAR commandLine[] = {0};
    int code = WinMain(reinterpret_cast<HINSTANCE>(1), nullptr, commandLine, SW_SHOW);
    std::fflush(stdout);
    return code;
}

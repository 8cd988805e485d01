#include "script.h"

#include <cctype>
#include <charconv>
#include <sstream>

namespace headless {
namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) {
        return "";
    }
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

template <typename T>
bool ParseNumber(const std::string& text, T* value) {
    if (text.empty()) {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return ec == std::errc() && end == text.data() + text.size();
}

std::vector<std::string> Words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> words;
    std::string w;
    while (in >> w) {
        words.push_back(w);
    }
    return words;
}

struct KeyName {
    const char* name;
    unsigned vk;
    char16_t ch;
};

constexpr unsigned kVkShift = 0x10;
constexpr unsigned kVkControl = 0x11;
constexpr unsigned kVkMenu = 0x12;  // Alt
constexpr unsigned kVkNumpad0 = 0x60;

// Named keys; single printable characters are handled apart.
const KeyName kNamedKeys[] = {
    {"enter", 0x0D, u'\r'}, {"return", 0x0D, u'\r'}, {"esc", 0x1B, 0x1B},   {"escape", 0x1B, 0x1B},
    {"space", 0x20, u' '},  {"tab", 0x09, u'\t'},    {"backspace", 0x08, 8}, {"left", 0x25, 0},
    {"up", 0x26, 0},        {"right", 0x27, 0},      {"down", 0x28, 0},      {"delete", 0x2E, 0},
    {"alt", kVkMenu, 0},    {"ctrl", kVkControl, 0}, {"shift", kVkShift, 0},
    // The keypad's own keys.
    {"kp*", 0x6A, u'*'},    {"kp+", 0x6B, u'+'},     {"kp-", 0x6D, u'-'},    {"kp/", 0x6F, u'/'},
    {"kpenter", 0x0D, u'\r'},
};

// US layout: the virtual key that types each unshifted punctuation mark,
// and "+" from its own key as other layouts and the keypad have it.
const KeyName kPunctuation[] = {
    {";", 0xBA, u';'}, {"=", 0xBB, u'='}, {",", 0xBC, u','}, {"-", 0xBD, u'-'},  {".", 0xBE, u'.'},
    {"/", 0xBF, u'/'}, {"`", 0xC0, u'`'}, {"[", 0xDB, u'['}, {"\\", 0xDC, u'\\'}, {"]", 0xDD, u']'},
    {"'", 0xDE, u'\''}, {"+", 0xBB, u'+'},
};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

host::Event KeyEvent(host::EventKind kind, unsigned vk, char16_t ch, bool alt) {
    host::Event event;
    event.kind = kind;
    event.vk = vk;
    event.ch = ch;
    event.alt = alt;
    return event;
}

// One key with its modifiers, as a keyboard sends it: each modifier goes
// down in the order written, then the key goes down and up, then the
// modifiers come up in reverse order. Alt marks every key while it is held.
bool ParseKey(const std::string& token, std::vector<host::Event>* events, std::string* error) {
    std::vector<unsigned> modifiers;
    bool control = false;
    bool shift = false;
    std::string key = token;
    // "alt+", "ctrl+" and "shift+" prefixes; the key itself may be "+" only
    // as the last character.
    for (;;) {
        size_t plus = key.find('+');
        if (plus == std::string::npos || plus + 1 == key.size()) {
            break;
        }
        std::string modifier = Lower(key.substr(0, plus));
        if (modifier == "alt") {
            modifiers.push_back(kVkMenu);
        } else if (modifier == "ctrl" || modifier == "control") {
            control = true;
            modifiers.push_back(kVkControl);
        } else if (modifier == "shift") {
            shift = true;
            modifiers.push_back(kVkShift);
        } else {
            *error = "unknown modifier \"" + modifier + "\" in \"" + token + "\" (alt+, ctrl+ and shift+ are known)";
            return false;
        }
        key = key.substr(plus + 1);
    }
    unsigned vk = 0;
    char16_t ch = 0;
    const std::string lower = Lower(key);
    if (key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]))) {
        vk = static_cast<unsigned>(std::toupper(static_cast<unsigned char>(key[0])));
        ch = static_cast<char16_t>(key[0]);
        if (std::isalpha(static_cast<unsigned char>(key[0]))) {
            // Control turns a letter into its control character, as Win32
            // does; Shift makes it a capital.
            ch = control ? static_cast<char16_t>(vk - 'A' + 1) : shift ? static_cast<char16_t>(vk) : ch;
        } else if (control || shift) {
            ch = 0;  // what a shifted digit types depends on the layout
        }
    } else if (lower.size() == 3 && lower.compare(0, 2, "kp") == 0 && std::isdigit(static_cast<unsigned char>(lower[2]))) {
        vk = kVkNumpad0 + static_cast<unsigned>(lower[2] - '0');
        ch = static_cast<char16_t>(lower[2]);
    } else if (lower.size() >= 2 && lower[0] == 'f' && std::isdigit(static_cast<unsigned char>(lower[1]))) {
        int n = 0;
        if (!ParseNumber(lower.substr(1), &n) || n < 1 || n > 12) {
            *error = "unknown key \"" + key + "\"";
            return false;
        }
        vk = 0x70 + static_cast<unsigned>(n - 1);
    } else {
        for (const KeyName& k : kNamedKeys) {
            if (lower == k.name) {
                vk = k.vk;
                ch = k.ch;
            }
        }
        for (const KeyName& k : kPunctuation) {
            if (key == k.name) {
                vk = k.vk;
                ch = k.ch;
            }
        }
    }
    if (vk == 0) {
        *error = "unknown key \"" + key + "\"";
        return false;
    }
    bool held = false;  // Alt is down
    for (unsigned m : modifiers) {
        held = held || m == kVkMenu;
        events->push_back(KeyEvent(host::EventKind::KeyDown, m, 0, held));
    }
    const bool withAlt = held || vk == kVkMenu;
    events->push_back(KeyEvent(host::EventKind::KeyDown, vk, ch, withAlt));
    events->push_back(KeyEvent(host::EventKind::KeyUp, vk, 0, vk == kVkMenu ? false : withAlt));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        if (*it == kVkMenu) {
            held = false;  // Alt comes up last of all that it marked
        }
        events->push_back(KeyEvent(host::EventKind::KeyUp, *it, 0, held && *it != kVkMenu));
    }
    return true;
}

}  // namespace

bool ParseScriptLine(const std::string& raw, ScriptLine* out, std::string* error) {
    *out = ScriptLine{};
    // A NUL would end a file name early and write some other file.
    if (raw.find('\0') != std::string::npos) {
        *error = "the line holds a NUL character";
        return false;
    }
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') {
        return true;
    }
    size_t space = line.find_first_of(" \t");
    std::string verb = line.substr(0, space);
    std::string rest = space == std::string::npos ? "" : Trim(line.substr(space));
    std::vector<std::string> args = Words(rest);

    if (verb == "tap" || verb == "down" || verb == "move" || verb == "up") {
        int x = 0;
        int y = 0;
        if (args.size() != 2 || !ParseNumber(args[0], &x) || !ParseNumber(args[1], &y)) {
            *error = verb + " needs two whole numbers, X and Y";
            return false;
        }
        out->kind = ScriptLine::Kind::Pen;
        if (verb == "tap" || verb == "down") out->events.push_back(PenEvent(host::EventKind::PenDown, x, y));
        if (verb == "move") out->events.push_back(PenEvent(host::EventKind::PenMove, x, y));
        if (verb == "tap" || verb == "up") out->events.push_back(PenEvent(host::EventKind::PenUp, x, y));
        return true;
    }
    if (verb == "press") {
        if (rest.empty()) {
            *error = "press needs the label of a button or menu item";
            return false;
        }
        out->kind = ScriptLine::Kind::Press;
        out->label = rest;
        return true;
    }
    if (verb == "key") {
        if (args.empty()) {
            *error = "key needs at least one key, such as n, 1, enter or alt+/";
            return false;
        }
        out->kind = ScriptLine::Kind::Keys;
        for (const std::string& token : args) {
            if (!ParseKey(token, &out->events, error)) {
                return false;
            }
        }
        return true;
    }
    if (verb == "command") {
        unsigned id = 0;
        if (args.size() != 1 || !ParseNumber(args[0], &id) || id > 0xFFFF) {
            *error = "command needs one number from 0 to 65535";
            return false;
        }
        out->kind = ScriptLine::Kind::Command;
        out->command = id;
        return true;
    }
    if (verb == "wait") {
        // One period of the 32-bit tick count at most: the program cannot
        // tell a longer wait from a shorter one, and the clock must never wrap.
        uint64_t ms = 0;
        if (args.size() != 1 || !ParseNumber(args[0], &ms) || ms > kMaxWaitMs) {
            *error = "wait needs one whole number of milliseconds, 0 to 4294967295";
            return false;
        }
        out->kind = ScriptLine::Kind::Wait;
        out->waitMs = ms;
        return true;
    }
    if (verb == "shot") {
        if (rest.empty()) {
            *error = "shot needs a file name";
            return false;
        }
        out->kind = ScriptLine::Kind::Shot;
        out->path = rest;
        return true;
    }
    if (verb == "save") {
        if (rest.empty()) {
            *error = "save needs a folder";
            return false;
        }
        out->kind = ScriptLine::Kind::Save;
        out->path = rest;
        return true;
    }
    if (verb == "state" || verb == "result" || verb == "quit") {
        if (!args.empty()) {
            *error = verb + " takes no arguments";
            return false;
        }
        out->kind = verb == "state"    ? ScriptLine::Kind::State
                    : verb == "result" ? ScriptLine::Kind::Result
                                       : ScriptLine::Kind::Quit;
        return true;
    }
    *error = "unknown command \"" + verb + "\"";
    return false;
}

}  // namespace headless

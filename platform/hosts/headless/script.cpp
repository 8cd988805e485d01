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

// Named keys; single printable characters are handled apart.
const KeyName kNamedKeys[] = {
    {"enter", 0x0D, u'\r'}, {"return", 0x0D, u'\r'}, {"esc", 0x1B, 0x1B},   {"escape", 0x1B, 0x1B},
    {"space", 0x20, u' '},  {"tab", 0x09, u'\t'},    {"backspace", 0x08, 8}, {"left", 0x25, 0},
    {"up", 0x26, 0},        {"right", 0x27, 0},      {"down", 0x28, 0},      {"delete", 0x2E, 0},
};

// US layout: the virtual key that types each unshifted punctuation mark.
const KeyName kPunctuation[] = {
    {";", 0xBA, u';'}, {"=", 0xBB, u'='}, {",", 0xBC, u','}, {"-", 0xBD, u'-'},  {".", 0xBE, u'.'},
    {"/", 0xBF, u'/'}, {"`", 0xC0, u'`'}, {"[", 0xDB, u'['}, {"\\", 0xDC, u'\\'}, {"]", 0xDD, u']'},
    {"'", 0xDE, u'\''},
};

bool ParseKey(const std::string& token, std::vector<host::Event>* events, std::string* error) {
    bool alt = false;
    std::string key = token;
    // "alt+" prefixes; the key itself may be "+" only as the last character.
    for (;;) {
        size_t plus = key.find('+');
        if (plus == std::string::npos || plus + 1 == key.size()) {
            break;
        }
        std::string modifier = key.substr(0, plus);
        for (char& c : modifier) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (modifier != "alt") {
            *error = "unknown modifier \"" + modifier + "\" in \"" + token + "\" (only alt+ is known)";
            return false;
        }
        alt = true;
        key = key.substr(plus + 1);
    }
    unsigned vk = 0;
    char16_t ch = 0;
    std::string lower = key;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]))) {
        vk = static_cast<unsigned>(std::toupper(static_cast<unsigned char>(key[0])));
        ch = static_cast<char16_t>(key[0]);
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
    host::Event down;
    down.kind = host::EventKind::KeyDown;
    down.vk = vk;
    down.ch = ch;
    down.alt = alt;
    host::Event up = down;
    up.kind = host::EventKind::KeyUp;
    up.ch = 0;
    events->push_back(down);
    events->push_back(up);
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
            *error = "key needs at least one key, such as alt+/ or alt+f4";
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

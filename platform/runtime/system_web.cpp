// The system seam in a web browser (Emscripten).
//
// Settings: the whole text under the localStorage key tavilo/registry.reg
// (the settings place, "tavilo" unless --config-dir named another, and the
// file's name). A localStorage call is synchronous and replaces an item
// whole, so a save needs no temporary and no rename to be atomic, and
// nothing is left over to clear when a page goes away half-way. Damaged
// text moves to the first free key of .bad, .bad.1, ... or, where the
// storage has no room left for it, is removed with a word on the console.
//
// One copy: the page takes a Web Lock for the browser profile before it lets
// the program start, so the program that runs is always the holder and
// never meets another copy. A second tab does not start a program at all;
// it offers to take over, and the page ends the running program as Exit
// does. That is the opposite of a hand-over, where the running copy stays
// and comes to the front, so the program takes no part in it: there are no
// requests to send or to hear, and the tab being looked at is the front.
#include <emscripten.h>


#include "include/windows.h"
#include "system.h"

// The byte length of the UTF-8 text stored under key; -1 when there is
// none, -2 when storage cannot be reached (turned off, or blocked for the
// page), with the browser's words in reason; -3 when the text holds a lone
// UTF-16 surrogate, which no UTF-8 can carry: our saves never write one, and
// reading it as text would quietly turn it into U+FFFD.
EM_JS(double, JsStoredLength, (const char* key, char* reason, int reasonSize), {
    const encoder = new TextEncoder();
    try {
        const text = localStorage.getItem(UTF8ToString(key));
        if (text === null) {
            return -1;
        }
        // isWellFormed answers where the browser has it; encodeURIComponent
        // refuses the same strings everywhere.
        let wellFormed = text.isWellFormed ? text.isWellFormed() : null;
        if (wellFormed === null) {
            try {
                encodeURIComponent(text);
                wellFormed = true;
            } catch (error) {
                wellFormed = false;
            }
        }
        return wellFormed ? encoder.encode(text).length : -3;
    } catch (error) {
        encoder.encodeInto(String(error && error.message || error), HEAPU8.subarray(reason, reason + reasonSize - 1));
        return -2;
    }
});

// Copies the stored text into the size bytes at buffer; returns its byte
// length, which differs from size only when the text changed since it was
// measured.
EM_JS(double, JsStoredCopy, (const char* key, char* buffer, int size), {
    try {
        const text = localStorage.getItem(UTF8ToString(key));
        if (text === null) {
            return -1;
        }
        const bytes = new TextEncoder().encode(text);
        if (bytes.length === size) {
            HEAPU8.set(bytes, buffer);
        }
        return bytes.length;
    } catch (error) {
        return -2;
    }
});

// Stores size bytes of UTF-8 text under key in one call. 0 when it was
// stored; 1 when the browser's storage for the site is full; 2 for any
// other refusal. The old text stays in both failures.
EM_JS(int, JsStore, (const char* key, const char* text, int size, char* reason, int reasonSize), {
    const value = new TextDecoder().decode(HEAPU8.subarray(text, text + size));
    try {
        localStorage.setItem(UTF8ToString(key), value);
        return 0;
    } catch (error) {
        const quota = error && (error.name === 'QuotaExceededError' || error.code === 22);
        const words = quota ? "the browser's storage for this site is full (QuotaExceededError)"
                            : String(error && error.message || error);
        new TextEncoder().encodeInto(words, HEAPU8.subarray(reason, reason + reasonSize - 1));
        return quota ? 1 : 2;
    }
});

// Moves the text under key, exactly as stored, to the first free key of
// key.bad, key.bad.1, ... A move here is a copy and a removal, and the copy
// comes first; where the storage has no room for the text twice, the text
// is removed first and stored again under the new key, in the room it left.
// Returns 1 when moved or when there was nothing to move; 2 when the text
// could be kept under no key and has been removed, with why in reason; 0
// when storage could not be reached.
EM_JS(int, JsStoreAside, (const char* key, char* reason, int reasonSize), {
    const name = UTF8ToString(key);
    const full = (error) => error && (error.name === 'QuotaExceededError' || error.code === 22);
    let why = "1000 earlier damaged texts are kept already";
    try {
        const text = localStorage.getItem(name);
        if (text === null) {
            return 1;
        }
        for (let n = 0; n < 1000; ++n) {
            const aside = n === 0 ? name + '.bad' : name + '.bad.' + n;
            if (localStorage.getItem(aside) !== null) {
                continue;
            }
            try {
                localStorage.setItem(aside, text);
                localStorage.removeItem(name);
                return 1;
            } catch (error) {
                if (!full(error)) {
                    throw error;
                }
            }
            localStorage.removeItem(name);
            try {
                localStorage.setItem(aside, text);
                return 1;
            } catch (error) {
                why = full(error) ? "the browser's storage for this site has no room for them (QuotaExceededError)"
                                  : String(error && error.message || error);
            }
            break;
        }
        localStorage.removeItem(name);
    } catch (error) {
        return 0;
    }
    new TextEncoder().encodeInto(why, HEAPU8.subarray(reason, reason + reasonSize - 1));
    return 2;
});

// The language the page chose for itself (page.js, from the same ?lang= and
// languages), else the page's ?lang= when given, else the browser's
// languages, most preferred first, as one comma-separated line.
EM_JS(int, JsLanguages, (char* buffer, int size), {
    let list = [];
    try {
        const asked = new URLSearchParams(location.search).get('lang');
        const chosen = window.tavilo && window.tavilo.language;
        list = chosen ? [chosen] : asked ? [asked] : Array.from(navigator.languages || [navigator.language]);
    } catch (e) {
        list = [];
    }
    const text = list.filter((tag) => typeof tag === "string" && /^[A-Za-z0-9_-]{1,35}$/.test(tag)).join(",");
    if (lengthBytesUTF8(text) + 1 > size) return 0;
    stringToUTF8(text, buffer, size);
    return 1;
});

EM_JS(void, JsConsoleError, (const char* text), { console.error(UTF8ToString(text)); });

namespace sys {

namespace {

constexpr const char* kSettingsFile = "registry.reg";
constexpr const char* kDefaultPlace = "tavilo";


std::string SettingsKey() { return ConfigDir() + "/" + kSettingsFile; }

// The browser's words for a failure, written by the page into a zeroed
// buffer, which the page leaves at least one byte short so that it stays a
// C string.
std::string Words(const char* buffer) {
    std::string words = buffer;
    return words.empty() ? std::string("the browser refused the storage call") : words;
}

}  // namespace

uint64_t MonotonicMs() {
    // performance.now() does not go back, unlike the date a player can set.
    return static_cast<uint64_t>(emscripten_get_now());
}

std::string ProgramName() { return "tavilo"; }

void ReportProblem(const std::string& text) { JsConsoleError(text.c_str()); }

std::string DefaultConfigDir() { return kDefaultPlace; }

// The page downloads pictures; the program has no folders to save into.
std::string PicturesDir() { return std::string(); }

uint32_t WriteNewFile(const std::string&, const std::string&, const std::vector<uint8_t>&, std::string* reason) {
    *reason = "a page cannot save files itself; the browser downloads them";
    return ERROR_NOT_SUPPORTED;
}

std::vector<std::string> SystemLanguageTags() {
    char buffer[512] = {};
    std::vector<std::string> tags;
    if (!JsLanguages(buffer, sizeof buffer)) {
        return tags;
    }
    std::string item;
    for (const char* p = buffer;; ++p) {
        if (*p == ',' || *p == 0) {
            if (!item.empty()) tags.push_back(item);
            item.clear();
            if (*p == 0) break;
        } else {
            item += *p;
        }
    }
    return tags;
}

std::string SettingsName() { return "the browser's storage (" + SettingsKey() + ")"; }

SettingsState ReadSettings(size_t maxBytes, std::string* text, uint32_t* error, std::string* reason) {
    text->clear();
    *error = ERROR_SUCCESS;
    std::string key = SettingsKey();
    char words[256] = {};
    // Other pages of the site run no program but share the storage; a text
    // that changes between the two calls is simply measured again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        double length = JsStoredLength(key.c_str(), words, static_cast<int>(sizeof words));
        if (length == -1) {
            return SettingsState::Missing;
        }
        if (length == -3) {
            return SettingsState::Malformed;
        }
        if (length < 0) {
            *error = ERROR_ACCESS_DENIED;
            *reason = Words(words);
            return SettingsState::Unreadable;
        }
        if (length > static_cast<double>(maxBytes)) {
            return SettingsState::TooLarge;
        }
        text->assign(static_cast<size_t>(length), '\0');
        if (JsStoredCopy(key.c_str(), text->data(), static_cast<int>(text->size())) == length) {
            return SettingsState::Read;
        }
    }
    text->clear();
    *error = ERROR_ACCESS_DENIED;
    *reason = "the stored text kept changing while it was read";
    return SettingsState::Unreadable;
}

uint32_t ReplaceSettings(const std::string& text, std::string* reason) {
    std::string key = SettingsKey();
    char words[256] = {};
    switch (JsStore(key.c_str(), text.data(), static_cast<int>(text.size()), words, static_cast<int>(sizeof words))) {
        case 0:
            return ERROR_SUCCESS;
        case 1:
            *reason = Words(words);
            return ERROR_DISK_FULL;
        default:
            *reason = Words(words);
            return ERROR_ACCESS_DENIED;
    }
}

// Damaged text that no key can hold any more (the storage has no room for
// it under a second name) is removed all the same, and said so: left where
// it is, it would make every later save fail.
bool KeepSettingsAside() {
    char words[256] = {};
    switch (JsStoreAside(SettingsKey().c_str(), words, static_cast<int>(sizeof words))) {
        case 1:
            return true;
        case 2:
            ReportProblem(ProgramName() + ": the damaged settings in " + SettingsName() +
                          " could not be kept aside: " + Words(words) + "; they were removed so that saves work again");
            return true;
        default:
            return false;
    }
}

// One tab runs the program, and every storage call is atomic on its own,
// so the lock holds nothing and its token stays unused.
SettingsLock::SettingsLock() {}
SettingsLock::~SettingsLock() { static_cast<void>(token_); }

// The page's Web Lock is the claim; the running program always holds it.
Claim ClaimInstance(const std::string&) { return Claim::Ours; }
bool InstanceTaken(const std::string&) { return false; }
void ReleaseInstance() {}

bool RequestHandOver(const std::string&) { return false; }
void ListenForHandOver(bool) {}
bool TakeHandOverRequests() { return false; }

}  // namespace sys

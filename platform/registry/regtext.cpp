// Reading and writing the .reg text layout: a header line, then sections
// "[Key\Path]" each followed by "name"=data lines. Data is "text" (REG_SZ),
// dword:xxxxxxxx (REG_DWORD), hex:.. (REG_BINARY) or hex(N):.. for any other
// type, so that whatever a file holds is written back unchanged.
#include "regtext.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <unordered_map>

namespace reg {

namespace {

// Windows compares names through its own upper-case table. This covers the
// scripts a key or value name is likely to use; other letters compare as they
// are, which errs towards treating two names as different.
char16_t FoldUnit(char16_t c) {
    if (c >= u'a' && c <= u'z') {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c < 0x80) {
        return c;
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F)) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c >= 0x450 && c <= 0x45F) {
        return static_cast<char16_t>(c - 0x50);
    }
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs upper and lower case on even and odd code
        // points, except for a run in the middle that is shifted by one.
        bool shifted = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        bool lower = shifted ? (c % 2 == 0) : (c % 2 == 1);
        return lower ? static_cast<char16_t>(c - 1) : c;
    }
    return c;
}

std::atomic<uint64_t> g_nameComparisons{0};

void CountComparison() { g_nameComparisons.fetch_add(1, std::memory_order_relaxed); }

// The name as SameName sees it, so that equal folded names are the same name.
std::u16string FoldedName(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded) {
        c = FoldUnit(c);
    }
    return folded;
}

// Indexes of the keys, and of the values in each key, by folded name, so
// that reading a file looks every name up once instead of scanning all the
// names read before it.
class DocumentIndex {
public:
    explicit DocumentIndex(Document& doc) : doc_(doc) {}

    Key& KeyFor(std::u16string_view path, size_t* keyIndex) {
        CountComparison();
        auto [it, added] = keys_.try_emplace(FoldedName(path), doc_.keys.size());
        if (added) {
            AddKey(doc_, path);
            values_.emplace_back();
        }
        *keyIndex = it->second;
        return doc_.keys[it->second];
    }

    // Later lines for a name replace earlier ones in place, as SetValue does.
    void Set(size_t keyIndex, Value&& value) {
        CountComparison();
        Key& key = doc_.keys[keyIndex];
        auto [it, added] = values_[keyIndex].try_emplace(FoldedName(value.name), key.entries.size());
        if (added) {
            key.entries.push_back(Entry{false, std::string(), std::move(value)});
            return;
        }
        Value& old = key.entries[it->second].value;
        old.type = value.type;
        old.data = std::move(value.data);
    }

private:
    Document& doc_;
    std::unordered_map<std::u16string, size_t> keys_;
    std::vector<std::unordered_map<std::u16string, size_t>> values_;
};

std::vector<std::u16string_view> SplitPath(std::u16string_view path) {
    std::vector<std::u16string_view> parts;
    if (path.empty()) {
        return parts;
    }
    size_t start = 0;
    while (true) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) {
            parts.push_back(path.substr(start));
            break;
        }
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

constexpr std::string_view kRootName = "HKEY_CURRENT_USER";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i];
        char b = prefix[i];
        if (a >= 'A' && a <= 'Z') {
            a = static_cast<char>(a + 32);
        }
        if (b >= 'A' && b <= 'Z') {
            b = static_cast<char>(b + 32);
        }
        if (a != b) {
            return false;
        }
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string_view TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) {
        ++i;
    }
    return s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t' || s[n - 1] == '\r')) {
        --n;
    }
    return s.substr(0, n);
}

// Parses a quoted string starting at text[pos] == '"'. Only \\ and \" are
// escapes in this layout; anything else after a backslash is a damaged line.
bool ParseQuoted(std::string_view text, size_t& pos, std::string& out) {
    out.clear();
    ++pos;
    while (pos < text.size()) {
        char c = text[pos++];
        if (c == '"') {
            return true;
        }
        if (c == '\\') {
            if (pos >= text.size() || (text[pos] != '\\' && text[pos] != '"')) {
                return false;
            }
            out.push_back(text[pos++]);
            continue;
        }
        out.push_back(c);
    }
    return false;
}

// Parses "aa,bb,..." (an empty list is allowed: a value of no bytes).
bool ParseHexBytes(std::string_view text, std::vector<BYTE>& out) {
    out.clear();
    text = TrimRight(TrimLeft(text));
    if (text.empty()) {
        return true;
    }
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        std::string_view item =
            TrimRight(TrimLeft(text.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                                   : comma - start)));
        if (item.empty() || item.size() > 2) {
            return false;
        }
        int value = 0;
        for (char c : item) {
            int d = HexDigit(c);
            if (d < 0) {
                return false;
            }
            value = value * 16 + d;
        }
        out.push_back(static_cast<BYTE>(value));
        if (out.size() > kMaxValueBytes) {
            return false;
        }
        if (comma == std::string_view::npos) {
            return true;
        }
        start = comma + 1;
    }
}

bool ParseHexNumber(std::string_view text, DWORD& out) {
    if (text.empty() || text.size() > 8) {
        return false;
    }
    DWORD value = 0;
    for (char c : text) {
        int d = HexDigit(c);
        if (d < 0) {
            return false;
        }
        value = value * 16 + static_cast<DWORD>(d);
    }
    out = value;
    return true;
}

// The lines of the text without their line ends (LF or CRLF), one at a
// time, so that a file of many short lines costs no list of them.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    bool Next(std::string_view* line) {
        if (pos_ >= text_.size()) {
            return false;
        }
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) {
            end = text_.size();
        }
        *line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        ++number_;
        return true;
    }

    int Number() const { return number_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    int number_ = 0;
};

// Regedit writes UTF-16 files with a byte-order mark; accept them so that an
// exported file dropped in by hand is taken over rather than kept aside. UTF-8
// text is used where it lies; only UTF-16 is converted, into storage.
bool DecodeFileText(std::string_view raw, std::string& storage, std::string_view& text) {
    if (raw.size() >= 2 && static_cast<BYTE>(raw[0]) == 0xFF && static_cast<BYTE>(raw[1]) == 0xFE) {
        if (raw.size() % 2 != 0) {
            return false;
        }
        std::u16string wide;
        wide.reserve(raw.size() / 2 - 1);
        for (size_t i = 2; i < raw.size(); i += 2) {
            wide.push_back(static_cast<char16_t>(static_cast<BYTE>(raw[i]) | (static_cast<BYTE>(raw[i + 1]) << 8)));
        }
        if (!Utf16ToUtf8(wide, storage)) {
            return false;
        }
        text = storage;
        return true;
    }
    if (raw.size() >= 3 && static_cast<BYTE>(raw[0]) == 0xEF && static_cast<BYTE>(raw[1]) == 0xBB &&
        static_cast<BYTE>(raw[2]) == 0xBF) {
        raw.remove_prefix(3);
    }
    text = raw;
    return true;
}

bool ParseSectionPath(std::string_view inside, std::u16string& path) {
    // Files exported by regedit name the root; ours leave it out. Both mean
    // the same key here, since only HKEY_CURRENT_USER is kept.
    if (StartsWithNoCase(inside, kRootName) &&
        (inside.size() == kRootName.size() || inside[kRootName.size()] == '\\')) {
        inside.remove_prefix(inside.size() == kRootName.size() ? kRootName.size() : kRootName.size() + 1);
    }
    if (!Utf8ToUtf16(inside, path)) {
        return false;
    }
    if (path.empty()) {
        return true;
    }
    for (std::u16string_view part : SplitPath(path)) {
        if (part.empty()) {
            return false;
        }
    }
    return true;
}

// Reads the name and the '=' of a value line and returns where its data
// starts, or npos when the line is damaged.
size_t ParseValueName(std::string_view line, std::u16string& name, std::string& reason) {
    size_t pos = 0;
    std::string text;
    if (line[0] == '@') {
        pos = 1;
    } else if (!ParseQuoted(line, pos, text)) {
        reason = "value name is not a closed, correctly escaped string";
        return std::string_view::npos;
    }
    if (!Utf8ToUtf16(text, name)) {
        reason = "value name is not valid UTF-8";
        return std::string_view::npos;
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
        ++pos;
    }
    if (pos >= line.size() || line[pos] != '=') {
        reason = "expected '=' after the value name";
        return std::string_view::npos;
    }
    ++pos;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
        ++pos;
    }
    return pos;
}

bool ParseValueData(std::string_view rest, Value& value, std::string& reason) {
    if (!rest.empty() && rest[0] == '"') {
        // The text is at least half of this, and every character of it at
        // least two thirds of a byte of data: longer data is past the limit
        // (or followed by something that does not belong), and is not
        // copied out to find that.
        if (rest.size() > 3 * kMaxValueBytes + 2) {
            reason = "a value holds more than 64 KiB";
            return false;
        }
        size_t p = 0;
        std::string text;
        if (!ParseQuoted(rest, p, text) || !TrimLeft(rest.substr(p)).empty()) {
            reason = "string data is not a closed, correctly escaped string";
            return false;
        }
        std::u16string wide;
        if (!Utf8ToUtf16(text, wide)) {
            reason = "string data is not valid UTF-8";
            return false;
        }
        if (wide.size() * 2 + 2 > kMaxValueBytes) {
            reason = "a value holds more than 64 KiB";
            return false;
        }
        value.type = 1;  // REG_SZ
        value.data.clear();
        for (char16_t c : wide) {
            value.data.push_back(static_cast<BYTE>(c & 0xFF));
            value.data.push_back(static_cast<BYTE>(c >> 8));
        }
        value.data.push_back(0);
        value.data.push_back(0);
        return true;
    }
    if (StartsWithNoCase(rest, "dword:")) {
        DWORD number = 0;
        if (!ParseHexNumber(rest.substr(6), number)) {
            reason = "dword data is not one to eight hex digits";
            return false;
        }
        value.type = 4;  // REG_DWORD
        value.data = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8), static_cast<BYTE>(number >> 16),
                      static_cast<BYTE>(number >> 24)};
        return true;
    }
    if (StartsWithNoCase(rest, "hex:")) {
        value.type = 3;  // REG_BINARY
        if (!ParseHexBytes(rest.substr(4), value.data)) {
            reason = value.data.size() > kMaxValueBytes ? "a value holds more than 64 KiB"
                                                         : "hex data is not a list of bytes";
            return false;
        }
        return true;
    }
    if (StartsWithNoCase(rest, "hex(")) {
        size_t close = rest.find(')');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':' ||
            !ParseHexNumber(rest.substr(4, close - 4), value.type)) {
            reason = "hex(N): type is not a hex number";
            return false;
        }
        if (!ParseHexBytes(rest.substr(close + 2), value.data)) {
            reason = value.data.size() > kMaxValueBytes ? "a value holds more than 64 KiB"
                                                         : "hex data is not a list of bytes";
            return false;
        }
        return true;
    }
    // "name"=- deletes a value when a .reg file is imported; a stored
    // registry never holds it, so it is treated as damage like any other.
    reason = "unknown data form";
    return false;
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    out.push_back('"');
}

// A REG_SZ is written as "text" only when that form gives back the very same
// bytes: an even size, one terminating zero, valid UTF-16 and no line breaks
// or other control characters. Anything else goes out as hex(1):.. instead.
bool StringForm(const Value& value, std::string& text) {
    const std::vector<BYTE>& d = value.data;
    if (d.size() < 2 || d.size() % 2 != 0 || d[d.size() - 1] != 0 || d[d.size() - 2] != 0) {
        return false;
    }
    std::u16string wide;
    for (size_t i = 0; i + 2 < d.size(); i += 2) {
        char16_t c = static_cast<char16_t>(d[i] | (d[i + 1] << 8));
        if (c < 0x20 || c == 0x7F) {
            return false;
        }
        wide.push_back(c);
    }
    return Utf16ToUtf8(wide, text);
}

void AppendHexData(std::string& out, std::string_view prefix, const std::vector<BYTE>& data) {
    // Lines are wrapped below 80 columns with a trailing backslash, as
    // regedit does, so that long binary values stay readable in an editor.
    constexpr size_t kWidth = 77;
    out += prefix;
    size_t column = out.size() - (out.rfind('\n') == std::string::npos ? 0 : out.rfind('\n') + 1);
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            out.push_back(',');
            ++column;
            if (column + 3 > kWidth) {
                out += "\\\n  ";
                column = 2;
            }
        }
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 0xF]);
        column += 2;
    }
}

void AppendValue(std::string& out, const Value& value) {
    std::string name;
    if (value.name.empty()) {
        out.push_back('@');
    } else {
        Utf16ToUtf8(value.name, name);
        AppendQuoted(out, name);
    }
    out.push_back('=');
    std::string text;
    if (value.type == 1 && StringForm(value, text)) {
        AppendQuoted(out, text);
    } else if (value.type == 4 && value.data.size() == 4) {
        DWORD number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                       (static_cast<DWORD>(value.data[3]) << 24);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
        out += buffer;
    } else if (value.type == 3) {
        AppendHexData(out, "hex:", value.data);
    } else {
        char buffer[20];
        std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
        AppendHexData(out, buffer, value.data);
    }
    out.push_back('\n');
}

}  // namespace

uint64_t NameComparisons() { return g_nameComparisons.load(std::memory_order_relaxed); }

bool SameName(std::u16string_view a, std::u16string_view b) {
    CountComparison();
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldUnit(a[i]) != FoldUnit(b[i])) {
            return false;
        }
    }
    return true;
}

Key* FindKey(Document& doc, std::u16string_view path) {
    for (Key& key : doc.keys) {
        if (SameName(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

bool KeyExists(const Document& doc, std::u16string_view path) {
    if (path.empty()) {
        return true;
    }
    for (const Key& key : doc.keys) {
        std::u16string_view k = key.path;
        if (k.size() == path.size() && SameName(k, path)) {
            return true;
        }
        if (k.size() > path.size() && k[path.size()] == u'\\' && SameName(k.substr(0, path.size()), path)) {
            return true;
        }
    }
    return false;
}

std::u16string CanonicalPath(const Document& doc, std::u16string_view path) {
    std::vector<std::u16string_view> parts = SplitPath(path);
    std::vector<std::u16string> result(parts.begin(), parts.end());
    for (const Key& key : doc.keys) {
        std::vector<std::u16string_view> existing = SplitPath(key.path);
        size_t n = std::min(existing.size(), result.size());
        for (size_t i = 0; i < n && SameName(existing[i], result[i]); ++i) {
            result[i] = existing[i];
        }
    }
    std::u16string joined;
    for (size_t i = 0; i < result.size(); ++i) {
        if (i > 0) {
            joined.push_back(u'\\');
        }
        joined += result[i];
    }
    return joined;
}

Key& AddKey(Document& doc, std::u16string_view path) {
    doc.keys.push_back(Key{std::u16string(path), {}});
    return doc.keys.back();
}

Value* FindValue(Key& key, std::u16string_view name) {
    for (Entry& entry : key.entries) {
        if (!entry.isComment && SameName(entry.value.name, name)) {
            return &entry.value;
        }
    }
    return nullptr;
}

void SetValue(Key& key, std::u16string_view name, DWORD type, const BYTE* data, size_t size) {
    Value* value = FindValue(key, name);
    if (value == nullptr) {
        key.entries.push_back(Entry{});
        value = &key.entries.back().value;
        value->name.assign(name);
    }
    value->type = type;
    value->data.assign(data, data + size);
}

size_t EntryCount(const Document& doc) {
    size_t count = doc.leadingComments.size();
    for (const Key& key : doc.keys) {
        count += 1 + key.entries.size();
    }
    return count;
}

bool ParseDocument(std::string_view raw, Document& doc, ParseError* error) {
    doc = Document{};
    auto fail = [&](int line, const char* reason) {
        if (error != nullptr) {
            error->line = line;
            error->reason = reason;
        }
        doc = Document{};
        return false;
    };
    if (raw.size() > kMaxFileBytes) {
        return fail(0, "the file is larger than 1 MiB");
    }
    std::string storage;
    std::string_view text;
    if (!DecodeFileText(raw, storage, text)) {
        return fail(0, "the file is not UTF-8 or UTF-16 text");
    }
    if (!rt::IsUtf8(text)) {
        return fail(0, "the file is not UTF-8 or UTF-16 text");
    }
    Lines lines(text);
    std::string_view rawLine;
    bool seenHeader = false;
    DocumentIndex index(doc);
    Key* current = nullptr;
    size_t currentIndex = 0;
    size_t entries = 0;
    bool lastWasComment = false;
    auto count = [&]() { return ++entries <= kMaxEntries; };
    constexpr const char* kTooMany = "the file holds more than 4096 keys, values and comments";
    while (lines.Next(&rawLine)) {
        int lineNumber = lines.Number();
        std::string_view line = TrimLeft(TrimRight(rawLine));
        if (line.empty()) {
            continue;
        }
        if (!seenHeader) {
            // A comment may not come first: the header is what tells this
            // file from any other text that happens to sit in its place.
            if (line != kHeaderLine) {
                return fail(lineNumber, "the first line is not the registry header");
            }
            seenHeader = true;
            continue;
        }
        if (line[0] == ';') {
            // A run of comment lines is kept as one, as it is written back.
            std::vector<Entry>* entriesOfKey = current != nullptr ? &current->entries : nullptr;
            if (lastWasComment) {
                std::string& run = entriesOfKey != nullptr ? entriesOfKey->back().comment : doc.leadingComments.back();
                run += '\n';
                run += line;
            } else if (!count()) {
                return fail(lineNumber, kTooMany);
            } else if (entriesOfKey == nullptr) {
                doc.leadingComments.emplace_back(line);
            } else {
                entriesOfKey->push_back(Entry{true, std::string(line), {}});
            }
            lastWasComment = true;
            continue;
        }
        lastWasComment = false;
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3) {
                return fail(lineNumber, "a section line is not closed by ']' or names no key");
            }
            std::u16string path;
            if (!ParseSectionPath(line.substr(1, line.size() - 2), path)) {
                return fail(lineNumber, "a section names a key with an empty component");
            }
            // A key named twice is one key; its values are merged, later lines
            // winning, which is what importing such a file would give.
            size_t keys = doc.keys.size();
            current = &index.KeyFor(path, &currentIndex);
            if (doc.keys.size() != keys && !count()) {
                return fail(lineNumber, kTooMany);
            }
            continue;
        }
        if (line[0] != '"' && line[0] != '@') {
            return fail(lineNumber, "a line is neither a section, a value nor a comment");
        }
        if (current == nullptr) {
            return fail(lineNumber, "a value comes before any section");
        }
        Value value;
        std::string reason;
        size_t dataStart = ParseValueName(line, value.name, reason);
        if (dataStart == std::string_view::npos) {
            return fail(lineNumber, reason.c_str());
        }
        // Hex data may continue over several lines, each but the last ending
        // in a backslash; only then is it copied out to be joined.
        std::string_view data = line.substr(dataStart);
        std::string joined;
        bool hexData = StartsWithNoCase(data, "hex");
        if (hexData && !data.empty() && data.back() == '\\') {
            joined.assign(data);
            while (!joined.empty() && joined.back() == '\\') {
                joined.pop_back();
                if (!lines.Next(&rawLine)) {
                    return fail(lineNumber, "hex data continues past the end of the file");
                }
                joined += TrimLeft(TrimRight(rawLine));
            }
            data = joined;
        }
        if (!ParseValueData(data, value, reason)) {
            return fail(lineNumber, reason.c_str());
        }
        size_t before = current->entries.size();
        index.Set(currentIndex, std::move(value));
        if (current->entries.size() != before && !count()) {
            return fail(lineNumber, kTooMany);
        }
    }
    // A file of nothing but blank space holds nothing to lose; it is read as
    // an empty registry. Text without the header is not ours.
    return true;
}

std::string SerializeDocument(const Document& doc) {
    std::string out = kHeaderLine;
    out += "\n\n";
    for (const std::string& comment : doc.leadingComments) {
        out += comment;
        out.push_back('\n');
    }
    if (!doc.leadingComments.empty()) {
        out.push_back('\n');
    }
    for (const Key& key : doc.keys) {
        std::string path;
        Utf16ToUtf8(key.path, path);
        out.push_back('[');
        // The root is named, and so is a path whose first key happens to be
        // called like the root, which reading would otherwise strip.
        std::string_view first = std::string_view(path).substr(0, path.find('\\'));
        if (path.empty() || (first.size() == kRootName.size() && StartsWithNoCase(first, kRootName))) {
            out += kRootName;
            if (!path.empty()) {
                out.push_back('\\');
            }
        }
        out += path;
        out += "]\n";
        for (const Entry& entry : key.entries) {
            if (entry.isComment) {
                out += entry.comment;
                out.push_back('\n');
            } else {
                AppendValue(out, entry.value);
            }
        }
        out.push_back('\n');
    }
    return out;
}

}  // namespace reg

#include "user_dirs.h"

namespace sys {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The value of one line's quoted string, unescaped, or false when the line
// does not have the form the file's tools write.
bool QuotedValue(const std::string& line, size_t pos, std::string* value) {
    if (pos >= line.size() || line[pos] != '"') {
        return false;
    }
    value->clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            // Only blanks or a comment may follow the closing quote.
            for (++pos; pos < line.size() && IsBlank(line[pos]); ++pos) {
            }
            return pos == line.size() || line[pos] == '#';
        }
        if (c == '\\') {
            if (++pos == line.size()) {
                return false;
            }
            c = line[pos];
        }
        value->push_back(c);
    }
    return false;  // no closing quote
}

}  // namespace

std::string UserDirFromText(const std::string& text, const std::string& key, const std::string& home) {
    std::string found;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        size_t pos = 0;
        while (pos < line.size() && IsBlank(line[pos])) {
            ++pos;
        }
        if (line.compare(pos, key.size(), key) != 0) {
            continue;
        }
        pos += key.size();
        while (pos < line.size() && IsBlank(line[pos])) {
            ++pos;
        }
        if (pos >= line.size() || line[pos] != '=') {
            continue;
        }
        ++pos;
        while (pos < line.size() && IsBlank(line[pos])) {
            ++pos;
        }
        std::string value;
        if (!QuotedValue(line, pos, &value)) {
            continue;
        }
        if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/')) {
            if (home.empty()) {
                continue;
            }
            std::string rest = value.substr(5);
            while (!rest.empty() && rest.back() == '/') {
                rest.pop_back();
            }
            found = home + rest;
        } else if (!value.empty() && value[0] == '/') {
            found = value;
        }
    }
    return found;
}

}  // namespace sys

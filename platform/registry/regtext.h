// The registry as it sits in memory and the .reg text that holds it on disk.
// This part knows nothing of files or handles: it turns text into a Document
// and back, and answers questions about key and value names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "../include/wintypes.h"
#include "runtime/utf.h"

namespace reg {

struct Value {
    std::u16string name;  // empty for the key's default value, written "@"
    DWORD type = 0;
    std::vector<BYTE> data;
};

// One line under a section: a value, or comments kept exactly as written so
// that a hand-edited file keeps its notes across our rewrites.
struct Entry {
    bool isComment = false;
    std::string comment;  // UTF-8: one or more lines starting with ';', joined by '\n'
    Value value;
};

struct Key {
    std::u16string path;  // components joined by '\', relative to HKEY_CURRENT_USER; empty = the root
    std::vector<Entry> entries;
};

struct Document {
    std::vector<std::string> leadingComments;  // comments before the first section, as Entry::comment
    std::vector<Key> keys;                     // in file order
};

constexpr const char* kHeaderLine = "Windows Registry Editor Version 5.00";

// What a settings file may hold. It keeps the game's one value and perhaps a
// few of the user's own, so a file past any of these is not one the program
// wrote: it is damage, kept aside like any other. They also bound what a
// start holds in memory to a few times the largest file, and a save that
// would pass them is refused.
constexpr size_t kMaxFileBytes = 1024 * 1024;
constexpr size_t kMaxValueBytes = 64 * 1024;
// Keys, values and runs of comment lines, counted together.
constexpr size_t kMaxEntries = 4096;

// How many keys, values and runs of comments the document holds.
size_t EntryCount(const Document& doc);

// Parses the text of a registry file. Returns false, with the line number and
// a reason, when the text is not a registry file we can take over without
// losing anything; the caller then keeps the file aside.
struct ParseError {
    int line = 0;
    std::string reason;
};
bool ParseDocument(std::string_view text, Document& doc, ParseError* error);
std::string SerializeDocument(const Document& doc);

// Key and value names compare without regard to case, as on Windows.
bool SameName(std::u16string_view a, std::u16string_view b);

// How many times a key or value name has been compared with another or
// looked up in an index, since the program started. Reading and writing a
// file must cost a number of these in step with its size; the tests compare
// the count for a small and a large file to make sure of it.
uint64_t NameComparisons();

// The key with exactly this path (any case), or null.
Key* FindKey(Document& doc, std::u16string_view path);
// True when the key is in the document itself or is an ancestor of one that
// is: creating "A\B\C" on Windows makes "A" and "A\B" exist too.
bool KeyExists(const Document& doc, std::u16string_view path);
// The path spelt with the case already used in the document for each of its
// leading components, so that "SOFTWARE\X" created beside "Software\Y"
// lands under the same "Software" as Windows would show it.
std::u16string CanonicalPath(const Document& doc, std::u16string_view path);
Key& AddKey(Document& doc, std::u16string_view path);
Value* FindValue(Key& key, std::u16string_view name);
// Replaces the data and type of a value of that name in place, or appends it.
void SetValue(Key& key, std::u16string_view name, DWORD type, const BYTE* data, size_t size);

// The runtime's strict conversions, used throughout the registry.
using rt::Utf16ToUtf8;
using rt::Utf8ToUtf16;

}  // namespace reg

// The texts around the program's screen, one record a language: the result
// line a host copies or shares, the status a screen reader speaks, and the
// notes the desktop hosts put in the title bar after sharing (share_notes.cpp),
// and the names of the browser page's buttons. None is drawn
// by the program, so they are UTF-8 and have no pixel room; the words drawn
// on the screen are the resources of translations.h.
//
// A text is a pattern in which {1} to {4} stand for the numbers or words
// put in, in whatever order the language needs them ("Player {1} arrives
// at {2}." is "プレイヤー{1}が{2}に到着。"). docs/translations.md lists them
// with where each is heard or seen.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <windows.h>

namespace res {

// The record of a language in a table whose first record is English, the
// one taken for a language the table lacks.
template <typename Record, size_t N>
const Record& RecordFor(const Record (&table)[N], WORD language) {
    for (const Record& record : table) {
        if (record.language == language) {
            return record;
        }
    }
    return table[0];
}

struct Phrases {
    WORD language;  // 0 for English, the fallback
    // The result line (DescribeResult): the heading, then one item a player
    // joined by the separator. {1} is a player's number, {2} its pole.
    const char* noGame;       // no board, or the title picture
    const char* heading;      // {1} players
    const char* arrivedAt;    // player {1} arrived under pole {2}
    const char* onTheWay;     // player {1}'s runner still moves
    const char* notStarted;   // player {1}'s runner has not set off
    const char* separator;
    // The status (DescribeStatus).
    const char* title;        // the screen before the first game; N is the key
    const char* board;        // {1} players: {2} arrived, {3} on the way, {4} waiting
    const char* newGame;      // {1} players
    const char* setsOff;      // player {1}
    const char* arrives;      // player {1} at pole {2}
    const char* allSetOff;
    const char* count;        // the player-count dialog shows {1}
    const char* sentenceEnd;  // closes a dialog's line of text
    const char* sentenceGap;  // between two sentences (none in Chinese and Japanese)
    // The browser page's buttons for screen readers, named as the bar and
    // the dialogs name them, in the page's order: New, All, Option, Help:
    // About, Exit, Start player % (% for its number), Fewer players, More
    // players, OK, Cancel, and Close for About.
    const char* buttons[11];
};

// The texts of a language; English's for one without its own.
const Phrases& PhrasesFor(WORD language);

// Every record, English first, for the tests and the translators' checks.
const Phrases* AllPhrases(size_t* count);

// The desktop hosts' title bar after Ctrl+S and Ctrl+C, kept apart so that
// the browser's program, which shares through its page, leaves them out.
// {1} is the picture's file name or the system's reason.
struct ShareNotes {
    WORD language;  // 0 for English, the fallback
    const char* saved;
    const char* saveFailed;
    const char* copied;
    const char* copyFailedBecause;
    const char* copyFailed;  // where the system gives no reason
};
const ShareNotes& ShareNotesFor(WORD language);
const ShareNotes* AllShareNotes(size_t* count);

// Appends a pattern to out with {k} replaced by what put(out, k) appends; a
// brace not followed by a digit 1 to 4 and "}" is copied as it is. Appends
// nothing else, so that a string with room to spare does not allocate.
template <typename Put>
void AppendPhrase(std::string& out, std::string_view pattern, Put put) {
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '4' &&
            pattern[i + 2] == '}') {
            put(out, pattern[i + 1] - '0');
            i += 2;
        } else {
            out += pattern[i];
        }
    }
}

}  // namespace res

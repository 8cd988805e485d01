// The script language of tavilo-headless: one command a line.
//
//   tap X Y | down X Y | move X Y | up X Y    the stylus, in screen pixels
//   press LABEL                               tap the visible control with that label
//   key KEYS                                  keys such as n 1 kp1 + enter alt ctrl+a alt+/
//   command N                                 WM_COMMAND N to the main window
//   wait MS                                   let MS milliseconds of the clock pass (0 to 4294967295)
//   shot FILE.png                             the 240 x 320 screen as a PNG
//   state                                     the program's state as one JSON line
//   save DIR                                  the board as a new picture in DIR, as Ctrl+S saves it
//   result                                    the draw as one line of text, as Ctrl+C copies it
//   quit                                      end the script
//
// Blank lines and lines starting with # are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "user/host.h"

namespace headless {

// The longest wait, one period of GetTickCount, and the latest clock start,
// far enough from the end of the 64-bit clock that no script can wrap it.
constexpr uint64_t kMaxWaitMs = 0xFFFFFFFFull;
constexpr uint64_t kMaxClockStartMs = uint64_t{1} << 62;

struct ScriptLine {
    enum class Kind { Nothing, Pen, Press, Keys, Command, Wait, Shot, State, Save, Result, Quit };
    Kind kind = Kind::Nothing;
    std::vector<host::Event> events;  // Pen, Keys: in the order they happen
    std::string label;                // Press, as UTF-8
    unsigned command = 0;             // Command
    uint64_t waitMs = 0;
    std::string path;                 // Shot: the file; Save: the folder
};

// False with a message when the line is not a command of the language.
bool ParseScriptLine(const std::string& line, ScriptLine* out, std::string* error);

}  // namespace headless

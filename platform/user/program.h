// What a program linked with the platform provides besides WinMain (which
// windows.h declares, as on the device): the entry points a host may call.
#pragma once

#include <string>

// One JSON line with the program's state, for the headless host's "state"
// command.
std::string DescribeProgramState();

// The draw as one line of UTF-8 text for a person, the same from every host
// that copies or shares it: "Tavilo, 6 players: 1 → 4, 2 → 6, ..." (player
// k's runner arrived under pole m), with runners still on their way or not
// yet started named as such, or a line saying there is no game yet.
std::string DescribeResult();

// The note a desktop host shows in its title bar after sharing, in the
// program's language: the picture saved under the file name detail, not
// saved for the reason detail, the result copied, or not copied (detail the
// reason, empty when the system gives none).
enum class ShareNote { Saved, SaveFailed, Copied, CopyFailed };
std::string DescribeShareNote(ShareNote note, const std::string& detail);

// What the screen shows and what has just happened, for the browser's
// screen-reader layer, which asks after every frame it shows: lines of
// UTF-8, each a name, a tab and a value.
//   screen   what the screen shows now, as the canvas's name
//   news     a number, a tab, and the latest news: what changed since the
//            call before (a new game, a runner setting off or arriving, the
//            result, a dialog opening); the number grows with each news
//   dialog   none, about or option: the dialog that is open
//   players  the players of the game on the screen, 0 before the first
//   board    title, play or done
//   buttons  the names of the browser page's buttons in the program's
//            language, tab-separated: New, All, Option, Help: About, Exit,
//            Start player % (% for its number), Fewer players, More players,
//            OK, Cancel, Close
// The text stays until the next call. Asked during a game, it allocates
// nothing.
const std::string& DescribeStatus();

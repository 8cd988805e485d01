// The status line for the browser's screen-reader layer (DescribeStatus in
// user/program.h), an addition over the original, which tells everything in
// pixels only. Two moments leave nothing behind in the program's state, so
// the commands note them here.
#pragma once

// StartNewGame has run (New, or OK in the player-count dialog).
void NoteNewGame();
// The All command has run.
void NoteAllCommand();
// Back to a fresh process's status, for runs inside one process.
void ResetStatus();

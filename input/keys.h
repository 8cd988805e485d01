// The keyboard, an addition over the original input set (the stylus, the
// menu bar and accelerator table 3): keys that do what a tap or a bar button
// does, for players who cannot or would rather not use a pointer. Nothing is
// drawn differently until a key is used.
//
// Where the keys live:
// - the play keys 1 to 8 (top row or keypad), N, A and O are accelerator
//   table IDR_PLAY_KEYS (resources/menus.cpp), translated by the main loop
//   after table 3; 1 to 8 arrive as IDM_START_PLAYER + k - 1 and end in
//   OnPlayerKey below;
// - in the player-count dialog, Left and Right, "-" and "+" step the count
//   through a message filter (InstallKeyFilter), so the dialog's own
//   procedure stays as it was;
// - Enter and Escape in dialogs, Tab between their buttons, F10 or Alt for
//   the menu bar and the arrows in it are the window manager's, as on a
//   desktop (platform/user).
#pragma once

#include "windows.h"

// What a tap on the ball of runner index does: nothing on the title or a
// finished board, or for an index beyond the board's players; otherwise
// the intro panel goes, and an idle runner sets off. 1 when it launched one.
int OnPlayerKey(int index);

// The message filter that gives the player-count dialog its keys, for as
// long as the program runs; null when it could not be set.
HHOOK InstallKeyFilter();

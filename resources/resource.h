// Resource and command identifiers of the program: the numbers by which the
// shell, the dialogs and the board view find their resources and recognise
// their commands. The numbers are those of the original resource script, so
// that menu-bar records, accelerators and dialog controls keep their values.
#pragma once

// Strings.
#define IDS_TITLE 1
#define IDS_CLASS 3
#define IDS_HELP 40022
#define IDS_EXIT 40024
#define IDS_NEW 40026
#define IDS_ALL 40029
#define IDS_OPTION 40033
// The intro panel's translated messages, IDS_INTRO_FIRST plus the message's
// index, which only the languages other than English have: English keeps
// its table in intro/ (g_introMessages), and a message without a
// translation shows it.
#define IDS_INTRO_FIRST 41000
#define IDS_INTRO_PRESENTED (IDS_INTRO_FIRST + 0)
#define IDS_INTRO_EMAIL (IDS_INTRO_FIRST + 2)
#define IDS_INTRO_GOOD_LUCK (IDS_INTRO_FIRST + 3)

// Icon group and its two images.
#define IDI_TAVILO 128
#define IDI_TAVILO_32 1
#define IDI_TAVILO_16 2

// Accelerator table, menu-bar definition and menu.
#define IDR_ACCEL 3
#define IDR_MENUBAR 112
// The play keys, an accelerator table of our own beside table 3 (input/keys).
#define IDR_PLAY_KEYS 4

// Dialogs.
#define IDD_ABOUT 103
#define IDD_OPTION 113
#define IDD_INTRO 115

// Bitmaps.
#define IDB_TILES 106
#define IDB_HAND 116
#define IDB_TITLE 123
#define IDB_BALLS 124
#define IDB_LOGO 125

// Menu commands.
#define IDM_EXIT 40002
#define IDM_ABOUT 40003
#define IDM_NEW 40011
#define IDM_HELP 40020
#define IDM_ALL 40030
#define IDM_OPTION 40031
// Start player k's runner as a tap on that player's ball does: the play
// keys 1 to 8 send IDM_START_PLAYER + k - 1 (an addition, input/keys).
#define IDM_START_PLAYER 40040
#define IDM_START_PLAYER_LAST (IDM_START_PLAYER + 7)

// Controls of the player-count dialog.
#define IDC_LESS 1011
#define IDC_MORE 1012
#define IDC_COUNT 1014

// The player-count option: its dialog and the registry value that keeps the
// count between runs.
#pragma once

#include "windows.h"

#define PLAYER_COUNT_KEY u"Software\\Menkor\\Tavilo"
#define PLAYER_COUNT_VALUE u"PlayerCount"

// A board holds eight runners and a lottery needs two players, so every
// count that comes from outside (the registry, the dialog's text) passes
// through ClampPlayerCount before it can reach a board.
constexpr int32_t MIN_PLAYERS = 2;
constexpr int32_t MAX_PLAYERS = 8;
constexpr int32_t DEFAULT_PLAYERS = 6;
int32_t ClampPlayerCount(int32_t count);

// g_playerCount from the registry (the default when nothing is stored),
// clamped; and back. The main window loads it while it is created, so the
// very first board has the stored count, and saves it as it is destroyed.
void LoadPlayerCount();
void SavePlayerCount();

INT_PTR CALLBACK OptionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT OptionDlgCommand(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// The 32-bit value stored under root\path\name, or fallback when the key or
// value cannot be read. The key is created if it is missing.
DWORD RegReadDword(HKEY root, LPCWSTR path, LPCWSTR name, DWORD fallback);
// 1 if the value was stored, 0 if not.
int RegWriteDword(HKEY root, LPCWSTR path, LPCWSTR name, DWORD value);

// The decimal number at the start of text: leading spaces and a sign are
// allowed, digits run to the first non-digit, no digit gives 0. Numbers too
// large for 32 bits stop at the limit rather than wrapping.
int32_t ParseDecimal(LPCWSTR text);

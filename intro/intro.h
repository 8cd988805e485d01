// The intro panel shown at every new game, with its five cycling messages
// drawn as outlined text.
#pragma once

#include "windows.h"

constexpr int INTRO_MESSAGE_COUNT = 5;

extern int32_t g_introIndex;
extern const WCHAR* const g_introMessages[INTRO_MESSAGE_COUNT];

INT_PTR CALLBACK IntroPanelProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam);

// Shows the panel for a new game. A panel already up is hidden first, so
// that showing it again repaints it and brings up the next message.
void ShowIntroPanel();
// Hides the panel if it is up; otherwise does nothing.
void HideIntroPanel();

// Draws text centred in the window's client area: the outline layers, then
// the face in faceColor.
void DrawOutlinedText(HWND window, HDC dc, LPCWSTR text, COLORREF faceColor);
// One layer: copies of the text in colour, moved depth pixels down (up for a
// negative depth) and spread sideways more the deeper the layer.
void DrawOutlineLayer(HDC dc, RECT rect, int depth, LPCWSTR text, COLORREF color);

// What the dialog manager, the controls, the dialog frames and the menu bar
// share inside platform/user: control messages that windows.h leaves out
// (the game never sends them), the class names, the colours of the handheld
// look and the frame rules.
#pragma once

#include "user_internal.h"

// Win32 message numbers used between the dialog manager and its controls.
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define STM_SETIMAGE 0x0172
#define STM_GETIMAGE 0x0173
#define IMAGE_BITMAP 0

namespace user {

// Class names of the built-in controls and of dialogs. The template's class
// atoms 0x0080 and 0x0082 name BUTTON and STATIC, as in Win32.
inline constexpr char16_t kButtonClass[] = u"BUTTON";
inline constexpr char16_t kStaticClass[] = u"STATIC";
inline constexpr char16_t kDialogClass[] = u"#32770";
inline constexpr WORD kButtonAtom = 0x0080;
inline constexpr WORD kStaticAtom = 0x0082;

// The handheld look: white faces, black one-pixel lines and text, a dark
// blue for captions and highlights, a light grey menu bar.
inline constexpr COLORREF kFaceColor = RGB(255, 255, 255);
inline constexpr COLORREF kInkColor = RGB(0, 0, 0);
inline constexpr COLORREF kHighlightColor = RGB(0, 0, 128);
inline constexpr COLORREF kHighlightTextColor = RGB(255, 255, 255);
inline constexpr COLORREF kDisabledTextColor = RGB(128, 128, 128);
inline constexpr COLORREF kBarColor = RGB(212, 208, 200);
inline constexpr COLORREF kShadowColor = RGB(128, 128, 128);

// Registers BUTTON, STATIC and the dialog class when they are missing (the
// class table can be emptied by ResetForTests, so this runs before every use).
void EnsureControlClasses();

// button.cpp and static.cpp: the window procedures of the two classes.
LRESULT CALLBACK ButtonWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A push button that stands for a caption's OK box: drawn in the caption's
// colours, and its BN_CLICKED goes to the dialog that owns it as IDOK.
// Created by frame.cpp; the BS_ value is private to this layer.
inline constexpr DWORD kCaptionButtonStyle = 0x0000000F;

// frame.cpp: the frame that a window's styles ask for. FrameInsetsFor gives
// its thickness (for sizing the window before it exists); ApplyFrame installs
// the frame and, for WS_EX_CAPTIONOKBTN, the caption's OK button.
RECT FrameInsetsFor(DWORD style, DWORD exStyle);
void ApplyFrame(HWND hwnd, DWORD style, DWORD exStyle);
// Keep the caption's OK button over the caption when its dialog moves, and
// show or hide it with the dialog.
void FollowFrameOwner(HWND hwnd);
void ShowFrameButtons(HWND hwnd, bool show);

// The caption's height in pixels, below the one-pixel border.
inline constexpr int kCaptionHeight = 18;

// Win32's MulDiv: a * b / c rounded to the nearest, halves away from zero.
int MulDivRound(int a, int b, int c);

// The control's label as the press command knows it: '&' prefixes dropped
// ("&&" stays one '&').
std::u16string StripPrefix(const std::u16string& text);

}  // namespace user

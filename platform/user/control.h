// What the push buttons, the static controls, the dialog manager, the dialog
// frames and the menu bar share inside platform/user: the state each
// window keeps, the one function that turns a control's record into a
// window, the pressed look that follows the pen, and the painting steps that
// every control takes.
#pragma once

#include <any>
#include <initializer_list>
#include <utility>

#include "dialog_internal.h"

namespace user {

// Each of these window classes keeps its state on the window record, where
// it dies with the window. StateOf gives null for a window of another class
// (or none), so a handle that names the wrong kind of window is harmless.
template <class State>
State* StateOf(HWND hwnd) {
    Window* w = FromHandle(hwnd);
    return w != nullptr ? std::any_cast<State>(&w->classState) : nullptr;
}

// Gives the window its class state; null when the window is gone.
template <class State>
State* AttachState(HWND hwnd, State state = State{}) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    w->classState = std::move(state);
    return std::any_cast<State>(&w->classState);
}

// Registers each class that is missing; ResetForTests empties the class
// table, so this runs before every use.
struct ClassEntry {
    LPCWSTR name;
    WNDPROC proc;
};
void RegisterMissingClasses(std::initializer_list<ClassEntry> classes);

// One control as a dialog template, a menu-bar definition or a menu gives
// it. Its place is in the parent's client coordinates (the screen's for a
// pop-up), and its id travels in the menu handle, as in Win32.
struct ControlRecord {
    DWORD exStyle = 0;
    LPCWSTR cls = nullptr;
    LPCWSTR text = nullptr;
    DWORD style = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    WORD id = 0;
    LPVOID param = nullptr;
};
HWND CreateControl(const ControlRecord& record, HWND parent, HINSTANCE instance);
WORD ControlId(const Window* w);

// The BS_ kind of a push button's style.
inline DWORD ButtonKind(const Window* w) { return w->style & 0x0F; }

// Whether hwnd is ancestor or lies anywhere inside it.
bool IsWithin(HWND hwnd, HWND ancestor);

// Marks a control for the script's "press LABEL" with its text, '&'
// prefixes taken out; null text gives an empty label.
void SetLabel(HWND hwnd, LPCWSTR text);

// A push button's BN_CLICKED, sent to the window that handles it.
void NotifyClicked(HWND to, WORD id, HWND control);

// WM_SETFONT and WM_GETFONT of a control that keeps its font in *font (null:
// the system font); a control without state (font null) answers 0. A font
// set with the redraw flag invalidates the control, erasing it when erase
// says so.
LRESULT ControlFontMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, HFONT* font, BOOL erase);

// Invalidates without erasing and paints at once, so that a new look shows
// before anything that a tap may start.
void RepaintNow(HWND hwnd);

// The pressed look of a control that the pen went down on. The input layer
// keeps sending the pen to that window until pen-up, so the look can follow
// the pen out of the control and back in.
struct PenPress {
    bool tracking = false;  // the pen went down on the control and is not up yet
    bool pressed = false;
};
// Repaints only when the look changes.
void SetPressed(HWND hwnd, PenPress* press, bool pressed);
// WM_MOUSEMOVE: while tracking, pressed exactly while the pen is inside.
void FollowPen(HWND hwnd, PenPress* press, LPARAM lParam);
// Whether a pen message's point lies in the client area.
bool PenInside(HWND hwnd, LPARAM lParam);

void Fill(HDC dc, const RECT& r, COLORREF color);
// A frame of the given thickness just inside r.
void Outline(HDC dc, const RECT& r, int thickness, COLORREF color);
// The keyboard focus: a dotted frame, every other pixel, just inside r (the
// look of Win32's DrawFocusRect, drawn plainly since every control paints
// its whole client area anew).
void FocusMark(HDC dc, const RECT& r, COLORREF color);
// The system font made bold, for captions; the caller deletes it.
HFONT CreateBoldFont();
// Text on a transparent background; a font that is not null is selected
// only while the text is drawn.
void DrawLabel(HDC dc, const std::u16string& text, RECT rect, UINT format, COLORREF color, HFONT font = nullptr);

// WM_ERASEBKGND of dialogs and pop-up menus: the client area in the face
// colour.
LRESULT EraseToFace(HWND hwnd, WPARAM dc);
// WM_CREATE of dialogs and pop-up menus: the frame that the styles ask for.
void ApplyFrameOnCreate(HWND hwnd, LPARAM createStruct);

// WM_PAINT of a control that draws every pixel of its client area: paint
// runs between BeginPaint and EndPaint, and only while the window and its
// state are there.
template <class State, class Paint>
LRESULT PaintControl(HWND hwnd, Paint paint) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    Window* w = FromHandle(hwnd);
    State* state = StateOf<State>(hwnd);
    if (dc != nullptr && w != nullptr && state != nullptr) {
        RECT client;
        GetClientRect(hwnd, &client);
        paint(dc, *w, *state, client);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

}  // namespace user

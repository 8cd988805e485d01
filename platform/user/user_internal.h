// The window manager's records and the functions its files share. Not for
// use outside platform/user.
#pragma once

#include <any>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gdi/region.h"
#include "gdi/screen_size.h"
#include "host.h"
#include "user.h"
#include "windows.h"

namespace user {

struct WindowClass {
    std::u16string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HBRUSH background = nullptr;
};

struct Window {
    HWND handle = nullptr;
    const WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    Window* parent = nullptr;       // WS_CHILD windows only
    Window* owner = nullptr;        // owned top-level windows only
    std::vector<Window*> children;  // topmost first
    RECT rect{};                    // window rectangle in the parent's client coordinates (screen for top-level)
    FrameHooks frame;
    std::u16string text;
    std::u16string pressLabel;
    HINSTANCE instance = nullptr;
    HMENU menu = nullptr;
    gdi::Region update;  // client coordinates
    bool erase = false;
    bool frameDirty = false;
    bool destroying = false;
    bool published = false;  // holds the single-instance socket
    // What SetWindowLongPtrW keeps: GWLP_USERDATA on every window, DWLP_USER
    // on dialogs.
    LONG_PTR userData = 0;
    LONG_PTR dialogUser = 0;
    // The state the window's class keeps for it (a button's look, a
    // dialog's procedure and result ...). It lives and dies with this
    // record, so no class needs a table of its windows or a clean-up list.
    std::any classState;
    HWND captionButton = nullptr;  // the OK button of a caption that has one
    // What shows of the window and of its client area, in screen pixels,
    // as last computed; good while visibleEpoch is the current epoch.
    mutable gdi::Region visibleWindow;
    mutable gdi::Region visibleClient;
    mutable uint64_t visibleEpoch = 0;
};

// window.cpp
Window* FromHandle(HWND hwnd);  // null for unknown, stale and remote handles
std::vector<Window*>& TopLevels();  // topmost first
bool IsShown(const Window* w);   // WS_VISIBLE on it and every parent
bool IsEnabledChain(const Window* w);  // neither it nor a parent disabled
Window* RootOf(Window* w);       // the top-level window that contains w
bool IsOwnedBy(const Window* w, const Window* owner);  // through any chain of owners
void ForEachWindow(void (*fn)(Window*, void*), void* context);
void CollectWindows(std::vector<Window*>* out);  // every live window, parents before children
Window* FindWindowByClassAndTitle(const std::u16string* cls, const std::u16string* title);
void DestroyAllWindowsSilently();
HWND ActiveWindow();

// class.cpp
const WindowClass* FindClass(LPCWSTR name);
void ResetClasses();

// paint.cpp
RECT ScreenWindowRect(const Window* w);
RECT ScreenClientRect(const Window* w);
// Both are cached on the window until the window stack next changes: every
// change to a window's visibility, place, size, frame or stacking order goes
// through TakeVisibilitySnapshot and CommitVisibilityChange, which drop the
// caches, and so do creation and destruction through VisibilityChanged.
const gdi::Region& VisibleWindowRegion(const Window* w);   // screen pixels
const gdi::Region& VisibleClientRegion(const Window* w);   // screen pixels, children excluded
void VisibilityChanged();

// A record of what was visible of every window before a change to the
// window stack; CommitVisibilityChange then invalidates exactly what the
// change uncovered and brings the clips of live DCs up to date.
struct VisibilitySnapshot {
    std::vector<std::pair<HWND, gdi::Region>> client;
    std::vector<std::pair<HWND, gdi::Region>> window;
    gdi::Region desktop;
};
VisibilitySnapshot TakeVisibilitySnapshot();
// moved: windows whose contents moved on the screen (or were newly shown);
// they are invalidated whole rather than by difference.
void CommitVisibilityChange(const VisibilitySnapshot& before, const std::vector<HWND>& moved,
                            bool repaint = true);
void InvalidateWhole(Window* w);
HWND FindWindowToPaint(HWND filter);
void DropWindowDCs(Window* w);
void ResetPaint();

// message.cpp
void PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// A key or character for whichever window has the keyboard (KeyTarget)
// when the program takes it.
void PostKeyInput(UINT message, WPARAM wParam, LPARAM lParam);
void ResetQueue();

// input.cpp
void HandleHostEvent(const host::Event& event);
POINT LastPenPosition();
void ForgetWindowInput(Window* w);
void ResetInput();
char16_t CharForKey(WPARAM vk);
// The window keys go to now: the focus, or the open modal dialog, or the
// active or main window; null when there is none.
HWND KeyTarget();
// The queue hands the program an input message: the key state follows it.
void TookInputMessage(const MSG& msg);
// Alt was pressed and released with nothing else in between (read as its
// key-up is handled).
bool AltPressedAlone();
// Whether focus marks are drawn: once a key has been used, until the next
// pen-down.
bool KeyboardCues();

// hook.cpp
void ResetHooks();

// menubar.cpp: the keyboard's way through the menu bar that window owns
// (F10, or Alt alone): a loop of its own until a button runs, Escape or the
// pen. Returns at once when the window owns no visible bar.
void TrackMenuBarByKeyboard(HWND owner);

// timer.cpp
bool TakeDueTimer(HWND filter, bool remove, MSG* msg);
void AfterTimerDispatch(HWND hwnd, UINT_PTR id);
TIMERPROC TimerProcFor(HWND hwnd, UINT_PTR id);
void KillWindowTimers(HWND hwnd);
void ResetTimers();

// instance.cpp
void PublishInstance(Window* w);
void UnpublishInstance(Window* w);
HWND FindRemoteWindow(const std::u16string& cls, const std::u16string& title);
bool IsRemoteHandle(HWND hwnd);
BOOL RaiseRemoteWindow(HWND hwnd);
void OnInstanceWake();
void ResetResourceLanguage();  // chosen again at the next lookup
void ResetInstance();

// resource.cpp
void ShowClassIcon(HICON icon);

// class.cpp: class names compare as Win32 compares them, ignoring case.
bool SameClassName(const std::u16string& a, LPCWSTR b);

}  // namespace user

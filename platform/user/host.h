// The seam between the window manager and a host (the headless script
// driver, the SDL2 window, the browser page and the Windows window). The
// window manager owns the 240 x 320 screen surface and calls these
// functions; each host folder implements every one of them, and the host is
// chosen at link time. A host calls into the program only through WinMain
// and the program-entry header (program.h), and may use what the window
// manager offers everyone (user.h) to build features of its own on top.
#pragma once

#include <cstdint>

#include "gdi/screen_size.h"

namespace host {

using gdi::kScreenHeight;
using gdi::kScreenWidth;

enum class EventKind {
    PenDown,   // x, y in screen pixels
    PenMove,
    PenUp,
    KeyDown,   // vk, alt; ch when the host knows the key's character
    KeyUp,     // vk, alt
    Char,      // ch, alt
    Close,     // the user closed the program (the desktop window, the end of a script)
    HandOver,  // another copy of the program asked this one to come to the front
};

struct Event {
    EventKind kind = EventKind::PenDown;
    int x = 0;
    int y = 0;
    unsigned vk = 0;
    char16_t ch = 0;
    bool alt = false;
};

inline Event PenEvent(EventKind kind, int x, int y) {
    Event event;
    event.kind = kind;
    event.x = x;
    event.y = y;
    return event;
}

// Shows the screen. pixels is the whole 240 x 320 surface, 0x00RRGGBB per
// pixel, row after row; left, top, right and bottom (exclusive) bound the
// part that changed since the last call.
void Present(const uint32_t* pixels, int left, int top, int right, int bottom);

// Waits for the next event until the clock (rt::NowMs) reaches deadlineMs;
// UINT64_MAX waits without limit, a deadline already passed only takes what
// is ready. Returns false when the deadline came first, or when the host has
// put messages into the queue itself (the headless host's script commands)
// and the caller should look there again. A request from another copy of
// the program arrives here as a HandOver event, however the system delivers
// it. The headless host advances its virtual clock here instead of sleeping.
bool WaitEvent(uint64_t deadlineMs, Event* event);

// Brings the program's window to the front (another copy asked for it).
void RaiseWindow();

// The program icon, 0x00RRGGBB pixels with a 0/1 mask per pixel, shown as
// the desktop window's icon where the host has one.
void SetIcon(const uint32_t* pixels, const uint8_t* mask, int width, int height);

}  // namespace host

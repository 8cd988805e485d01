// The seam between the platform layer and a host (SDL2 window, headless
// script driver, later the browser). The core owns the 240 x 320 screen
// surface and calls these functions; a host never calls into the core except
// through WinMain and the state report below. Each host folder implements
// every function here; the host is chosen at link time.
#pragma once

#include <cstdint>
#include <string>

#include "gdi/screen_size.h"

namespace host {

using gdi::kScreenHeight;
using gdi::kScreenWidth;

enum class EventKind {
    PenDown,   // x, y in screen pixels
    PenMove,
    PenUp,
    KeyDown,   // vk, alt
    KeyUp,     // vk, alt
    Char,      // ch, alt
    Press,     // label: tap the centre of the visible control with that label
    Command,   // command: WM_COMMAND to the main window
    Close,     // the user closed the program (desktop window, script "quit" or end of script)
    Wake,      // a watched descriptor became readable
};

struct Event {
    EventKind kind = EventKind::PenDown;
    int x = 0;
    int y = 0;
    unsigned vk = 0;
    char16_t ch = 0;
    bool alt = false;
    int command = 0;
    std::string label;
};

inline Event PenEvent(EventKind kind, int x, int y) {
    Event event;
    event.kind = kind;
    event.x = x;
    event.y = y;
    return event;
}

// Shows the screen. pixels is the whole 240 x 320 surface, 0x00RRGGBB per
// pixel, row after row; dirty is the part that changed since the last call
// (left, top, right, bottom, exclusive).
void Present(const uint32_t* pixels, int left, int top, int right, int bottom);

// Waits for the next input event until the clock (rt::NowMs) reaches
// deadlineMs; UINT64_MAX waits without limit. Returns false on timeout. The
// headless host advances its virtual clock here instead of sleeping.
bool WaitEvent(uint64_t deadlineMs, Event* event);

// Makes WaitEvent return a Wake event when fd becomes readable (the
// single-instance socket). fd < 0 stops watching.
void WatchDescriptor(int fd);

// Brings the desktop window to the front (another copy asked for it).
void RaiseWindow();

// The program icon, 0x00RRGGBB pixels with a 0/1 mask per pixel, shown as
// the desktop window's icon where the host has one.
void SetIcon(const uint32_t* pixels, const uint8_t* mask, int width, int height);

}  // namespace host

// Provided by the program that is linked with the host: one JSON line with
// the program's state, for the headless host's "state" command.
std::string DescribeProgramState();

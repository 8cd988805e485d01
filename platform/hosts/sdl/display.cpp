// The SDL host: the device screen in a desktop window through SDL's software
// path, and input from SDL's event queue.
//
// The picture goes through the window surface (SDL_GetWindowSurface) with
// framebuffer acceleration off, so SDL blits it with XShm instead of creating
// an OpenGL context, which would cost about 100 MB for a 240 x 320 picture.
// The host keeps its own copy of the device screen, so that an expose or a
// resize redraws the window without asking the program to paint.
#include "display.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <string>
#include <vector>

#include "desktop/scale.h"
#include "frame.h"
#include "input.h"
#include "runtime/descriptor_watch.h"
#include "runtime/runtime_control.h"
#include "runtime/system.h"
#include "user/host.h"
#include "user/program.h"
#include "user/share.h"
#include "video_drivers.h"
#include "watcher.h"

// SDL's video start-up connects to the session bus, and libdbus keeps a
// buffer from that for the life of the process; it is not ours to free. In a
// build with LeakSanitizer this keeps it out of the report, so that a clean
// run of the desktop program (or of its tests) exits 0; elsewhere the
// function is never called.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace sdlhost {

using desktop::DesktopArea;
using desktop::kDeviceHeight;
using desktop::kDeviceWidth;
using desktop::Layout;
using desktop::PixelRect;
using desktop::PixelTarget;
using desktop::PlaceWindow;
using desktop::ReducedScaleNote;
using desktop::WindowFrame;
using desktop::WindowPlacement;

namespace {

constexpr uint32_t kBlack = 0;
constexpr const char* kTitle = "Tavilo";
// How long a note ("Saved ...") stays in the title bar.
constexpr uint64_t kTitleNoteMs = 4000;

struct Display {
    SDL_Window* window = nullptr;
    Layout layout;
    uint32_t screen[kDeviceWidth * kDeviceHeight] = {};
    SDL_Surface* shadow = nullptr;  // only when the window's format is not 32-bit RGB
    InputTranslator input;
    std::deque<host::Event> pending;
    Uint32 wakeEventType = static_cast<Uint32>(-1);
    bool firstFrameLogged = false;
    std::vector<uint32_t> iconPixels;  // ARGB, kept until a window can show it
    int iconWidth = 0;
    int iconHeight = 0;
    // When the note in the title bar gives way to the title again.
    uint64_t titleNoteEndMs = UINT64_MAX;
};

Display g_display;

void PushWake(uint32_t generation) {
    if (g_display.wakeEventType == static_cast<Uint32>(-1)) {
        return;
    }
    SDL_Event event = {};
    event.type = g_display.wakeEventType;
    event.user.code = static_cast<Sint32>(generation);
    SDL_PushEvent(&event);
}

DescriptorWatcher g_watcher(PushWake);

// Where scaled pixels are written for the window surface: the surface itself
// when it is 32-bit RGB, otherwise a shadow buffer that SDL converts from.
struct Target {
    SDL_Surface* surface = nullptr;
    PixelTarget pixels;
    uint32_t setBits = 0;
    bool resized = false;
};

bool AcquireTarget(Target* target) {
    Display& d = g_display;
    SDL_Surface* surface = SDL_GetWindowSurface(d.window);
    if (surface == nullptr) {
        return false;
    }
    target->surface = surface;
    if (surface->w != d.layout.windowWidth || surface->h != d.layout.windowHeight) {
        d.layout = desktop::FitPicture(surface->w, surface->h);
        d.input.SetLayout(d.layout);
        target->resized = true;
    }
    Uint32 format = surface->format->format;
    SDL_Surface* pixels = surface;
    if (format == SDL_PIXELFORMAT_ARGB8888) {
        target->setBits = 0xFF000000u;
    } else if (format != SDL_PIXELFORMAT_RGB888) {
        if (d.shadow == nullptr || d.shadow->w != surface->w || d.shadow->h != surface->h) {
            SDL_FreeSurface(d.shadow);
            d.shadow = SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 32, SDL_PIXELFORMAT_RGB888);
            if (d.shadow == nullptr) {
                return false;
            }
            target->resized = true;
        }
        pixels = d.shadow;
    }
    target->pixels.pixels = static_cast<uint32_t*>(pixels->pixels);
    target->pixels.width = pixels->w;
    target->pixels.height = pixels->h;
    target->pixels.pitch = pixels->pitch / 4;
    return true;
}

// Hands the written rectangle to the window: converts it from the shadow
// buffer first where there is one.
void ShowRect(const Target& target, PixelRect rect) {
    if (rect.Empty()) {
        return;
    }
    SDL_Rect area = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    if (g_display.shadow != nullptr && target.surface != nullptr &&
        target.pixels.pixels == g_display.shadow->pixels) {
        SDL_Rect destination = area;
        SDL_BlitSurface(g_display.shadow, &area, target.surface, &destination);
    }
    SDL_UpdateWindowSurfaceRects(g_display.window, &area, 1);
}

void RedrawAll() {
    Display& d = g_display;
    Target target;
    if (d.window == nullptr || !AcquireTarget(&target)) {
        return;
    }
    PixelRect whole = {0, 0, target.pixels.width, target.pixels.height};
    desktop::FillPixels(target.pixels, whole, kBlack | target.setBits);
    desktop::ScaleNearest(d.screen, kDeviceWidth, kDeviceHeight, {0, 0, kDeviceWidth, kDeviceHeight}, d.layout.scale,
                 target.pixels, d.layout.left, d.layout.top, target.setBits);
    ShowRect(target, whole);
}

// The time of the first frame on the monotonic clock, for measuring start-up
// from outside (TAVILO_LOG_FIRST_FRAME=1): the measuring script reads the
// same clock before it starts the program.
void LogFirstFrame() {
    Display& d = g_display;
    if (d.firstFrameLogged) {
        return;
    }
    d.firstFrameLogged = true;
    const char* wanted = std::getenv("TAVILO_LOG_FIRST_FRAME");
    if (wanted == nullptr || *wanted == '\0' || *wanted == '0') {
        return;
    }
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "tavilo: first frame at monotonic %.3f ms\n",
                 static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6);
}

void ApplyIcon() {
    Display& d = g_display;
    if (d.window == nullptr || d.iconPixels.empty()) {
        return;
    }
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(d.iconPixels.data(), d.iconWidth, d.iconHeight, 32,
                                                           d.iconWidth * 4, SDL_PIXELFORMAT_ARGB8888);
    if (icon != nullptr) {
        SDL_SetWindowIcon(d.window, icon);
        SDL_FreeSurface(icon);
    }
}

// Window events that concern the picture rather than the program.
void HandleWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
        RedrawAll();
        break;
    default:
        break;
    }
}

// Shows text in the title bar for a few seconds, then "Tavilo" again.
void ShowTitleNote(const std::string& text) {
    Display& d = g_display;
    if (d.window == nullptr) {
        return;
    }
    SDL_SetWindowTitle(d.window, text.c_str());
    d.titleNoteEndMs = rt::NowMs() + kTitleNoteMs;
}

void RestoreTitleWhenDue() {
    Display& d = g_display;
    if (d.titleNoteEndMs != UINT64_MAX && rt::NowMs() >= d.titleNoteEndMs) {
        d.titleNoteEndMs = UINT64_MAX;
        if (d.window != nullptr) {
            SDL_SetWindowTitle(d.window, kTitle);
        }
    }
}

// Ctrl+S: the board as the screen shows it now, into the Pictures folder.
// A failure is one line in the title bar; the game goes on as it was.
void SavePicture() {
    Display& d = g_display;
    std::string name;
    std::string reason;
    const std::string folder = sys::PicturesDir();
    if (share::SaveBoardPicture(d.screen, folder, &name, &reason) == 0) {
        ShowTitleNote(DescribeShareNote(ShareNote::Saved, name));
    } else {
        ShowTitleNote(DescribeShareNote(ShareNote::SaveFailed, reason));
    }
}

// Ctrl+C: the draw as text on the clipboard.
void CopyResult() {
    if (SDL_SetClipboardText(DescribeResult().c_str()) == 0) {
        ShowTitleNote(DescribeShareNote(ShareNote::Copied, ""));
    } else {
        ShowTitleNote(DescribeShareNote(ShareNote::CopyFailed, SDL_GetError()));
    }
}

void Handle(const SDL_Event& event) {
    Display& d = g_display;
    if (event.type == d.wakeEventType) {
        if (g_watcher.Receive(static_cast<uint32_t>(event.user.code))) {
            host::Event handOver;
            handOver.kind = host::EventKind::HandOver;
            d.pending.push_back(handOver);
        }
        return;
    }
    if (event.type == SDL_WINDOWEVENT) {
        HandleWindowEvent(event.window);
    }
    d.input.SetKeyboardFocus(SDL_GetKeyboardFocus() != nullptr);
    d.input.Translate(event, rt::NowMs(), &d.pending);
    switch (d.input.TakeShortcut()) {
    case InputTranslator::Shortcut::SavePicture:
        SavePicture();
        break;
    case InputTranslator::Shortcut::CopyResult:
        CopyResult();
        break;
    case InputTranslator::Shortcut::None:
        break;
    }
}

// The part of the primary display that windows may take, panels and docks
// left out; the whole display where SDL cannot tell them apart.
bool UsableArea(DesktopArea* area) {
    SDL_Rect bounds = {};
    if (SDL_GetDisplayUsableBounds(0, &bounds) != 0 && SDL_GetDisplayBounds(0, &bounds) != 0) {
        return false;
    }
    *area = {bounds.x, bounds.y, bounds.w, bounds.h};
    return bounds.w > 0 && bounds.h > 0;
}

// Gives the window the size and place of `wanted` where they differ from
// `current`'s.
void MoveToPlace(WindowPlacement* current, const WindowPlacement& wanted) {
    SDL_Window* window = g_display.window;
    if (wanted.scale != current->scale) {
        SDL_SetWindowSize(window, kDeviceWidth * wanted.scale, kDeviceHeight * wanted.scale);
    }
    if (wanted.x != current->x || wanted.y != current->y) {
        SDL_SetWindowPosition(window, wanted.x, wanted.y);
    }
    *current = wanted;
}

}  // namespace

bool OpenDisplay(int scale, std::string* error) {
    Display& d = g_display;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Closing the window is the program's decision (it saves its settings
    // first), so SDL must not turn it into a quit by itself, and Alt+F4 must
    // reach the program's accelerators as keys.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_WINDOWS_NO_CLOSE_ON_ALT_F4, "1");
    // A small windowed game should not switch the desktop's compositing off,
    // which SDL asks for by default.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // A driver the user names in SDL_VIDEODRIVER is taken as asked; otherwise
    // only a real desktop counts as a display.
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    std::string tried;
    if (chosen == nullptr || *chosen == '\0') {
        const char* drivers = DesktopVideoDrivers(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
        if (drivers == nullptr) {
            *error = "neither DISPLAY nor WAYLAND_DISPLAY is set";
            return false;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers);
        tried = DesktopDisplayNames(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
    } else {
        tried = std::string("the video driver ") + chosen + " (SDL_VIDEODRIVER)";
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        // SDL's own reason ("No available video device") does not say which
        // display it tried, which is what a user needs to put it right.
        *error = "cannot reach " + tried + ": " + SDL_GetError();
        return false;
    }
    d.wakeEventType = SDL_RegisterEvents(1);
    // The single-instance socket wakes the wait through the watcher thread.
    rt::SetDescriptorWatch([](int fd) { g_watcher.Watch(fd); });
    // The window is sized only once the window manager's frame is known, so
    // that it fits the desktop with its title bar; it is shown after that.
    DesktopArea usable;
    bool haveArea = UsableArea(&usable);
    WindowFrame frame;
    bool frameKnown = false;
    WindowPlacement place = PlaceWindow(scale, usable, frame);
    if (!haveArea) {
        place.scale = scale > 0 ? scale : 2;
        place.x = SDL_WINDOWPOS_CENTERED;
        place.y = SDL_WINDOWPOS_CENTERED;
        place.reduced = false;
    }
    d.window = SDL_CreateWindow(kTitle, place.x, place.y, kDeviceWidth * place.scale,
                                kDeviceHeight * place.scale, SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    if (d.window == nullptr) {
        *error = SDL_GetError();
        SDL_Quit();
        return false;
    }
    // Set before the window is shown: on a shown window SDL moves it to the
    // place it last heard of, which before the window manager's first word
    // is off by the frame.
    SDL_SetWindowMinimumSize(d.window, kDeviceWidth, kDeviceHeight);
    if (haveArea) {
        frameKnown = ExpectedFrame(d.window, &frame);
        if (frameKnown) {
            MoveToPlace(&place, PlaceWindow(scale, usable, frame));
        }
    }
    SDL_ShowWindow(d.window);
    // Without an estimate the frame is known now that the window is shown: a
    // window that does not fit with it is made smaller once.
    WindowFrame shown;
    if (haveArea && !frameKnown && CurrentFrame(d.window, &shown)) {
        MoveToPlace(&place, PlaceWindow(scale, usable, shown));
        frame = shown;
    }
    if (place.reduced) {
        std::fprintf(stderr, "%s\n", ReducedScaleNote(scale, usable, frame, place.scale).c_str());
    }
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(d.window, &width, &height);
    d.layout = desktop::FitPicture(width, height);
    d.input.SetLayout(d.layout);
    ApplyIcon();
    RedrawAll();
    return true;
}

void CloseDisplay() {
    Display& d = g_display;
    g_watcher.Watch(-1);
    rt::SetDescriptorWatch(nullptr);
    SDL_FreeSurface(d.shadow);
    d.shadow = nullptr;
    if (d.window != nullptr) {
        SDL_DestroyWindow(d.window);
        d.window = nullptr;
    }
    d.pending.clear();
    d.titleNoteEndMs = UINT64_MAX;
    d.input = InputTranslator();
    d.wakeEventType = static_cast<Uint32>(-1);
    SDL_Quit();
}

SDL_Window* DisplayWindow() { return g_display.window; }

Layout DisplayLayout() { return g_display.layout; }

}  // namespace sdlhost

namespace host {

using sdlhost::g_display;

void Present(const uint32_t* pixels, int left, int top, int right, int bottom) {
    sdlhost::Display& d = g_display;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, desktop::kDeviceWidth);
    bottom = std::min(bottom, desktop::kDeviceHeight);
    if (left >= right || top >= bottom) {
        return;
    }
    for (int y = top; y < bottom; ++y) {
        const uint32_t* from = pixels + static_cast<size_t>(y) * desktop::kDeviceWidth + left;
        std::memcpy(d.screen + static_cast<size_t>(y) * desktop::kDeviceWidth + left, from,
                    static_cast<size_t>(right - left) * sizeof(uint32_t));
    }
    if (d.window == nullptr) {
        return;
    }
    sdlhost::Target target;
    if (!sdlhost::AcquireTarget(&target)) {
        return;
    }
    if (target.resized) {
        sdlhost::RedrawAll();
    } else {
        desktop::PixelRect written =
            desktop::ScaleNearest(d.screen, desktop::kDeviceWidth, desktop::kDeviceHeight, {left, top, right, bottom},
                                  d.layout.scale, target.pixels, d.layout.left, d.layout.top, target.setBits);
        sdlhost::ShowRect(target, written);
    }
    sdlhost::LogFirstFrame();
}

bool WaitEvent(uint64_t deadlineMs, Event* event) {
    sdlhost::Display& d = g_display;
    sdlhost::g_watcher.Rearm();
    for (;;) {
        sdlhost::RestoreTitleWhenDue();
        if (!d.pending.empty()) {
            *event = std::move(d.pending.front());
            d.pending.pop_front();
            return true;
        }
        // A note in the title bar also wakes the wait, to take it away.
        const uint64_t until = std::min(deadlineMs, d.titleNoteEndMs);
        SDL_Event sdlEvent;
        int got;
        if (until == UINT64_MAX) {
            got = SDL_WaitEvent(&sdlEvent);
        } else {
            uint64_t now = rt::NowMs();
            if (now >= until) {
                got = SDL_PollEvent(&sdlEvent);
            } else {
                // SDL blocks in poll() on the display connection here; a
                // timer deadline is the only reason to wake without input.
                uint64_t wait = std::min<uint64_t>(until - now, INT_MAX);
                got = SDL_WaitEventTimeout(&sdlEvent, static_cast<int>(wait));
            }
        }
        if (got == 0) {
            if (deadlineMs != UINT64_MAX && rt::NowMs() >= deadlineMs) {
                return false;
            }
            if (until == UINT64_MAX) {
                // SDL_WaitEvent only fails when SDL is not running; waiting
                // on would never end.
                return false;
            }
            continue;
        }
        sdlhost::Handle(sdlEvent);
    }
}

void RaiseWindow() {
    SDL_Window* window = g_display.window;
    if (window == nullptr) {
        return;
    }
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0) {
        SDL_RestoreWindow(window);
    }
    SDL_RaiseWindow(window);
}

void SetIcon(const uint32_t* pixels, const uint8_t* mask, int width, int height) {
    sdlhost::Display& d = g_display;
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    d.iconPixels.assign(count, 0);
    for (size_t i = 0; i < count; ++i) {
        bool opaque = mask == nullptr || mask[i] != 0;
        d.iconPixels[i] = opaque ? ((pixels[i] & 0x00FFFFFFu) | 0xFF000000u) : 0;
    }
    d.iconWidth = width;
    d.iconHeight = height;
    sdlhost::ApplyIcon();
}

}  // namespace host

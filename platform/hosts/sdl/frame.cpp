#include "frame.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstring>

namespace sdlhost {

namespace {

#if defined(SDL_VIDEO_DRIVER_X11) && defined(TAVILO_HAVE_X11)

// A window property of 32-bit items: true when it is there, of the type
// and with at least `least` items, which are copied to `items` (up to max).
bool ReadProperty(::Display* display, ::Window window, Atom property, Atom type, unsigned long least,
                  unsigned long max, long* items, unsigned long* count) {
    Atom actualType = None;
    int format = 0;
    unsigned long got = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    bool present = XGetWindowProperty(display, window, property, 0, static_cast<long>(max), False, type, &actualType,
                                      &format, &got, &after, &data) == Success &&
                   actualType == type && format == 32 && got >= least;
    if (present && items != nullptr) {
        std::memcpy(items, data, got * sizeof(long));
    }
    if (count != nullptr) {
        *count = present ? got : 0;
    }
    if (data != nullptr) {
        XFree(data);
    }
    return present;
}

// Whether the window manager lists the request among what it supports; one
// that does not would only be waited for in vain.
bool Supports(::Display* display, Atom wanted) {
    Atom supported = XInternAtom(display, "_NET_SUPPORTED", True);
    if (supported == None) {
        return false;
    }
    constexpr unsigned long kMax = 1024;
    long atoms[kMax];
    unsigned long count = 0;
    if (!ReadProperty(display, DefaultRootWindow(display), supported, XA_ATOM, 1, kMax, atoms, &count)) {
        return false;
    }
    for (unsigned long i = 0; i < count; ++i) {
        if (static_cast<Atom>(atoms[i]) == wanted) {
            return true;
        }
    }
    return false;
}

// Asks the window manager to put its estimate of the frame on the unmapped
// window and waits for it; SDL reads the property when the change reaches
// its event queue.
bool RequestX11Extents(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    ::Display* display = info.info.x11.display;
    ::Window xwindow = info.info.x11.window;
    Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", True);
    Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    if (request == None || !Supports(display, request)) {
        return false;
    }
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = xwindow;
    event.xclient.message_type = request;
    event.xclient.format = 32;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
    // A window manager answers within a few milliseconds; a busy one is given
    // a quarter of a second before the frame is taken from the shown window.
    for (int i = 0; i < 50; ++i) {
        XSync(display, False);
        if (ReadProperty(display, xwindow, extents, XA_CARDINAL, 4, 4, nullptr, nullptr)) {
            SDL_PumpEvents();
            return true;
        }
        SDL_Delay(5);
    }
    return false;
}

#endif

}  // namespace

bool CurrentFrame(SDL_Window* window, desktop::WindowFrame* frame) {
    desktop::WindowFrame got;
    if (SDL_GetWindowBordersSize(window, &got.top, &got.left, &got.bottom, &got.right) != 0) {
        return false;
    }
    *frame = got;
    return true;
}

bool ExpectedFrame(SDL_Window* window, desktop::WindowFrame* frame) {
#if defined(SDL_VIDEO_DRIVER_X11) && defined(TAVILO_HAVE_X11)
    if (RequestX11Extents(window)) {
        return CurrentFrame(window, frame);
    }
#else
    (void)window;
    (void)frame;
#endif
    return false;
}

}  // namespace sdlhost

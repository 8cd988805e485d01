// Visibility and painting: what of each window shows on the one screen
// surface, update regions, WM_PAINT, window DCs.
//
// Window DCs live as long as the program keeps them, so their clips follow
// the window stack: every change that can alter visibility ends in
// CommitVisibilityChange, which resets the clip of every live DC. A tick
// that holds a DC while a dialog opens therefore never draws over the dialog.
// Their origins do not follow a window that moves while a DC is out; the
// program takes a DC for one handler and gives it back.
#include <algorithm>

#include "gdi/screen.h"
#include "user_internal.h"

namespace user {
namespace {

struct DcRecord {
    HDC hdc = nullptr;
    HWND hwnd = nullptr;        // null: the whole screen
    bool paint = false;         // from BeginPaint: clipped to the painted region too
    gdi::Region paintRegion;    // screen pixels
};

std::vector<DcRecord>& Dcs() {
    static std::vector<DcRecord> dcs;
    return dcs;
}

const RECT kScreen{0, 0, gdi::kScreenWidth, gdi::kScreenHeight};

// What shows where no window is.
constexpr int kDesktopBrush = BLACK_BRUSH;

gdi::Region DcClip(const DcRecord& dc) {
    if (dc.hwnd == nullptr) {
        return gdi::Region(kScreen);
    }
    Window* w = FromHandle(dc.hwnd);
    if (w == nullptr || w->destroying) {
        return gdi::Region();
    }
    gdi::Region clip = VisibleClientRegion(w);
    if (dc.paint) {
        clip.Intersect(dc.paintRegion);
    }
    return clip;
}

void RefreshDcClips() {
    for (const DcRecord& dc : Dcs()) {
        gdi::SetScreenDCClip(dc.hdc, DcClip(dc));
    }
}

POINT ClientOrigin(const Window* w) {
    RECT c = ScreenClientRect(w);
    return POINT{c.left, c.top};
}

gdi::Region Lookup(const std::vector<std::pair<HWND, gdi::Region>>& list, HWND hwnd, bool* found) {
    for (const auto& entry : list) {
        if (entry.first == hwnd) {
            *found = true;
            return entry.second;
        }
    }
    *found = false;
    return gdi::Region();
}

bool InMovedSet(const Window* w, const std::vector<HWND>& moved) {
    for (; w != nullptr; w = w->parent) {
        if (std::find(moved.begin(), moved.end(), w->handle) != moved.end()) {
            return true;
        }
    }
    return false;
}

// Adds a region of screen pixels to a window's update region, kept in client
// coordinates.
void AddUpdate(Window* w, gdi::Region screenRegion, bool erase) {
    if (screenRegion.IsEmpty()) {
        return;
    }
    POINT origin = ClientOrigin(w);
    screenRegion.Offset(-origin.x, -origin.y);
    w->update.Union(screenRegion);
    if (erase) {
        w->erase = true;
    }
}

gdi::Region FrameRegion(const Window* w) {
    gdi::Region frame = VisibleWindowRegion(w);
    frame.Subtract(gdi::Region(ScreenClientRect(w)));
    return frame;
}

bool NeedsPaint(const Window* w) {
    return IsShown(w) && !w->destroying && (!w->update.IsEmpty() || w->frameDirty);
}

Window* FindInTree(Window* w, Window* filter) {
    if (NeedsPaint(w) && (filter == nullptr || w == filter || [&] {
            for (Window* p = w->parent; p != nullptr; p = p->parent)
                if (p == filter) return true;
            return false;
        }())) {
        return w;
    }
    for (Window* c : w->children) {
        if (Window* found = FindInTree(c, filter)) {
            return found;
        }
    }
    return nullptr;
}

void PaintFrame(Window* w) {
    w->frameDirty = false;
    if (w->frame.paint == nullptr) {
        return;
    }
    RECT wr = ScreenWindowRect(w);
    HDC hdc = gdi::CreateScreenDC(POINT{wr.left, wr.top}, FrameRegion(w));
    if (hdc != nullptr) {
        w->frame.paint(w->handle, hdc);
        gdi::ReleaseScreenDC(hdc);
    }
}

HDC TrackDc(HWND hwnd, POINT origin, bool paint, const gdi::Region& paintRegion) {
    DcRecord record;
    record.hwnd = hwnd;
    record.paint = paint;
    record.paintRegion = paintRegion;
    record.hdc = gdi::CreateScreenDC(origin, DcClip(record));
    if (record.hdc != nullptr) {
        Dcs().push_back(record);
    }
    return record.hdc;
}

bool ReleaseTracked(HDC hdc, bool paint) {
    auto& dcs = Dcs();
    for (auto it = dcs.begin(); it != dcs.end(); ++it) {
        if (it->hdc == hdc && it->paint == paint) {
            gdi::ReleaseScreenDC(hdc);
            dcs.erase(it);
            return true;
        }
    }
    return false;
}

}  // namespace

RECT ScreenWindowRect(const Window* w) {
    RECT r = w->rect;
    if (w->parent != nullptr) {
        RECT pc = ScreenClientRect(w->parent);
        r.left += pc.left;
        r.right += pc.left;
        r.top += pc.top;
        r.bottom += pc.top;
    }
    return r;
}

RECT ScreenClientRect(const Window* w) {
    RECT r = ScreenWindowRect(w);
    const RECT& in = w->frame.insets;
    RECT c{r.left + in.left, r.top + in.top, r.right - in.right, r.bottom - in.bottom};
    if (c.right < c.left) c.right = c.left;
    if (c.bottom < c.top) c.bottom = c.top;
    return c;
}

namespace {

// Bumped by every change that may alter what shows of any window; a window's
// cached regions are good while they carry the current value. One counter
// for all windows is enough: changes to the window stack are rare, and one
// change can uncover or cover any number of windows.
uint64_t g_visibilityEpoch = 1;

gdi::Region ComputeVisibleWindowRegion(const Window* w) {
    if (!IsShown(w)) {
        return gdi::Region();
    }
    gdi::Region r(ScreenWindowRect(w));
    if (w->parent != nullptr) {
        gdi::Region parentClient = VisibleWindowRegion(w->parent);
        parentClient.Intersect(gdi::Region(ScreenClientRect(w->parent)));
        r.Intersect(parentClient);
        for (const Window* s : w->parent->children) {
            if (s == w) break;
            if (s->style & WS_VISIBLE) r.Subtract(gdi::Region(ScreenWindowRect(s)));
        }
    } else {
        r.Intersect(gdi::Region(kScreen));
        for (const Window* t : TopLevels()) {
            if (t == w) break;
            if (IsShown(t)) r.Subtract(gdi::Region(ScreenWindowRect(t)));
        }
    }
    return r;
}

// Children are always clipped away, as on Windows CE, where every window
// behaves as if it had WS_CLIPCHILDREN and WS_CLIPSIBLINGS.
gdi::Region ComputeVisibleClientRegion(const Window* w, const gdi::Region& window) {
    gdi::Region r = window;
    if (r.IsEmpty()) {
        return r;
    }
    r.Intersect(gdi::Region(ScreenClientRect(w)));
    for (const Window* c : w->children) {
        if (c->style & WS_VISIBLE) r.Subtract(gdi::Region(ScreenWindowRect(c)));
    }
    return r;
}

void Refresh(const Window* w) {
    if (w->visibleEpoch == g_visibilityEpoch) {
        return;
    }
    w->visibleWindow = ComputeVisibleWindowRegion(w);
    w->visibleClient = ComputeVisibleClientRegion(w, w->visibleWindow);
    w->visibleEpoch = g_visibilityEpoch;
}

}  // namespace

void VisibilityChanged() { ++g_visibilityEpoch; }

const gdi::Region& VisibleWindowRegion(const Window* w) {
    Refresh(w);
    return w->visibleWindow;
}

const gdi::Region& VisibleClientRegion(const Window* w) {
    Refresh(w);
    return w->visibleClient;
}

VisibilitySnapshot TakeVisibilitySnapshot() {
    // Computed afresh rather than trusted: this is the state before a change,
    // and nothing should depend on every earlier change having been noted.
    VisibilityChanged();
    VisibilitySnapshot snap;
    std::vector<Window*> all;
    CollectWindows(&all);
    snap.desktop = gdi::Region(kScreen);
    for (Window* w : all) {
        snap.client.emplace_back(w->handle, VisibleClientRegion(w));
        snap.window.emplace_back(w->handle, VisibleWindowRegion(w));
        if (w->parent == nullptr && IsShown(w)) {
            snap.desktop.Subtract(gdi::Region(ScreenWindowRect(w)));
        }
    }
    return snap;
}

// A window that a change uncovers gets exactly the uncovered part added to
// its update region, and is erased there before it paints, as in Win32.
void CommitVisibilityChange(const VisibilitySnapshot& before, const std::vector<HWND>& moved, bool repaint) {
    VisibilityChanged();
    if (repaint) {
        std::vector<Window*> all;
        CollectWindows(&all);
        gdi::Region desktop(kScreen);
        for (Window* w : all) {
            if (w->parent == nullptr && IsShown(w)) {
                desktop.Subtract(gdi::Region(ScreenWindowRect(w)));
            }
            if (w->destroying) {
                continue;
            }
            bool whole = InMovedSet(w, moved);
            bool found = false;
            gdi::Region client = VisibleClientRegion(w);
            gdi::Region oldClient = Lookup(before.client, w->handle, &found);
            if (!whole && found) {
                client.Subtract(oldClient);
            }
            AddUpdate(w, client, true);
            gdi::Region frame = FrameRegion(w);
            gdi::Region oldWindow = Lookup(before.window, w->handle, &found);
            if (!whole && found) {
                frame.Subtract(oldWindow);
            }
            if (!frame.IsEmpty()) {
                w->frameDirty = true;
            }
        }
        desktop.Subtract(before.desktop);
        if (!desktop.IsEmpty()) {
            HDC hdc = gdi::CreateScreenDC(POINT{0, 0}, desktop);
            if (hdc != nullptr) {
                FillRect(hdc, &kScreen, static_cast<HBRUSH>(GetStockObject(kDesktopBrush)));
                gdi::ReleaseScreenDC(hdc);
            }
        }
    }
    RefreshDcClips();
}

void InvalidateWhole(Window* w) { AddUpdate(w, VisibleClientRegion(w), true); }

HWND FindWindowToPaint(HWND filter) {
    Window* f = nullptr;
    if (filter != nullptr) {
        f = FromHandle(filter);
        if (f == nullptr) {
            return nullptr;
        }
    }
    for (Window* t : TopLevels()) {
        if (Window* found = FindInTree(t, f)) {
            return found->handle;
        }
    }
    return nullptr;
}

void DropWindowDCs(Window* w) {
    // A DC that outlives its window draws nowhere until it is released.
    for (const DcRecord& dc : Dcs()) {
        if (dc.hwnd == w->handle) {
            gdi::SetScreenDCClip(dc.hdc, gdi::Region());
        }
    }
}

void ResetPaint() {
    for (const DcRecord& dc : Dcs()) {
        gdi::ReleaseScreenDC(dc.hdc);
    }
    Dcs().clear();
}

}  // namespace user

using user::FromHandle;
using user::Window;

HDC GetDC(HWND hwnd) {
    if (hwnd == nullptr) {
        return user::TrackDc(nullptr, POINT{0, 0}, false, gdi::Region());
    }
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return nullptr;
    }
    return user::TrackDc(hwnd, user::ClientOrigin(w), false, gdi::Region());
}

int ReleaseDC(HWND, HDC hdc) { return user::ReleaseTracked(hdc, false) ? 1 : 0; }

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr || ps == nullptr) {
        return nullptr;
    }
    *ps = PAINTSTRUCT{};
    if (w->frameDirty) {
        user::PaintFrame(w);
    }
    POINT origin = user::ClientOrigin(w);
    gdi::Region region = w->update;
    region.Offset(origin.x, origin.y);
    region.Intersect(user::VisibleClientRegion(w));
    bool erase = w->erase;
    // Validated here: whatever is invalidated while the program paints
    // comes back as another WM_PAINT.
    w->update = gdi::Region();
    w->erase = false;
    HDC hdc = user::TrackDc(hwnd, origin, true, region);
    if (hdc == nullptr) {
        return nullptr;
    }
    ps->hdc = hdc;
    RECT bounds = region.Bounds();
    if (!region.IsEmpty()) {
        ps->rcPaint = RECT{bounds.left - origin.x, bounds.top - origin.y, bounds.right - origin.x,
                           bounds.bottom - origin.y};
    }
    ps->fErase = FALSE;
    if (erase && !region.IsEmpty()) {
        ps->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
    }
    return hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (ps == nullptr) {
        return FALSE;
    }
    return user::ReleaseTracked(ps->hdc, true) ? TRUE : FALSE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (hwnd == nullptr) {
        // Every window, as Win32 does for a null window.
        std::vector<Window*> all;
        user::CollectWindows(&all);
        for (Window* w : all) {
            InvalidateRect(w->handle, nullptr, erase);
        }
        return TRUE;
    }
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    gdi::Region area(client);
    if (rect != nullptr) {
        area.Intersect(gdi::Region(*rect));
    }
    // Only what shows can be invalid: the update region is clipped to the
    // visible part of the client area, as in Win32.
    POINT origin = user::ClientOrigin(w);
    area.Offset(origin.x, origin.y);
    area.Intersect(user::VisibleClientRegion(w));
    user::AddUpdate(w, area, erase != FALSE);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    if (rect == nullptr) {
        w->update = gdi::Region();
        w->erase = false;
    } else {
        w->update.Subtract(gdi::Region(*rect));
        if (w->update.IsEmpty()) w->erase = false;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    if (rect != nullptr) {
        *rect = w->update.Bounds();
    }
    if (w->update.IsEmpty()) {
        return FALSE;
    }
    if (erase && w->erase) {
        w->erase = false;
        POINT origin = user::ClientOrigin(w);
        gdi::Region region = w->update;
        region.Offset(origin.x, origin.y);
        HDC hdc = user::TrackDc(hwnd, origin, true, region);
        if (hdc != nullptr) {
            SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
            user::ReleaseTracked(hdc, true);
        }
    }
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr) {
        return FALSE;
    }
    // Paints the window and then its children, each that needs it, at once.
    while (HWND next = user::FindWindowToPaint(hwnd)) {
        Window* n = FromHandle(next);
        bool hadUpdate = !n->update.IsEmpty() || n->frameDirty;
        SendMessageW(next, WM_PAINT, 0, 0);
        n = FromHandle(next);
        if (n != nullptr && hadUpdate && user::NeedsPaint(n)) {
            break;  // the window left itself invalid; it is painted again from the queue
        }
    }
    return TRUE;
}

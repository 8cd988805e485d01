// The browser host: the program runs inside a web page. The page (page/) owns
// the canvas, the input listeners and the tab's lifetime; this file is the
// program's side of that bargain. It hands finished frames to the page,
// and its wait gives control back to the browser, through Asyncify, until
// the page has input for it or the next timer falls due, so that the
// program's blocking message loops stay exactly as on the desktop.
#include <emscripten.h>

#include <cstdint>
#include <ctime>
#include <string>

#include "gdi/font_data.h"
#include "runtime/language.h"
#include "runtime/runtime_control.h"
#include "user/host.h"
#include "user/program.h"
#include "user/module.h"
#include "user/share.h"
#include "windows.h"

// The page side of each call lives in page/page.js (Module.host).

// Puts the changed rectangle of an RGBA copy of the screen (bytes R, G, B,
// A, as a canvas wants them) on the canvas.
EM_JS(void, JsPresent, (const uint8_t* rgba, int left, int top, int right, int bottom), {
    Module.host.present(HEAPU8, rgba, left, top, right, bottom);
});

// Returns to the browser for at most timeoutMs (negative: without limit);
// resumes early when the page queues an event.
EM_JS(void, JsSleep, (double timeoutMs), {
    Asyncify.handleSleep(function(wakeUp) { Module.host.sleep(timeoutMs, wakeUp); });
});

// Copies the oldest queued page event into fields (kind, x, y, vk, ch, alt);
// returns 0 when the queue is empty.
EM_JS(int, JsTakeEvent, (int32_t* fields), { return Module.host.takeEvent(HEAP32, fields); });

EM_JS(void, JsSetIcon, (const uint32_t* pixels, const uint8_t* mask, int width, int height), {
    Module.host.setIcon(HEAPU32, HEAPU8, pixels, mask, width, height);
});

EM_JS(void, JsProgramEnded, (int code), { Module.host.ended(code); });

// Hands the page the program's status (UTF-8, length bytes) for its
// screen-reader layer.
EM_JS(void, JsStatus, (const char* text, int length), { Module.host.status(HEAPU8, text, length); });

namespace {

// A program that keeps finding work already due (a timer of 0 ms, a burst
// of input) would never reach a real wait; it still gives the browser a
// turn at least this often so that the page keeps painting and listening.
// Start-up is exempt: the first frame should not wait for a browser turn.
constexpr uint64_t kMaxBusyMs = 50;

uint64_t g_lastYieldMs = 0;
bool g_presented = false;

// Hands the page the program's status when it changed since the last time:
// what the screen shows and what happened, for the page's screen-reader
// layer. Asked only as the program is about to sleep, when it has handled
// its input and painted what it means to, so the state is whole (a game
// ends without a frame of its own once the last runner's arrival is drawn).
void TellStatus() {
    static std::string told;
    if (told.capacity() < 1024) {
        told.reserve(1024);  // as long as the status's own text: no allocation while a game runs
    }
    const std::string& status = DescribeStatus();
    if (status != told) {
        told = status;
        JsStatus(status.data(), static_cast<int>(status.size()));
    }
}

// The screen as the canvas takes it. Converting here keeps the page free of
// a per-pixel loop, which a browser runs slowly until it has warmed up.
uint32_t g_rgba[host::kScreenWidth * host::kScreenHeight];

// The page's event codes, in the order of page/page.js's EVENT table.
constexpr host::EventKind kPageEvents[] = {
    host::EventKind::PenDown, host::EventKind::PenMove, host::EventKind::PenUp,
    host::EventKind::KeyDown, host::EventKind::KeyUp,   host::EventKind::Close,
};

bool TakeEvent(host::Event* event) {
    int32_t fields[6] = {};
    if (JsTakeEvent(fields) == 0) {
        return false;
    }
    constexpr int kKinds = static_cast<int>(sizeof kPageEvents / sizeof kPageEvents[0]);
    if (fields[0] < 0 || fields[0] >= kKinds) {
        return false;
    }
    *event = host::Event{};
    event->kind = kPageEvents[fields[0]];
    event->x = fields[1];
    event->y = fields[2];
    event->vk = static_cast<unsigned>(fields[3]);
    event->ch = static_cast<char16_t>(fields[4]);
    event->alt = fields[5] != 0;
    return true;
}

}  // namespace

namespace host {

void Present(const uint32_t* pixels, int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y) {
        const uint32_t* from = pixels + y * kScreenWidth;
        uint32_t* to = g_rgba + y * kScreenWidth;
        for (int x = left; x < right; ++x) {
            // 0x00RRGGBB to the bytes R, G, B, 255 (WebAssembly is little-endian).
            uint32_t pixel = from[x];
            to[x] = 0xff000000u | ((pixel & 0xffu) << 16) | (pixel & 0xff00u) | ((pixel >> 16) & 0xffu);
        }
    }
    JsPresent(reinterpret_cast<const uint8_t*>(g_rgba), left, top, right, bottom);
    g_presented = true;
}

bool WaitEvent(uint64_t deadlineMs, Event* event) {
    for (;;) {
        if (TakeEvent(event)) {
            return true;
        }
        uint64_t now = rt::NowMs();
        if (now >= deadlineMs) {
            if (!g_presented || now - g_lastYieldMs < kMaxBusyMs) {
                return false;
            }
            TellStatus();
            JsSleep(0);
            g_lastYieldMs = rt::NowMs();
            if (TakeEvent(event)) {
                return true;
            }
            return false;
        }
        double timeout = deadlineMs == UINT64_MAX ? -1.0 : static_cast<double>(deadlineMs - now);
        TellStatus();
        JsSleep(timeout);
        g_lastYieldMs = rt::NowMs();
        if (TakeEvent(event)) {
            return true;
        }
        if (rt::NowMs() >= deadlineMs) {
            return false;
        }
    }
}

// The tab that runs the program is the one the player looks at. Another
// tab's request to take over never reaches the program: the page closes it
// as Exit does.
void RaiseWindow() {}

void SetIcon(const uint32_t* pixels, const uint8_t* mask, int width, int height) {
    JsSetIcon(pixels, mask, width, height);
}

}  // namespace host

// Hands the page what its Share button, Ctrl+S and Ctrl+C pass on besides
// the picture, which the page takes from its canvas: the draw as a line of
// text and the picture's file name, both UTF-8. The page copies them at once.
EM_JS(void, JsShared, (const char* text, int textSize, const char* name, int nameSize), {
    const utf8 = new TextDecoder();
    Module.host.shared(utf8.decode(HEAPU8.subarray(text, text + textSize)),
                       utf8.decode(HEAPU8.subarray(name, name + nameSize)));
});

// Fetches the page's file of Japanese, Korean and Chinese glyphs into
// buffer, returning to the browser meanwhile; its length, or -1 when it
// cannot be had (offline before it was ever kept) or does not fit.
EM_JS(int, JsFetchGlyphs, (uint8_t* buffer, int capacity), {
    return Asyncify.handleAsync(async function() {
        try {
            // The offline worker's copy first, so that an offline page
            // that never kept the file asks no network for it.
            const url = Module.host.glyphs;
            let response = self.caches ? await caches.match(url).catch(() => undefined) : undefined;
            if (!response) {
                if (navigator.onLine === false) return -1;
                response = await fetch(url);
            }
            if (!response.ok) return -1;
            const bytes = new Uint8Array(await response.arrayBuffer());
            if (bytes.length > capacity) return -1;
            HEAPU8.set(bytes, buffer);
            return bytes.length;
        } catch (error) {
            return -1;
        }
    });
});

namespace {

// The languages whose letters only the supplement draws get it before the
// program starts; without it they read English rather than boxes. Every
// other language downloads none of it.
void LoadGlyphsForLanguage() {
    const WORD language = user::ResourceLanguage();
    if (language != rt::kLanguageJapanese && language != rt::kLanguageKorean &&
        language != rt::kLanguageChineseSimplified && language != rt::kLanguageChineseTraditional) {
        return;
    }
    static uint8_t glyphs[16384];
    const int size = JsFetchGlyphs(glyphs, static_cast<int>(sizeof glyphs));
    if (size <= 0 || !gdi::InstallSupplement(glyphs, static_cast<size_t>(size))) {
        user::SetResourceLanguage(rt::kLanguageEnglish);
    }
}

}  // namespace

// Called by the page between two turns of the program, while it waits.
extern "C" EMSCRIPTEN_KEEPALIVE void TaviloShare() {
    const std::string text = DescribeResult();
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    const std::string name = local != nullptr ? share::PictureFileName(*local) : std::string("Tavilo.png");
    JsShared(text.data(), static_cast<int>(text.size()), name.data(), static_cast<int>(name.size()));
}

int main() {
    rt::UseRealClock();
    LoadGlyphsForLanguage();
    g_lastYieldMs = rt::NowMs();
    static WCHAR commandLine[] = {0};
    int code = WinMain(reinterpret_cast<HINSTANCE>(1), nullptr, commandLine, SW_SHOW);
    JsProgramEnded(code);
    return code;
}

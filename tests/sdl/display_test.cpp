// The host on a real X server: what the window shows after Present, the
// letterbox after a resize, the icon, and the event wait. Runs on a private
// Xvfb and is skipped where Xvfb is not installed.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "display.h"
#include "host.h"
#include "runtime/runtime_control.h"

// SDL's video start-up connects to the session bus, and libdbus keeps a
// buffer from that for the life of the process; it is not the host's to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace sdlhost {
namespace {

using namespace std::chrono_literals;

pid_t g_xvfb = -1;
::Display* g_x = nullptr;  // our own connection, for reading back the window
bool g_open = false;
std::string g_skipReason;

// Starts Xvfb on a display number of its own choosing (-displayfd), so runs
// side by side never meet.
bool StartXvfb(std::string* display) {
    int fds[2];
    if (pipe(fds) != 0) {
        return false;
    }
    pid_t pid = fork();
    if (pid == 0) {
        // Xvfb goes when the test process goes, however it ends, and keeps
        // quiet on the test's output.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        close(fds[0]);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return false;
    }
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        waitpid(pid, nullptr, 0);
        return false;
    }
    g_xvfb = pid;
    *display = ":" + number;
    return true;
}

// Xlib's default handler ends the process on any error; a failed request
// should fail the test that made it instead.
int g_xErrors = 0;
int RecordXError(::Display*, XErrorEvent*) {
    ++g_xErrors;
    return 0;
}

class DisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string display;
        if (!StartXvfb(&display)) {
            g_skipReason = "Xvfb is not available";
            return;
        }
        setenv("DISPLAY", display.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        rt::UseRealClock();
        std::string error;
        g_open = OpenDisplay(2, &error);
        if (!g_open) {
            g_skipReason = "no window on Xvfb: " + error;
            return;
        }
        g_x = XOpenDisplay(display.c_str());
        XSetErrorHandler(RecordXError);
    }

    static void TearDownTestSuite() {
        if (g_x != nullptr) {
            XCloseDisplay(g_x);
            g_x = nullptr;
        }
        if (g_open) {
            CloseDisplay();
            g_open = false;
        }
        if (g_xvfb > 0) {
            kill(g_xvfb, SIGTERM);
            waitpid(g_xvfb, nullptr, 0);
            g_xvfb = -1;
        }
    }

    void SetUp() override {
        if (!g_open || g_x == nullptr) {
            GTEST_SKIP() << g_skipReason;
        }
    }

    static Window XWindow() {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        EXPECT_TRUE(SDL_GetWindowWMInfo(DisplayWindow(), &info));
        return info.info.x11.window;
    }

    // The window's pixels as 0x00RRGGBB, row after row.
    static std::vector<uint32_t> ReadWindow(int* width, int* height) {
        XWindowAttributes attributes;
        XGetWindowAttributes(g_x, XWindow(), &attributes);
        *width = attributes.width;
        *height = attributes.height;
        XImage* image = XGetImage(g_x, XWindow(), 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
        std::vector<uint32_t> pixels;
        if (image == nullptr) {
            ADD_FAILURE() << "XGetImage failed";
            return pixels;
        }
        pixels.resize(static_cast<size_t>(attributes.width) * attributes.height);
        for (int y = 0; y < attributes.height; ++y) {
            for (int x = 0; x < attributes.width; ++x) {
                pixels[static_cast<size_t>(y) * attributes.width + x] =
                    static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
            }
        }
        XDestroyImage(image);
        return pixels;
    }

    // Runs the host's wait until nothing comes for a while, collecting what
    // does, so that window-system events have been handled.
    static std::vector<host::Event> Settle(std::chrono::milliseconds quiet = 100ms) {
        std::vector<host::Event> events;
        host::Event event;
        while (host::WaitEvent(rt::NowMs() + static_cast<uint64_t>(quiet.count()), &event)) {
            events.push_back(event);
        }
        return events;
    }

    static void Pattern(std::vector<uint32_t>* screen, uint32_t salt) {
        screen->resize(host::kScreenWidth * host::kScreenHeight);
        for (int y = 0; y < host::kScreenHeight; ++y) {
            for (int x = 0; x < host::kScreenWidth; ++x) {
                (*screen)[y * host::kScreenWidth + x] = ((static_cast<uint32_t>(x) * 7) << 16) ^
                                                        ((static_cast<uint32_t>(y) * 5) << 8) ^ salt ^
                                                        static_cast<uint32_t>(x + y);
            }
        }
        for (uint32_t& p : *screen) {
            p &= 0xFFFFFFu;
        }
    }
};

TEST_F(DisplayTest, TheWindowShowsEveryDevicePixelAsATwoByTwoSquare) {
    std::vector<uint32_t> screen;
    Pattern(&screen, 0x123456);
    host::Present(screen.data(), 0, 0, host::kScreenWidth, host::kScreenHeight);
    Settle();
    int width = 0;
    int height = 0;
    std::vector<uint32_t> shown = ReadWindow(&width, &height);
    ASSERT_EQ(width, 480);
    ASSERT_EQ(height, 640);
    ASSERT_EQ(shown.size(), 480u * 640u);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(shown[y * width + x], screen[(y / 2) * host::kScreenWidth + x / 2]) << x << "," << y;
        }
    }
    EXPECT_STREQ(SDL_GetWindowTitle(DisplayWindow()), "Tavilo");
}

TEST_F(DisplayTest, PresentShowsTheDirtyPartAndNothingElse) {
    std::vector<uint32_t> before;
    Pattern(&before, 0);
    host::Present(before.data(), 0, 0, host::kScreenWidth, host::kScreenHeight);
    std::vector<uint32_t> after = before;
    for (uint32_t& p : after) {
        p = 0xFFFFFF - p;
    }
    // Only the rectangle (10, 20)-(30, 25) is declared changed; the rest of
    // `after` differs too but must not reach the window.
    host::Present(after.data(), 10, 20, 30, 25);
    Settle();
    int width = 0;
    int height = 0;
    std::vector<uint32_t> shown = ReadWindow(&width, &height);
    ASSERT_EQ(shown.size(), 480u * 640u);
    for (int y = 0; y < height; y += 1) {
        for (int x = 0; x < width; x += 1) {
            int dx = x / 2;
            int dy = y / 2;
            bool dirty = dx >= 10 && dx < 30 && dy >= 20 && dy < 25;
            const std::vector<uint32_t>& expected = dirty ? after : before;
            ASSERT_EQ(shown[y * width + x], expected[dy * host::kScreenWidth + dx]) << x << "," << y;
        }
    }
}

TEST_F(DisplayTest, AResizedWindowCentresThePictureBetweenBlackBars) {
    std::vector<uint32_t> screen;
    Pattern(&screen, 0x0F0F0F);
    host::Present(screen.data(), 0, 0, host::kScreenWidth, host::kScreenHeight);
    // The window stays on the 1024 x 768 screen, where X can read it back.
    SDL_SetWindowPosition(DisplayWindow(), 0, 0);
    SDL_SetWindowSize(DisplayWindow(), 700, 700);
    Settle(200ms);
    Layout layout = DisplayLayout();
    EXPECT_EQ(layout.scale, 2);
    EXPECT_EQ(layout.left, 110);
    EXPECT_EQ(layout.top, 30);
    int width = 0;
    int height = 0;
    std::vector<uint32_t> shown = ReadWindow(&width, &height);
    ASSERT_EQ(width, 700);
    ASSERT_EQ(height, 700);
    ASSERT_EQ(shown.size(), 700u * 700u);
    EXPECT_EQ(shown[0], 0u);
    EXPECT_EQ(shown[109], 0u);
    EXPECT_EQ(shown[29 * width + 300], 0u);
    EXPECT_EQ(shown[699 * width + 699], 0u);
    EXPECT_EQ(shown[30 * width + 110], screen[0]);
    EXPECT_EQ(shown[(30 + 639) * width + 110 + 479], screen[host::kScreenWidth * host::kScreenHeight - 1]);

    // A click lands on the device pixel under it, and a click on a bar on
    // nothing.
    SDL_Event click = {};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    click.button.x = 110 + 2 * 100 + 1;
    click.button.y = 30 + 2 * 50;
    SDL_PushEvent(&click);
    click.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&click);
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.x = 50;
    SDL_PushEvent(&click);
    click.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&click);
    std::vector<host::Event> events = Settle();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, host::EventKind::PenDown);
    EXPECT_EQ(events[0].x, 100);
    EXPECT_EQ(events[0].y, 50);
    EXPECT_EQ(events[1].kind, host::EventKind::PenUp);
    EXPECT_EQ(g_xErrors, 0);

    SDL_SetWindowSize(DisplayWindow(), 480, 640);
    Settle(200ms);
    EXPECT_EQ(DisplayLayout().left, 0);
}

TEST_F(DisplayTest, ClosingTheWindowReachesTheProgramAsClose) {
    SDL_Event close = {};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(DisplayWindow());
    SDL_PushEvent(&close);
    std::vector<host::Event> events = Settle();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, host::EventKind::Close);
}

TEST_F(DisplayTest, WaitingForATimerSleepsInsteadOfSpinning) {
    Settle();
    timespec cpuBefore = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuBefore);
    uint64_t start = rt::NowMs();
    host::Event event;
    EXPECT_FALSE(host::WaitEvent(start + 300, &event));
    uint64_t waited = rt::NowMs() - start;
    timespec cpuAfter = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuAfter);
    double cpuMs = (cpuAfter.tv_sec - cpuBefore.tv_sec) * 1000.0 + (cpuAfter.tv_nsec - cpuBefore.tv_nsec) / 1e6;
    EXPECT_GE(waited, 300u);
    EXPECT_LT(waited, 600u);
    EXPECT_LT(cpuMs, 30.0) << "the wait used the processor for " << cpuMs << " ms of " << waited;
}

TEST_F(DisplayTest, AReadableDescriptorWakesTheWait) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    host::WatchDescriptor(fds[0]);
    std::thread writer([&] {
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(write(fds[1], "x", 1), 1);
    });
    uint64_t start = rt::NowMs();
    host::Event event;
    bool woke = host::WaitEvent(start + 3000, &event);
    uint64_t waited = rt::NowMs() - start;
    writer.join();
    EXPECT_TRUE(woke);
    EXPECT_EQ(event.kind, host::EventKind::Wake);
    EXPECT_LT(waited, 1000u);
    host::WatchDescriptor(-1);
    close(fds[0]);
    close(fds[1]);
}

TEST_F(DisplayTest, TheIconIsSetWithItsMaskAsTransparency) {
    const uint32_t pixels[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const uint8_t mask[4] = {1, 0, 1, 1};
    host::SetIcon(pixels, mask, 2, 2);
    Settle(50ms);
    Atom iconAtom = XInternAtom(g_x, "_NET_WM_ICON", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(g_x, XWindow(), iconAtom, 0, 64, False, XA_CARDINAL, &type, &format, &count,
                                 &after, &data),
              Success);
    ASSERT_NE(data, nullptr);
    // Format-32 properties come back as longs.
    const long* values = reinterpret_cast<const long*>(data);
    ASSERT_EQ(count, 6u);
    EXPECT_EQ(values[0], 2);
    EXPECT_EQ(values[1], 2);
    EXPECT_EQ(static_cast<uint32_t>(values[2]), 0xFFFF0000u);
    EXPECT_EQ(static_cast<uint32_t>(values[3]) >> 24, 0u);  // masked out: transparent
    EXPECT_EQ(static_cast<uint32_t>(values[4]), 0xFF0000FFu);
    XFree(data);
}

}  // namespace
}  // namespace sdlhost

// The host on a real X server: what the window shows after Present, and the
// event wait. Runs on a private Xvfb and is skipped where Xvfb is not
// installed.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "display.h"
#include "runtime/descriptor_watch.h"
#include "runtime/runtime_control.h"
#include "user/host.h"

namespace sdlhost {
namespace {

using namespace std::chrono_literals;

FILE* g_xvfb = nullptr;
::Display* g_x = nullptr;  // our own connection, for reading back the window
std::string g_skipReason = "Xvfb is not available";

class DisplayTest : public ::testing::Test {
protected:
    // Xvfb picks a free display number itself (-displayfd), so runs side by
    // side never meet, and ends when its last client goes (-terminate), so
    // it goes with the test process however that ends.
    static void SetUpTestSuite() {
        g_xvfb = popen("Xvfb -displayfd 1 -terminate -nolisten tcp -screen 0 1024x768x24 2>/dev/null", "r");
        int number = -1;
        if (g_xvfb == nullptr || std::fscanf(g_xvfb, "%d", &number) != 1) {
            return;
        }
        std::string display = ":" + std::to_string(number);
        setenv("DISPLAY", display.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        rt::UseRealClock();
        g_x = XOpenDisplay(display.c_str());  // before the host's, so Xvfb has had a client to end with
        if (OpenDisplay(2, &g_skipReason)) {
            // Xlib's own handler would end the process on an error.
            XSetErrorHandler([](::Display*, XErrorEvent*) {
                ADD_FAILURE() << "X error";
                return 0;
            });
        }
    }

    static void TearDownTestSuite() {
        if (g_x != nullptr) {
            XCloseDisplay(g_x);
        }
        if (DisplayWindow() != nullptr) {
            CloseDisplay();
        }
        if (g_xvfb != nullptr) {
            pclose(g_xvfb);
        }
    }

    void SetUp() override {
        if (g_x == nullptr || DisplayWindow() == nullptr) {
            GTEST_SKIP() << g_skipReason;
        }
    }

    // Runs the host's wait until nothing comes for a while, so that
    // window-system events have been handled.
    static void Settle() {
        host::Event event;
        while (host::WaitEvent(rt::NowMs() + 100, &event)) {
        }
    }
};

// The whole picture first, then a present that declares only a small part
// changed: every device pixel is a 2 x 2 square in what X shows, and only the
// declared part of the changed picture may reach the window.
TEST_F(DisplayTest, PresentShowsEveryDevicePixelAsASquareAndOnlyTheDirtyPart) {
    std::vector<uint32_t> before(host::kScreenWidth * host::kScreenHeight);
    for (size_t i = 0; i < before.size(); ++i) {
        before[i] = (static_cast<uint32_t>(i) * 2654435761u) & 0xFFFFFFu;  // neighbours differ
    }
    std::vector<uint32_t> after = before;
    for (uint32_t& p : after) {
        p ^= 0xFFFFFF;
    }
    host::Present(before.data(), 0, 0, host::kScreenWidth, host::kScreenHeight);
    host::Present(after.data(), 10, 20, 30, 25);
    Settle();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(DisplayWindow(), &info));
    XWindowAttributes window;
    XGetWindowAttributes(g_x, info.info.x11.window, &window);
    ASSERT_EQ(window.width, 480);
    ASSERT_EQ(window.height, 640);
    std::unique_ptr<XImage, void (*)(XImage*)> image(
        XGetImage(g_x, info.info.x11.window, 0, 0, 480, 640, AllPlanes, ZPixmap), [](XImage* i) { XDestroyImage(i); });
    ASSERT_NE(image, nullptr);
    for (int y = 0; y < 640; ++y) {
        for (int x = 0; x < 480; ++x) {
            bool dirty = x / 2 >= 10 && x / 2 < 30 && y / 2 >= 20 && y / 2 < 25;
            uint32_t shown = XGetPixel(image.get(), x, y) & 0xFFFFFFu;
            ASSERT_EQ(shown, (dirty ? after : before)[y / 2 * host::kScreenWidth + x / 2]) << x << "," << y;
        }
    }
}

// An idle program waits for its next timer; the wait must sleep in the
// kernel, and a readable descriptor (a second start of the game) must end it
// at once.
TEST_F(DisplayTest, TheWaitSleepsUntilItsDeadlineAndADescriptorWakesIt) {
    Settle();
    std::clock_t cpu = std::clock();  // processor time of the whole process
    uint64_t start = rt::NowMs();
    host::Event event;
    EXPECT_FALSE(host::WaitEvent(start + 300, &event));
    uint64_t waited = rt::NowMs() - start;
    double cpuMs = static_cast<double>(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC;
    EXPECT_GE(waited, 300u);
    EXPECT_LT(waited, 600u);
    EXPECT_LT(cpuMs, 30.0) << "the wait used the processor for " << cpuMs << " ms of " << waited;

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    rt::WatchDescriptor(fds[0]);
    std::thread writer([&] {
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(write(fds[1], "x", 1), 1);
    });
    start = rt::NowMs();
    bool woke = host::WaitEvent(start + 3000, &event);
    waited = rt::NowMs() - start;
    writer.join();
    EXPECT_TRUE(woke);
    EXPECT_EQ(event.kind, host::EventKind::HandOver);
    EXPECT_LT(waited, 1000u);
    rt::WatchDescriptor(-1);
    close(fds[0]);
    close(fds[1]);
}

}  // namespace
}  // namespace sdlhost

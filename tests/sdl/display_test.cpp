// The host on a real X server: what the window shows after Present, and the
// event wait. Runs on a private Xvfb and is skipped where Xvfb is not
// installed.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "display.h"
#include "key_event.h"
#include "private_xvfb.h"
#include "user/program.h"
#include "user/share.h"
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
    static void SetUpTestSuite() {
        std::string display = StartPrivateXvfb(&g_xvfb);
        if (display.empty()) {
            return;
        }
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

// An idle program waits for its next timer: the wait ends without an event,
// never before its deadline, and a readable descriptor (a second start of the
// game) ends it early with a hand-over. How late the wait ends and what
// processor time it takes are measured in bench/sdl_bench.cpp.
TEST_F(DisplayTest, TheWaitEndsAtItsDeadlineAndADescriptorWakesIt) {
    Settle();
    host::Event event;
    uint64_t deadline = rt::NowMs() + 300;
    EXPECT_FALSE(host::WaitEvent(deadline, &event));
    EXPECT_GE(rt::NowMs(), deadline);

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    rt::WatchDescriptor(fds[0]);
    std::thread writer([&] {
        std::this_thread::sleep_for(50ms);  // most likely while the wait is blocked; a write before it counts too
        EXPECT_EQ(write(fds[1], "x", 1), 1);
    });
    // Only a wake that never comes waits this long.
    bool woke = host::WaitEvent(rt::NowMs() + 60000, &event);
    writer.join();
    EXPECT_TRUE(woke);
    EXPECT_EQ(event.kind, host::EventKind::HandOver);
    rt::WatchDescriptor(-1);
    close(fds[0]);
    close(fds[1]);
}

// Ctrl+S saves the picture on the screen into the Pictures folder that the
// user-dirs file names, creating it, and says so in the title bar for a few
// seconds; Ctrl+C puts the program's line on the clipboard. The program
// sees neither key.
TEST_F(DisplayTest, CtrlSSavesTheBoardIntoThePicturesFolderAndCtrlCCopiesTheLine) {
    char scratch[] = "/tmp/tavilo-sdl-pictures-XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    const std::string home = scratch;
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::create_directories(home + "/.config");
    std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";

    std::vector<uint32_t> screen(host::kScreenWidth * host::kScreenHeight);
    for (size_t i = 0; i < screen.size(); ++i) {
        screen[i] = (static_cast<uint32_t>(i) * 2246822519u) & 0xFFFFFFu;
    }
    host::Present(screen.data(), 0, 0, host::kScreenWidth, host::kScreenHeight);
    Settle();
    for (SDL_Keycode key : {SDLK_s, SDLK_c}) {
        SDL_Scancode code = key == SDLK_s ? SDL_SCANCODE_S : SDL_SCANCODE_C;
        SDL_Event down = Key(SDL_KEYDOWN, key, KMOD_LCTRL, code);
        SDL_Event up = Key(SDL_KEYUP, key, KMOD_LCTRL, code);
        up.key.keysym.mod = KMOD_NONE;  // Ctrl let go first
        SDL_PushEvent(&down);
        SDL_PushEvent(&up);
    }
    host::Event event;
    EXPECT_FALSE(host::WaitEvent(rt::NowMs() + 200, &event)) << "the program got a key";

    std::vector<std::filesystem::path> saved;
    for (const auto& entry : std::filesystem::directory_iterator(home + "/Bilder")) saved.push_back(entry.path());
    ASSERT_EQ(saved.size(), 1u);
    const std::string name = saved[0].filename().string();
    EXPECT_EQ(name.rfind("Tavilo ", 0), 0u) << name;
    std::vector<uint8_t> expected;
    ASSERT_TRUE(share::BoardPicturePng(screen.data(), &expected));
    std::ifstream file(saved[0], std::ios::binary);
    EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>(), expected.begin(),
                           expected.end(), [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));

    char* copied = SDL_GetClipboardText();
    EXPECT_STREQ(copied, "Tavilo, 2 players: 1 \u2192 2, 2 \u2192 1");
    SDL_free(copied);
    // The later note is in the title bar, and gives way to the title.
    EXPECT_STREQ(SDL_GetWindowTitle(DisplayWindow()), "[copied] ");
    EXPECT_FALSE(host::WaitEvent(rt::NowMs() + 4200, &event));
    EXPECT_STREQ(SDL_GetWindowTitle(DisplayWindow()), "Tavilo");

    // A Pictures folder that cannot be made: one line in the title bar.
    std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_PICTURES_DIR=\"/dev/null/Pictures\"\n";
    SDL_Event down = Key(SDL_KEYDOWN, SDLK_s, KMOD_LCTRL, SDL_SCANCODE_S);
    SDL_PushEvent(&down);
    EXPECT_FALSE(host::WaitEvent(rt::NowMs() + 100, &event));
    EXPECT_EQ(std::string(SDL_GetWindowTitle(DisplayWindow())).rfind("[not saved] ", 0), 0u)
        << SDL_GetWindowTitle(DisplayWindow());

    setenv("HOME", savedHome.c_str(), 1);
    std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace sdlhost

// The program's line, as the program linked with the host gives it.
std::string DescribeResult() { return "Tavilo, 2 players: 1 \u2192 2, 2 \u2192 1"; }
// Its notes, in words the test tells apart (the program's own are checked
// in every language by the program's tests).
std::string DescribeShareNote(ShareNote note, const std::string& detail) {
    static const char* const kNames[] = {"[saved] ", "[not saved] ", "[copied] ", "[not copied] "};
    return kNames[static_cast<int>(note)] + detail;
}

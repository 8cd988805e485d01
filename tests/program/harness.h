// Helpers for the program's scenarios: tavilo-headless run on a script in a
// fresh configuration directory, the state lines it prints and the pictures
// it takes, and the program run inside the test process over a host seam of
// the test's own, for what a script cannot reach.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "gdi/bmp.h"
#include "user/host.h"
#include "user/user.h"
#include "resource.h"

namespace progtest {

// The main window's client area on the 240 x 320 screen, above the menu bar.
constexpr int CLIENT_WIDTH = 240;
constexpr int CLIENT_HEIGHT = 294;

// Pictures are 0x00RRGGBB, top row first, as the product decodes them.
using Image = gdi::DecodedImage;
Image LoadPng(const std::string& path);
// The reference pictures, in tests/program/golden/.
inline const std::string GOLDEN = TAVILO_GOLDEN_DIR "/";
// Compares a picture with the reference of that name (TAVILO_UPDATE_GOLDEN=1
// writes it afresh); a differing picture is kept in the test's temporary folder.
void ExpectGolden(const Image& shot, const std::string& name);
Image Bitmap(int id);  // a bitmap resource of the program
inline uint32_t Pixel(const Image& image, int x, int y) {
    return image.pixels.at(static_cast<size_t>(y) * image.width + x);
}
inline bool Same(const Image& a, const Image& b) {
    return !a.pixels.empty() && a.width == b.width && a.pixels == b.pixels;
}
// A COLORREF (0x00BBGGRR) as the screen holds it.
inline uint32_t PixelOf(uint32_t colorref) {
    return ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}

// A rectangle, right and bottom exclusive.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    bool Within(const Box& o) const { return o.left <= left && o.top <= top && right <= o.right && bottom <= o.bottom; }
};
// The smallest box around every pixel where the pictures differ, or around
// every pixel of one colour.
Box DiffBox(const Image& a, const Image& b);
// Expects a dialog's box, found as what it changed on the screen, to be
// there and centred over the main window.
inline void ExpectCentredDialog(const Box& box) {
    ASSERT_FALSE(box.Empty()) << "the dialog did not appear";
    EXPECT_EQ(box.left, (CLIENT_WIDTH - (box.right - box.left)) / 2);
    EXPECT_EQ(box.top, (CLIENT_HEIGHT - (box.bottom - box.top)) / 2);
}
Box ColourBox(const Image& image, uint32_t pixel);
Image Crop(const Image& image, const Box& box);
inline bool SameIn(const Image& a, const Image& b, const Box& box) { return Same(Crop(a, box), Crop(b, box)); }
// Pixels of the sprite's cell (sx, 0, w, h) that are not magenta and do not
// match the screen at (x, y).
int SpriteMisses(const Image& screen, int x, int y, const Image& sprite, int sx, int w, int h);

// One "state" line. The board's fields and the shell's flags each occur once
// in it; Runner(i, field) reads inside the record of runner i, and
// Runners(field) lists the field of every runner: "1,0,0,0,0,0".
struct State {
    std::string line;
    long long operator[](const char* field) const { return Field(0, field); }
    long long Field(size_t from, const char* field) const;
    long long Runner(int i, const char* field) const;
    std::string Runners(const char* field) const;
    // Expects each named field to hold its value.
    void Expect(std::initializer_list<std::pair<const char*, long long>> fields) const {
        for (const auto& [name, value] : fields) EXPECT_EQ((*this)[name], value) << name << " in " << line;
    }
};
std::vector<State> StatesIn(const std::string& text);

// Script lines.
inline std::string Cmd(int id) { return "command " + std::to_string(id) + "\n"; }
inline std::string Wait(int ms) { return "wait " + std::to_string(ms) + "\n"; }
inline std::string At(const char* verb, int x, int y) {
    return std::string(verb) + " " + std::to_string(x) + " " + std::to_string(y) + "\n";
}
inline std::string Repeat(const std::string& lines, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += lines;
    return out;
}

struct Outcome {
    std::string dir, err;
    std::vector<State> states;
    Image Shot(const std::string& name) const { return LoadPng(dir + "/" + name); }
};
// Runs tavilo-headless on the script in dir (a fresh one when empty), where
// relative shot names land too, and expects it to end with exitCode. args go
// on its command line before the script; env (NAME=value words) before the
// program.
Outcome RunHeadless(const std::string& script, std::string dir = "", long long clockStart = -1,
                    const std::string& args = "", const std::string& env = "", int exitCode = 0);
std::string MakeTempDir();
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
inline std::string RegistryOf(const std::string& dir) { return ReadFile(dir + "/registry.reg"); }

// tavilo-headless reading its script from a pipe, for scenarios that look at
// files while the program runs or end it as a power cut would.
struct Live {
    explicit Live(const std::string& dir);
    ~Live() { End(true); }
    void Send(const std::string& lines);
    std::vector<State> WaitForStates(size_t count);
    // Ends the program, by "quit" or by SIGKILL; its exit code.
    int End(bool kill);
    std::string dir;
    FILE* input = nullptr;
};

// A step of the program run inside the test process: an input event, a wait
// on the virtual clock, or a check run while the program waits.
struct Step {
    host::Event event;
    uint64_t waitMs = 0;
    std::function<void()> check;
};
inline Step PenStep(host::EventKind kind, int x, int y) {
    Step s;
    s.event.kind = kind, s.event.x = x, s.event.y = y;
    return s;
}
// WM_COMMAND to the main window, posted as the headless host posts it.
inline Step CommandStep(int command) {
    Step s;
    s.check = [command] { PostMessageW(user::MainWindow(), WM_COMMAND, MAKEWPARAM(command, 0), 0); };
    return s;
}
inline Step WaitStep(uint64_t ms) { return Step{{}, ms, nullptr}; }
inline Step CheckStep(std::function<void()> check) { return Step{{}, 0, std::move(check)}; }
// Starts WinMain with a fresh window manager, registry and program state,
// runs the steps and closes the program as the host's close would; WinMain's
// result.
int RunProgram(const std::vector<Step>& steps, uint64_t clockStart = 1000000);
Image ScreenCopy();

}  // namespace progtest

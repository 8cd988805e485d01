// Helpers for the program's scenario tests: running tavilo-headless on a
// script in a fresh configuration directory, reading the state lines it
// prints and the screenshots it takes, and the sprites the program draws.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace progtest {

// A parsed JSON value; only what the state line uses.
struct Json {
    enum Kind { Null, Number, Object, Array } kind = Null;
    long long number = 0;
    std::map<std::string, Json> fields;
    std::vector<Json> items;

    const Json& operator[](const std::string& key) const;
    const Json& operator[](size_t index) const;
    long long Int() const { return number; }
    bool IsNull() const { return kind == Null; }
};
Json ParseJson(const std::string& text);

// A picture as 0x00RRGGBB pixels.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool Empty() const { return pixels.empty(); }
};
Image LoadPng(const std::string& path);
bool SavePng(const Image& image, const std::string& path);

// A bitmap resource of the program, decoded from its BMP bytes.
Image LoadBitmapResource(int id);

// Colours as the screen holds them (0x00RRGGBB) from the program's
// COLORREF values (0x00BBGGRR).
uint32_t PixelOf(uint32_t colorref);
constexpr uint32_t MAGENTA = 0xFF00FF;

struct RunOptions {
    std::string configDir;  // empty: a fresh one
    long long clockStart = -1;
};

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::vector<Json> states;  // one per "state" line, in order
    std::string dir;           // the configuration directory, where shots go too
};

// Runs tavilo-headless on the script. Relative shot names in the script are
// written into the configuration directory; use Shot(result, name) to read
// them.
RunResult RunHeadless(const std::string& script, const RunOptions& options = {});
Image Shot(const RunResult& result, const std::string& name);

// A fresh empty directory under the test temporary directory.
std::string MakeTempDir();
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
std::string RegistryPath(const std::string& configDir);

// Where the sprite lands: pixels of sprite (sx, sy, w, h) that are not
// magenta must equal the picture at (x, y); returns how many differ and how
// many were compared.
struct SpriteMatch {
    int compared = 0;
    int differing = 0;
};
SpriteMatch MatchSprite(const Image& screen, int x, int y, const Image& sprite, int sx, int sy, int w, int h);

// Number of pixels that differ inside the rectangle [left, right) x [top, bottom).
int CountDifferences(const Image& a, const Image& b, int left, int top, int right, int bottom);

}  // namespace progtest

namespace progtest {

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;  // exclusive
    int bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
};

// The smallest box holding every pixel where the pictures differ.
Box DifferenceBox(const Image& a, const Image& b);
// The smallest box holding every pixel of that colour.
Box ColourBox(const Image& image, uint32_t pixel);
Image Crop(const Image& image, const Box& box);
// A copy of base with the sprite's non-magenta pixels drawn at (x, y).
Image Overlay(const Image& base, int x, int y, const Image& sprite, int sx, int sy, int w, int h);

// tavilo-headless reading its script from a pipe, for scenarios that look at
// files while the program still runs or end it abruptly.
class Interactive {
public:
    explicit Interactive(const std::string& configDir);
    ~Interactive();
    Interactive(const Interactive&) = delete;
    Interactive& operator=(const Interactive&) = delete;

    void Send(const std::string& lines);
    // Waits until the program has printed `count` state lines in all.
    bool WaitForStates(size_t count, int timeoutMs = 10000);
    std::vector<Json> States() const;
    // Ends the script and waits for the program; returns its exit code.
    int Finish();
    // Ends the process at once, as a crash or a power cut would.
    void Kill();

private:
    int pid_ = -1;
    int input_ = -1;
    std::string outPath_;
};

}  // namespace progtest

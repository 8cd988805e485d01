#include "harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "runtime/module.h"

namespace progtest {

namespace {

const Json& NullJson() {
    static const Json null;
    return null;
}

struct JsonReader {
    const std::string& text;
    size_t pos = 0;

    void Skip() {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\n' || text[pos] == '\r' || text[pos] == '\t')) {
            ++pos;
        }
    }
    char Peek() {
        Skip();
        return pos < text.size() ? text[pos] : '\0';
    }
    void Expect(char c) {
        if (Peek() != c) {
            throw std::runtime_error("JSON: expected '" + std::string(1, c) + "' at " + std::to_string(pos) + " in " +
                                     text);
        }
        ++pos;
    }
    std::string String() {
        Expect('"');
        std::string out;
        while (pos < text.size() && text[pos] != '"') {
            out += text[pos++];
        }
        Expect('"');
        return out;
    }
    Json Value() {
        Json v;
        const char c = Peek();
        if (c == '{') {
            v.kind = Json::Object;
            ++pos;
            if (Peek() == '}') {
                ++pos;
                return v;
            }
            for (;;) {
                std::string key = String();
                Expect(':');
                v.fields[key] = Value();
                if (Peek() == ',') {
                    ++pos;
                    continue;
                }
                Expect('}');
                return v;
            }
        }
        if (c == '[') {
            v.kind = Json::Array;
            ++pos;
            if (Peek() == ']') {
                ++pos;
                return v;
            }
            for (;;) {
                v.items.push_back(Value());
                if (Peek() == ',') {
                    ++pos;
                    continue;
                }
                Expect(']');
                return v;
            }
        }
        if (text.compare(pos, 4, "null") == 0) {
            pos += 4;
            return v;
        }
        v.kind = Json::Number;
        size_t used = 0;
        v.number = std::stoll(text.substr(pos), &used);
        pos += used;
        return v;
    }
};

uint32_t ReadLe(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

std::string g_tempRoot;

}  // namespace

const Json& Json::operator[](const std::string& key) const {
    auto it = fields.find(key);
    return it == fields.end() ? NullJson() : it->second;
}

const Json& Json::operator[](size_t index) const { return index < items.size() ? items[index] : NullJson(); }

Json ParseJson(const std::string& text) {
    JsonReader reader{text};
    return reader.Value();
}

uint32_t PixelOf(uint32_t colorref) {
    return ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}

Image LoadPng(const std::string& path) {
    Image image;
    int channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3);
    if (data == nullptr) {
        return Image{};
    }
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = (uint32_t(data[3 * i]) << 16) | (uint32_t(data[3 * i + 1]) << 8) | data[3 * i + 2];
    }
    stbi_image_free(data);
    return image;
}

bool SavePng(const Image& image, const std::string& path) {
    std::vector<unsigned char> rgb(image.pixels.size() * 3);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        rgb[3 * i] = static_cast<unsigned char>(image.pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<unsigned char>(image.pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<unsigned char>(image.pixels[i]);
    }
    return stbi_write_png(path.c_str(), image.width, image.height, 3, rgb.data(), image.width * 3) != 0;
}

// Uncompressed BMPs of 8, 24 or 32 bits per pixel, as the artwork is stored.
Image LoadBitmapResource(int id) {
    const RESOURCE_ENTRY* entry = rt::FindResourceEntry(2, static_cast<WORD>(id));
    if (entry == nullptr || entry->size < 54) {
        return Image{};
    }
    const auto* bytes = static_cast<const uint8_t*>(entry->data);
    const uint32_t dataOffset = ReadLe(bytes + 10, 4);
    const uint32_t headerSize = ReadLe(bytes + 14, 4);
    const int width = static_cast<int32_t>(ReadLe(bytes + 18, 4));
    const int rawHeight = static_cast<int32_t>(ReadLe(bytes + 22, 4));
    const int bits = static_cast<int>(ReadLe(bytes + 28, 2));
    const uint32_t compression = ReadLe(bytes + 30, 4);
    uint32_t paletteCount = ReadLe(bytes + 46, 4);
    if (compression != 0 || (bits != 8 && bits != 24 && bits != 32)) {
        return Image{};
    }
    if (bits == 8 && paletteCount == 0) {
        paletteCount = 256;
    }
    const uint8_t* palette = bytes + 14 + headerSize;
    const int height = rawHeight < 0 ? -rawHeight : rawHeight;
    const int stride = ((width * bits + 31) / 32) * 4;
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int row = rawHeight < 0 ? y : height - 1 - y;
        const uint8_t* line = bytes + dataOffset + static_cast<size_t>(row) * stride;
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            if (bits == 8) {
                const uint8_t* p = palette + 4 * line[x];
                pixel = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            } else {
                const uint8_t* p = line + x * (bits / 8);
                pixel = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            }
            image.pixels[static_cast<size_t>(y) * width + x] = pixel;
        }
    }
    return image;
}

std::string MakeTempDir() {
    if (g_tempRoot.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/tavilo-program-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary directory");
        }
        g_tempRoot = buffer.data();
    }
    static int serial = 0;
    std::string dir = g_tempRoot + "/run" + std::to_string(++serial);
    mkdir(dir.c_str(), 0700);
    return dir;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string RegistryPath(const std::string& configDir) { return configDir + "/registry.reg"; }

RunResult RunHeadless(const std::string& script, const RunOptions& options) {
    RunResult result;
    result.dir = options.configDir.empty() ? MakeTempDir() : options.configDir;
    const std::string scriptPath = result.dir + "/script.txt";
    const std::string outPath = result.dir + "/out.txt";
    const std::string errPath = result.dir + "/err.txt";
    WriteFile(scriptPath, script);

    std::string command = "cd '" + result.dir + "' && '" TAVILO_HEADLESS "' --config-dir '" + result.dir + "'";
    if (options.clockStart >= 0) {
        command += " --clock-start " + std::to_string(options.clockStart);
    }
    command += " '" + scriptPath + "' > '" + outPath + "' 2> '" + errPath + "'";
    const int status = std::system(command.c_str());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);

    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == '{') {
            result.states.push_back(ParseJson(line));
        }
    }
    return result;
}

Image Shot(const RunResult& result, const std::string& name) { return LoadPng(result.dir + "/" + name); }

SpriteMatch MatchSprite(const Image& screen, int x, int y, const Image& sprite, int sx, int sy, int w, int h) {
    SpriteMatch match;
    for (int dy = 0; dy < h; ++dy) {
        for (int dx = 0; dx < w; ++dx) {
            const uint32_t s = sprite.At(sx + dx, sy + dy);
            if (s == MAGENTA) {
                continue;
            }
            const int px = x + dx;
            const int py = y + dy;
            if (px < 0 || py < 0 || px >= screen.width || py >= screen.height) {
                continue;
            }
            ++match.compared;
            if (screen.At(px, py) != s) {
                ++match.differing;
            }
        }
    }
    return match;
}

int CountDifferences(const Image& a, const Image& b, int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (a.At(x, y) != b.At(x, y)) {
                ++count;
            }
        }
    }
    return count;
}

}  // namespace progtest

namespace progtest {

Box DifferenceBox(const Image& a, const Image& b) {
    Box box{a.width, a.height, 0, 0};
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.At(x, y) != b.At(x, y)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    }
    return box;
}

Box ColourBox(const Image& image, uint32_t pixel) {
    Box box{image.width, image.height, 0, 0};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.At(x, y) == pixel) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    }
    return box;
}

Image Crop(const Image& image, const Box& box) {
    Image out;
    if (box.Empty()) {
        return out;
    }
    out.width = box.Width();
    out.height = box.Height();
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            out.pixels[static_cast<size_t>(y) * out.width + x] = image.At(box.left + x, box.top + y);
        }
    }
    return out;
}

Image Overlay(const Image& base, int x, int y, const Image& sprite, int sx, int sy, int w, int h) {
    Image out = base;
    for (int dy = 0; dy < h; ++dy) {
        for (int dx = 0; dx < w; ++dx) {
            const uint32_t s = sprite.At(sx + dx, sy + dy);
            const int px = x + dx;
            const int py = y + dy;
            if (s == MAGENTA || px < 0 || py < 0 || px >= out.width || py >= out.height) {
                continue;
            }
            out.pixels[static_cast<size_t>(py) * out.width + px] = s;
        }
    }
    return out;
}

Interactive::Interactive(const std::string& configDir) {
    // A name of its own for each run, so that nothing an earlier run printed
    // is read as this run's output before the child has opened its file.
    static int serial = 0;
    outPath_ = configDir + "/interactive-out" + std::to_string(++serial) + ".txt";
    WriteFile(outPath_, "");
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(fds[0], 0);
        close(fds[0]);
        close(fds[1]);
        const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        const int err = open((configDir + "/interactive-err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, 2);
        if (chdir(configDir.c_str()) != 0) {
            _exit(126);
        }
        execl(TAVILO_HEADLESS, TAVILO_HEADLESS, "--config-dir", configDir.c_str(), "-", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[0]);
    input_ = fds[1];
}

Interactive::~Interactive() {
    if (input_ >= 0 || pid_ > 0) {
        Kill();
    }
}

void Interactive::Send(const std::string& lines) {
    size_t done = 0;
    while (input_ >= 0 && done < lines.size()) {
        const ssize_t n = write(input_, lines.data() + done, lines.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
}

std::vector<Json> Interactive::States() const {
    std::vector<Json> states;
    std::istringstream lines(ReadFile(outPath_));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == '{') {
            states.push_back(ParseJson(line));
        }
    }
    return states;
}

bool Interactive::WaitForStates(size_t count, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        // Only whole lines count: the last one may still be being written.
        const std::string text = ReadFile(outPath_);
        size_t lines = 0;
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line[0] == '{' && line.back() == '}') {
                ++lines;
            }
        }
        if (lines >= count) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int Interactive::Finish() {
    Send("quit\n");
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
    int status = 0;
    if (pid_ > 0) {
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Interactive::Kill() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
}

}  // namespace progtest

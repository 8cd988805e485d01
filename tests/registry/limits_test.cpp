// What a settings file may hold: at most 1 MiB, no value over 64 KiB, at
// most 4096 keys, values and runs of comments. A file past them is damage;
// a save that would pass them is refused and keeps the old file; and what a
// start holds in memory stays within a few times the largest file.
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

#include "registry/regtext.h"
#include "registry_fixture.h"

// The heap in use by this test program, counted at every allocation, so
// that a test can see the most that one call held at once.
namespace {

std::atomic<size_t> g_heapInUse{0};
std::atomic<size_t> g_heapPeak{0};

void* Allocate(size_t size) {
    void* p = std::malloc(size != 0 ? size : 1);
    if (p == nullptr) throw std::bad_alloc();
    size_t now = g_heapInUse.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
    size_t peak = g_heapPeak.load();
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void Release(void* p) {
    if (p == nullptr) return;
    g_heapInUse.fetch_sub(malloc_usable_size(p));
    std::free(p);
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

using LimitsTest = RegistryTest;

constexpr size_t kMiB = 1024 * 1024;

std::string Padded(std::string text, size_t size, const std::string& line) {
    while (text.size() + line.size() <= size) text += line;
    return text;
}

// The most the heap held above what it held before, while fn ran.
size_t PeakDuring(const std::function<void()>& fn) {
    size_t before = g_heapInUse.load();
    g_heapPeak.store(before);
    fn();
    return g_heapPeak.load() - before;
}

// A well-formed file one save away from the limit used to grow past it on
// the program's own save, and the next start then threw the count away.
TEST_F(LimitsTest, ASaveThatWouldPassTheLimitIsRefusedAndKeepsTheFile) {
    const std::string full = Padded(kSection, kMiB - 10, "; a note to fill the file\n");
    WriteText(FilePath(), full);
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    int result = Wait(Spawn([&] {
        if (dup2(pipeFds[1], 2) < 0) return 100;
        return static_cast<int>(SetDword(Open(kGameKey, KEY_WRITE), u"PlayerCount", 7)) & 0xff;
    }));
    close(pipeFds[1]);
    char buffer[4096];
    ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    close(pipeFds[0]);
    std::string said(buffer, got > 0 ? static_cast<size_t>(got) : 0);
    EXPECT_EQ(result, ERROR_NOT_ENOUGH_QUOTA & 0xff);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(FilePath() + ": it would grow past 1 MiB"), std::string::npos) << said;
    EXPECT_TRUE(ReadText(FilePath()) == full);
    EXPECT_TRUE(OnlyTheFile());

    // So is one that would hold too many keys.
    std::string many = kSection;
    for (size_t i = 1; i < reg::kMaxEntries; ++i) many += "[K" + std::to_string(i) + "]\n";
    WriteText(FilePath(), many);
    EXPECT_EQ(ReadDword(u"K1", u"X", 6), 6u);
    EXPECT_TRUE(OnlyTheFile()) << "the file was read, not kept aside";
    HKEY key = Open(kGameKey, KEY_WRITE);
    EXPECT_EQ(SetDword(key, u"PlayerCount", 7), ERROR_NOT_ENOUGH_QUOTA);
    RegCloseKey(key);
    EXPECT_TRUE(ReadText(FilePath()) == many);
}

// Existing files past a limit are damaged files: kept aside byte for byte,
// and the count starts again from its default.
TEST_F(LimitsTest, AFilePastALimitIsKeptAsideAsDamage) {
    const std::string count = kSection + "\"PlayerCount\"=dword:00000003\n";
    // The key and its value, and keys up to the limit.
    std::string keys = count;
    for (size_t i = 3; i <= reg::kMaxEntries; ++i) keys += "[K" + std::to_string(i) + "]\n";
    std::string hex = "00";
    for (size_t i = 1; i <= reg::kMaxValueBytes; ++i) hex += ",00";
    const std::vector<std::string> damaged = {
        Padded(count, kMiB + 100, "; a note to fill the file\n"),
        count + "\"Blob\"=hex:" + hex + "\n",
        count + "\"Text\"=\"" + std::string(reg::kMaxValueBytes / 2, 'y') + "\"\n",
        keys + "[One\\Too\\Many]\n",
    };
    ASSERT_GT(damaged[0].size(), kMiB);
    for (size_t i = 0; i < damaged.size(); ++i) {
        WriteText(FilePath(), damaged[i]);
        EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 6u) << "file " << i;
        EXPECT_TRUE(ReadText(FilePath() + ".bad" + (i == 0 ? "" : "." + std::to_string(i))) == damaged[i]) << i;
    }
    // Just within every limit, the same files read.
    for (const std::string& within : {Padded(count, kMiB, "; a note to fill the file\n"),
                                      count + "\"Blob\"=hex:" + hex.substr(3) + "\n",
                                      count + "\"Text\"=\"" + std::string(reg::kMaxValueBytes / 2 - 1, 'y') + "\"\n",
                                      keys}) {
        WriteText(FilePath(), within);
        EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 3u) << within.size();
    }
    WriteText(FilePath(), count);
    HKEY key = Open(kGameKey, KEY_WRITE);
    std::vector<BYTE> value(reg::kMaxValueBytes + 1);
    EXPECT_EQ(RegSetValueExW(key, u"Blob", 0, REG_BINARY, value.data(), static_cast<DWORD>(value.size())),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExW(key, u"Blob", 0, REG_BINARY, value.data(), static_cast<DWORD>(value.size() - 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// Files that cost the most memory for their size: short lines that each
// make a record, long names, UTF-16, one huge value. A start near the old
// limit of 16 MiB took more than a gigabyte.
TEST_F(LimitsTest, AStartHoldsAFewTimesTheLargestFileAtMost) {
    constexpr size_t kMost = 6 * kMiB;
    std::string longName(200, 'n');
    std::string manyKeys = kSection, manyValues = kSection, utf16 = "\xff\xfe";
    for (size_t i = 1; i < reg::kMaxEntries; ++i) manyKeys += "[" + longName + std::to_string(i) + "]\n";
    for (size_t i = 1; i < reg::kMaxEntries; ++i) manyValues += "\"" + longName + std::to_string(i) + "\"=hex:\n";
    for (char c : Padded(kSection, kMiB / 2 - 1, ";\n")) utf16 += std::string{c, '\0'};
    const std::vector<std::pair<const char*, std::string>> files = {
        {"comments", Padded(kHeader, kMiB, ";\n")},
        {"comments in a key", Padded(kSection, kMiB, ";\n")},
        {"comments between values", Padded(kSection, kMiB, ";\n\"a\"=hex:\n")},
        {"blank lines", Padded(kHeader, kMiB, "\n")},
        {"keys with long names", manyKeys},
        {"values with long names", manyValues},
        {"UTF-16", utf16},
        {"one huge string", kSection + "\"Text\"=\"" + std::string(kMiB - kSection.size() - 20, 'z') + "\"\n"},
        {"one huge binary", kSection + "\"Blob\"=hex:" + Padded("00", kMiB - kSection.size() - 20, ",01")},
    };
    for (const auto& [what, text] : files) {
        ASSERT_LE(text.size(), kMiB) << what;
        WriteText(FilePath(), text);
        size_t peak = PeakDuring([] { ReadDword(kGameKey, u"PlayerCount", 6); });
        EXPECT_LE(peak, kMost) << what << ": " << peak / 1024 << " KiB";
        std::filesystem::remove(FilePath() + ".bad");
    }
}

}  // namespace

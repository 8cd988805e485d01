// Values through RegSetValueExW and RegQueryValueExW, with the size rules of
// Win32 that the game relies on.
#include "registry_fixture.h"

namespace {

using ValueTest = RegistryTest;

struct Value { std::u16string name; DWORD type; std::vector<BYTE> data; };
const std::u16string kText = u"Spieler \"eins\" \\ \u00fc\U0001D11E";

// Data that has no plain text form in the file, under names the file has to
// escape, beside values that the file can spell as text.
std::vector<Value> EveryKindOfValue() {
    const auto* textBytes = reinterpret_cast<const BYTE*>(kText.c_str());
    std::vector<BYTE> longBinary(300);
    for (size_t i = 0; i < longBinary.size(); ++i) {
        longBinary[i] = static_cast<BYTE>(i * 7);
    }
    return {
        {u"PlayerCount", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}}, {u"Short", REG_DWORD, {1, 2}},
        {u"Long", REG_DWORD, {1, 2, 3, 4, 5}}, {u"Name", REG_SZ, {textBytes, textBytes + 2 * kText.size() + 2}},
        {u"Lines", REG_SZ, {'a', 0, '\n', 0, 'b', 0, 0, 0}}, {u"Unterminated", REG_SZ, {'A', 0}},
        {u"Odd", REG_SZ, {'A', 0, 0}}, {u"Lone surrogate", REG_SZ, {0x00, 0xD8, 'A', 0, 0, 0}},
        {u"Nothing", REG_NONE, {}}, {u"Blob", REG_BINARY, longBinary}, {u"Multi", 7, {'a', 0, 0, 0, 0, 0}},
        {u"Big type", 0x12345678, {0xFF}}, {u"", REG_SZ, {'d', 0, 0, 0}}, {u"@", REG_SZ, {'@', 0, 0, 0}},
        {u"name \"with\" \\ and = sign", REG_DWORD, {9, 0, 0, 0}},
    };
}

void SetAll(HKEY key, const std::vector<Value>& values) {
    for (const Value& v : values) {
        EXPECT_EQ(RegSetValueExW(key, v.name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size())),
                  ERROR_SUCCESS) << &v - values.data();
    }
}

// Byte for byte, also in a key whose name starts like the file's own root
// prefix.
TEST_F(ValueTest, EveryValueComesBackAsItWasSet) {
    const std::vector<Value> values = EveryKindOfValue();
    for (const WCHAR* path : {kGameKey, u"HKEY_CURRENT_USER\\Odd name"}) {
        HKEY key = Open(path, KEY_ALL_ACCESS);
        SetAll(key, values);
        // Every query reads the file afresh.
        for (const Value& v : values) {
            SCOPED_TRACE(testing::Message() << "value " << &v - values.data() << (path == kGameKey ? "" : " of the odd key"));
            std::vector<BYTE> data(400, 0xAA);
            DWORD size = static_cast<DWORD>(data.size());
            DWORD type = 0;
            EXPECT_EQ(RegQueryValueExW(key, v.name.c_str(), nullptr, &type, data.data(), &size), ERROR_SUCCESS);
            data.resize(size);
            EXPECT_EQ(type, v.type);
            EXPECT_EQ(data, v.data);
        }
        RegCloseKey(key);
    }
}

// Readable in the file where the value allows it, and wrapped like
// regedit's exports.
TEST_F(ValueTest, TheFileSpellsTextReadablyAndWrapsLongLinesLikeRegeditsExports) {
    HKEY key = Open(kGameKey, KEY_ALL_ACCESS);
    SetAll(key, EveryKindOfValue());
    RegCloseKey(key);
    std::string file = ReadText(FilePath());
    EXPECT_NE(file.find("\"Name\"=\"Spieler \\\"eins\\\" \\\\ \xc3\xbc\xf0\x9d\x84\x9e\"\n"), std::string::npos);
    std::istringstream lines(file);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LT(line.size(), 80u) << line;
    }
}

TEST_F(ValueTest, SizesAreAnsweredAsWin32Does) {
    WriteText(FilePath(), kSection + "\"Short\"=hex(4):01,02\n\"Wide\"=hex:01,02,03,04,05,06\n");
    HKEY key = Open(kGameKey, KEY_READ);
    // Smaller than the buffer: success, and the size tells how much came.
    BYTE buffer[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExW(key, u"Short", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(type, DWORD{REG_DWORD});
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 4), (std::vector<BYTE>{1, 2, 0xAA, 0xAA}));
    // Larger than the buffer: ERROR_MORE_DATA with the size needed, the
    // buffer untouched, the type still reported.
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExW(key, u"Wide", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, DWORD{REG_BINARY});
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 4), (std::vector<BYTE>{1, 2, 0xAA, 0xAA}));
    // No buffer: the size alone, for the caller to make one that fits.
    size = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"Wide", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    RegCloseKey(key);
    // The game's read falls back to its default for data that does not fit.
    EXPECT_EQ(ReadDword(kGameKey, u"Wide", 6), 6u);
}

// Replacing a value keeps it where it stood, beside the ones written since.
TEST_F(ValueTest, WritesInARowKeepEachOther) {
    HKEY key = Open(kGameKey, KEY_WRITE);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 3), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, u"Other", 11), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 8), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadText(FilePath()), kSection + "\"PlayerCount\"=dword:00000008\n\"Other\"=dword:0000000b\n\n");
    EXPECT_TRUE(OnlyTheFile());
}

}  // namespace

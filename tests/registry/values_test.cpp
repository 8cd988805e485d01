// Values through RegSetValueExW and RegQueryValueExW, with the size rules of
// Win32 that the game relies on.
#include <cstring>

#include "registry_fixture.h"

namespace {

using ValueTest = RegistryTest;

TEST_F(ValueTest, RoundTripsEveryType) {
    HKEY key = Open(kGameKey, KEY_ALL_ACCESS);
    const std::u16string text = u"Spieler \"eins\" \\ \u00fc\U0001D11E";
    const BYTE blob[] = {0, 1, 0xFE, 0xFF, 0x80};
    ASSERT_EQ(SetDword(key, u"PlayerCount", 0xFFFFFFFFu), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, u"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * 2)),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, u"Blob", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, u"Nothing", 0, REG_NONE, nullptr, 0), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(u"dflt"), 10), ERROR_SUCCESS);
    RegCloseKey(key);

    key = Open(kGameKey, KEY_READ);
    DWORD type = 0;
    DWORD number = 0;
    DWORD size = sizeof number;
    ASSERT_EQ(RegQueryValueExW(key, u"PlayerCount", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number, 0xFFFFFFFFu);

    WCHAR buffer[64] = {};
    size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExW(key, u"name", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, (text.size() + 1) * 2);
    EXPECT_EQ(std::u16string(buffer), text);

    BYTE bytes[16] = {};
    size = sizeof bytes;
    ASSERT_EQ(RegQueryValueExW(key, u"Blob", nullptr, &type, bytes, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(size, sizeof blob);
    EXPECT_EQ(std::memcmp(bytes, blob, sizeof blob), 0);

    size = 99;
    ASSERT_EQ(RegQueryValueExW(key, u"Nothing", nullptr, &type, bytes, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));

    size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExW(key, u"", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(buffer), u"dflt");
    RegCloseKey(key);

    // The text is readable in the file, escaped and in UTF-8.
    EXPECT_NE(ReadText(FilePath()).find("\"Name\"=\"Spieler \\\"eins\\\" \\\\ \xc3\xbc\xf0\x9d\x84\x9e\"\n"),
              std::string::npos);
}

TEST_F(ValueTest, SizesAreAnsweredAsWin32Does) {
    WriteText(FilePath(),
              "Windows Registry Editor Version 5.00\n\n[Software\\Menkor\\Tavilo]\n"
              "\"Short\"=hex(4):01,02\n\"Wide\"=hex:01,02,03,04,05,06\n");
    HKEY key = Open(kGameKey, KEY_READ);
    DWORD type = 0;

    // Smaller than the buffer: success, and the size tells how much came.
    BYTE buffer[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    DWORD size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExW(key, u"Short", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[1], 2);
    EXPECT_EQ(buffer[2], 0xAA);

    // Larger than the buffer: ERROR_MORE_DATA with the size needed, the
    // buffer untouched, the type still reported.
    std::memset(buffer, 0xAA, sizeof buffer);
    size = sizeof buffer;
    type = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"Wide", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(buffer[0], 0xAA);

    // No buffer: the size alone; no size either: only whether it exists.
    size = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"Wide", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(RegQueryValueExW(key, u"Wide", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(key, u"Wide", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"Wide", &reserved, nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);

    // The game's read falls back to its default for data that does not fit.
    EXPECT_EQ(ReadDword(kGameKey, u"Wide", 6), 6u);
}

TEST_F(ValueTest, WritesInARowKeepEachOther) {
    HKEY key = Open(kGameKey, KEY_WRITE);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 3), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, u"Other", 11), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 8), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 8u);
    EXPECT_EQ(ReadDword(kGameKey, u"Other", 6), 11u);
    // Replacing keeps the value where it stood.
    EXPECT_EQ(ReadText(FilePath()),
              "Windows Registry Editor Version 5.00\n\n[Software\\Menkor\\Tavilo]\n"
              "\"PlayerCount\"=dword:00000008\n\"Other\"=dword:0000000b\n\n");
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"registry.reg"});
}

TEST_F(ValueTest, RefusesValuesTheFileCannotHold) {
    HKEY key = Open(kGameKey, KEY_WRITE);
    std::string before = ReadText(FilePath());
    DWORD one = 1;
    EXPECT_EQ(RegSetValueExW(key, u"Two\nLines", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExW(key, u"Half\xDC00", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExW(key, u"NoData", 0, REG_DWORD, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ReadText(FilePath()), before);
    RegCloseKey(key);
}

}  // namespace

// The file under the registry: what a write keeps, what reads as it stands,
// what happens to a damaged file, and writes that cannot be made.

#include "registry_fixture.h"

namespace {

using FileTest = RegistryTest;

const std::string kHandWritten =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "; Settings of several programs.\r\n\r\n"
    "[Software\\Menkor\\Tavilo]\r\n"
    "; the count is set by hand\r\n"
    "\"PlayerCount\"=dword:00000003\r\n"
    "\"Nick\"=\"\xc3\xa9l\xc3\xa8ve\"\r\n\r\n"
    "[Software\\Other\\Program]\r\n"
    "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
    "\"Quad\"=hex(b):01,02,03,04,05,06,07,08\r\n"
    "@=\"default\"\r\n";

TEST_F(FileTest, AWriteKeepsEverythingElse) {
    WriteText(FilePath(), kHandWritten);
    HKEY key = Open(kGameKey, KEY_WRITE);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 5), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadText(FilePath()),
              "Windows Registry Editor Version 5.00\n\n"
              "; Settings of several programs.\n\n"
              "[Software\\Menkor\\Tavilo]\n"
              "; the count is set by hand\n"
              "\"PlayerCount\"=dword:00000005\n"
              "\"Nick\"=\"\xc3\xa9l\xc3\xa8ve\"\n\n"
              "[Software\\Other\\Program]\n"
              "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
              "\"Quad\"=hex(b):01,02,03,04,05,06,07,08\n"
              "@=\"default\"\n\n");
}

// Hand-edited files and regedit's exports read as they stand: a byte-order
// mark, CRLF, blank lines and comments, spaces, the HKEY_CURRENT_USER
// prefix, upper-case types, continued hex lines, a key given twice.
TEST_F(FileTest, TheUsualVariationsRead) {
    for (const std::string& text :
         {"\xEF\xBB\xBF" + kHeader + "[Software\\Menkor\\Tavilo]\r\n\"PlayerCount\"=dword:00000003\r\n",
          "\n\n" + kHeader + "; a note\n\n[HKEY_CURRENT_USER\\Software\\Menkor\\Tavilo]\n\n; more\n"
                             "  \"PlayerCount\" = DWORD:3   \n",
          kHeader + "[software\\menkor\\tavilo]\n\"PlayerCount\"=dword:00000009\n[Software\\Menkor\\Tavilo]\n"
                    "\"playercount\"=hex(4):03,\\\n   00,00,\\\n 00\n"}) {
        WriteText(FilePath(), text);
        EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 3u) << text;
        EXPECT_TRUE(OnlyTheFile()) << text;
    }
    // Nothing at all is an empty registry, not damage.
    WriteText(FilePath(), " \n\r\n");
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 6u);
    EXPECT_TRUE(OnlyTheFile());
}

// A file that does not read as a registry we can take over without losing
// anything is moved aside, to the first free .bad name so that earlier ones
// are kept, and the game reads its defaults.
TEST_F(FileTest, DamagedFilesAreKeptAsideWithoutReplacingEarlierOnes) {
    const std::vector<std::string> damaged = {
        "garbage\n", "[Software\\Menkor\\Tavilo]\n\"PlayerCount\"=dword:00000003\n", "; comment first\n" + kHeader,
        kSection + "\"PlayerCount\"=dword:zzzz\n", kSection + "\"PlayerCount\"=dword:100000000\n",
        kSection + "\"PlayerCount\"=dword:\n", kSection + "\"PlayerCount\"=dword:0000000g\n",
        kSection + "\"PlayerCount\"=-\n", kSection + "\"PlayerCount\"\n", kSection + "\"Name\"=\"unterminated\n",
        kSection + "\"Name\"=\"bad \\q escape\"\n", kSection + "\"Name\"=\"text\" trailing\n",
        kSection + "\"Name=dword:00000001\n", kSection + "\"Blob\"=hex:01,,02\n", kSection + "\"Blob\"=hex:123\n",
        kSection + "\"Blob\"=hex(zz):01\n", kSection + "\"Blob\"=hex:01,\\\n", kSection + "PlayerCount=dword:3\n",
        kHeader + "\"PlayerCount\"=dword:00000003\n", kHeader + "[Software\\Menkor\n", kHeader + "[]\n",
        kHeader + "[Software\\\\Menkor]\n", kHeader + "[\\Software]\n", kSection + "\"Name\"=\"\xC3\x28\"\n",
        kSection + "\"Name\"=\"\xC0\xAF\"\n", "\xFF\xFE\x41"};
    for (size_t i = 0; i < damaged.size(); ++i) {
        WriteText(FilePath(), damaged[i]);
        EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 6u) << damaged[i];
        EXPECT_EQ(ReadText(FilePath() + ".bad" + (i == 0 ? "" : "." + std::to_string(i))), damaged[i]);
        EXPECT_EQ(ReadText(FilePath()), kSection + "\n");
    }
    // Damage that appears while a handle is open is kept aside by the write.
    HKEY key = Open(kGameKey, KEY_WRITE);
    WriteText(FilePath(), damaged[0]);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 2), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadText(FilePath() + ".bad." + std::to_string(damaged.size())), damaged[0]);
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 2u);
}

// Each write re-reads the file under the directory lock, so two processes
// writing at once lose none of each other's values; each write adds a value
// of its own, so one lost update anywhere shows at the end.
TEST_F(FileTest, ConcurrentWritersLoseNothing) {
    constexpr DWORD kWrites = 30;
    auto name = [](char16_t who, DWORD i) { return std::u16string{who, static_cast<char16_t>(u'a' + i)}; };
    auto writer = [&](char16_t who) {
        return Spawn([&, who] {
            HKEY key = Open(kGameKey, KEY_WRITE);
            for (DWORD i = 0; i < kWrites; ++i) {
                if (SetDword(key, name(who, i).c_str(), i) != ERROR_SUCCESS) {
                    return 1;
                }
            }
            return 0;
        });
    };
    pid_t a = writer(u'A'), b = writer(u'B');
    EXPECT_EQ(Wait(a), 0);
    EXPECT_EQ(Wait(b), 0);
    for (DWORD i = 0; i < kWrites; ++i) {
        EXPECT_EQ(ReadDword(kGameKey, name(u'A', i).c_str(), 99), i);
        EXPECT_EQ(ReadDword(kGameKey, name(u'B', i).c_str(), 99), i);
    }
    EXPECT_TRUE(OnlyTheFile());
}

// The child drops to nobody when the test runs as root, for whom the
// read-only directory and the unreadable file really are so.
TEST_F(FileTest, AReadOnlyDirectoryKeepsTheOldFileAndSaysSo) {
    WriteText(FilePath(), kHandWritten);
    ASSERT_EQ(chmod(FilePath().c_str(), 0644), 0);
    ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
    int result = Wait(Spawn([] {
        if (ReadDword(kGameKey, u"PlayerCount", 0) != 3) {
            return 101;  // reading still works
        }
        return static_cast<int>(SetDword(Open(kGameKey, KEY_WRITE), u"PlayerCount", 8));
    }, true));
    EXPECT_EQ(result, ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadText(FilePath()), kHandWritten);
    EXPECT_TRUE(OnlyTheFile());
}

TEST_F(FileTest, ADamagedFileThatCannotBeMovedAsideIsNotWrittenOver) {
    const std::string damaged = kHeader + "[A]\n\"X\"=dword:\n";
    WriteText(FilePath(), damaged);
    ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
    // ERROR_BADDB does not fit in an exit status.
    int result = Wait(Spawn([] {
        HKEY key = nullptr;
        return RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) ==
                       ERROR_BADDB ? 0 : 1;
    }, true));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadText(FilePath()), damaged);
}

// A file that cannot be read may hold anything; writing a fresh one over it
// would lose all of it, even where the directory allows it. Run as root,
// the directory is given to nobody, whom the child becomes.
TEST_F(FileTest, AnUnreadableFileIsNotWrittenOverInAWritableDirectory) {
    WriteText(FilePath(), kHandWritten);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(dir_.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(chmod(dir_.c_str(), 0700), 0);
    ASSERT_EQ(chmod(FilePath().c_str(), 0), 0);
    int result = Wait(Spawn([] { return static_cast<int>(SetDword(HKEY_CURRENT_USER, u"PlayerCount", 8)); }, true));
    EXPECT_EQ(result, ERROR_ACCESS_DENIED);
    chmod(FilePath().c_str(), 0644);
    EXPECT_EQ(ReadText(FilePath()), kHandWritten);
}

}  // namespace

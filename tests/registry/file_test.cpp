// The file under the registry: what a write keeps, what happens to a damaged
// file, and writes that cannot be made.
#include <signal.h>
#include <sys/resource.h>

#include "registry_fixture.h"

namespace {

using FileTest = RegistryTest;

const std::string kHandWritten =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; Settings of several programs.\r\n"
    "\r\n"
    "[Software\\Menkor\\Tavilo]\r\n"
    "; the count is set by hand\r\n"
    "\"PlayerCount\"=dword:00000003\r\n"
    "\"Nick\"=\"\xc3\xa9l\xc3\xa8ve\"\r\n"
    "\r\n"
    "[Software\\Other\\Program]\r\n"
    "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
    "\"Quad\"=hex(b):01,02,03,04,05,06,07,08\r\n"
    "@=\"default\"\r\n";

TEST_F(FileTest, WriteKeepsEverythingElse) {
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

TEST_F(FileTest, AnotherProcessesWriteIsKept) {
    HKEY key = Open(kGameKey, KEY_ALL_ACCESS);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 4), ERROR_SUCCESS);
    // Someone else rewrites the file while our handle is open.
    WriteText(FilePath(), ReadText(FilePath()) + "[Software\\Elsewhere]\n\"Kept\"=dword:00000001\n");
    ASSERT_EQ(SetDword(key, u"PlayerCount", 2), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadDword(u"Software\\Elsewhere", u"Kept", 0), 1u);
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 2u);
}

// Two processes writing at the same time: each write re-reads under the
// directory lock, so neither loses the other's values. Every write adds a
// value of its own, so one lost update anywhere shows at the end.
TEST_F(FileTest, ConcurrentWritersLoseNothing) {
    constexpr DWORD kWrites = 30;
    RegCloseKey(Open(kGameKey, KEY_READ));
    auto name = [](char16_t who, DWORD i) {
        return std::u16string(1, who) + static_cast<char16_t>(u'0' + i / 10) + static_cast<char16_t>(u'0' + i % 10);
    };
    auto writer = [&](char16_t who) {
        return RunInChild([&] {
            HKEY key = nullptr;
            RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
            for (DWORD i = 0; i < kWrites; ++i) {
                if (SetDword(key, name(who, i).c_str(), i) != ERROR_SUCCESS) {
                    return 1;
                }
            }
            return 0;
        }, false, /*wait=*/false);
    };
    pid_t a = writer(u'A');
    pid_t b = writer(u'B');
    int statusA = -1;
    int statusB = -1;
    waitpid(a, &statusA, 0);
    waitpid(b, &statusB, 0);
    EXPECT_EQ(statusA, 0);
    EXPECT_EQ(statusB, 0);
    for (DWORD i = 0; i < kWrites; ++i) {
        EXPECT_EQ(ReadDword(kGameKey, name(u'A', i).c_str(), 99), i);
        EXPECT_EQ(ReadDword(kGameKey, name(u'B', i).c_str(), 99), i);
    }
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"registry.reg"});
}

TEST_F(FileTest, DamagedFileIsKeptAsideAndDefaultsRead) {
    const std::string first = "Windows Registry Editor Version 5.00\n\n[Software\\Menkor\\Tavilo]\n"
                              "\"PlayerCount\"=dword:zzzz\n";
    WriteText(FilePath(), first);
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 6u);
    EXPECT_EQ(ReadText(FilePath() + ".bad"), first);

    HKEY key = Open(kGameKey, KEY_WRITE);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 4), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadText(FilePath()),
              "Windows Registry Editor Version 5.00\n\n[Software\\Menkor\\Tavilo]\n\"PlayerCount\"=dword:00000004\n\n");

    // A second damaged file does not push out the first.
    const std::string second = "not a registry at all\n";
    WriteText(FilePath(), second);
    key = Open(kGameKey, KEY_ALL_ACCESS);
    EXPECT_EQ(ReadText(FilePath() + ".bad"), first);
    EXPECT_EQ(ReadText(FilePath() + ".bad.1"), second);
    DWORD size = 4;
    DWORD value = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"PlayerCount", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_FILE_NOT_FOUND);
    // Damage that appears while a handle is open is kept aside by the write.
    const std::string third = "Windows Registry Editor Version 5.00\n\n[A]\n\"X\"=dword:123456789\n";
    WriteText(FilePath(), third);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 2), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadText(FilePath() + ".bad.2"), third);
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 2u);
}

TEST_F(FileTest, UnwritableDirectoryKeepsTheOldFile) {
    WriteText(FilePath(), kHandWritten);
    const std::string damaged = "Windows Registry Editor Version 5.00\n\n[A]\n\"X\"=dword:\n";
    ASSERT_EQ(chmod(FilePath().c_str(), 0644), 0);
    ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
    int result = RunUnprivileged([&] {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return 101;
        }
        DWORD value = 0;
        DWORD size = 4;
        if (RegQueryValueExW(key, u"PlayerCount", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            value != 3) {
            return 102;
        }
        LSTATUS status = SetDword(key, u"PlayerCount", 8);
        // A new key cannot be stored either, and says so.
        HKEY other = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\New", 0, nullptr, 0, KEY_READ, nullptr, &other,
                            nullptr) != ERROR_ACCESS_DENIED) {
            return 103;
        }
        return static_cast<int>(status);
    });
    EXPECT_EQ(result, ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadText(FilePath()), kHandWritten);
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"registry.reg"});

    // A damaged file that cannot be moved aside is not written over either.
    chmod(dir_.c_str(), 0755);
    WriteText(FilePath(), damaged);
    chmod(dir_.c_str(), 0555);
    result = RunUnprivileged([&] {
        HKEY key = nullptr;
        LSTATUS status =
            RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr);
        // ERROR_BADDB does not fit in an exit status.
        return status == ERROR_BADDB ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadText(FilePath()), damaged);
}

TEST_F(FileTest, DirectoryUnderARegularFileFails) {
    WriteText(base_ + "/plain", "a file, not a directory\n");
    reg::SetConfigDir(base_ + "/plain/tavilo");
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 6u);
    EXPECT_EQ(RegQueryValueExW(HKEY_CURRENT_USER, u"PlayerCount", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadText(base_ + "/plain"), "a file, not a directory\n");
}

// A file we cannot read may hold anything; writing a fresh one over it would
// lose all of it.
TEST_F(FileTest, UnreadableFileIsNotReplaced) {
    WriteText(FilePath(), kHandWritten);
    ASSERT_EQ(chmod(FilePath().c_str(), 0), 0);
    ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
    int result = RunUnprivileged([] {
        HKEY key = nullptr;
        return static_cast<int>(
            RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    });
    EXPECT_EQ(result, ERROR_ACCESS_DENIED);
    chmod(FilePath().c_str(), 0644);
    EXPECT_EQ(ReadText(FilePath()), kHandWritten);

    // A directory where the file should be is just as unreadable.
    std::filesystem::remove(FilePath());
    std::filesystem::create_directory(FilePath());
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_TRUE(std::filesystem::is_directory(FilePath()));
}

// The file-size limit makes write() fail part-way exactly as a full disk
// does, for root too, without needing a small file system.
TEST_F(FileTest, FullDiskKeepsTheOldFile) {
    WriteText(FilePath(), kHandWritten);
    HKEY key = Open(kGameKey, KEY_WRITE);
    int result = RunInChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {64, 64};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 100;
        }
        return static_cast<int>(SetDword(key, u"PlayerCount", 7));
    });
    EXPECT_EQ(result, ERROR_DISK_FULL);
    EXPECT_EQ(ReadText(FilePath()), kHandWritten);
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"registry.reg"});
    RegCloseKey(key);
}

}  // namespace

// Keys and handles: creating, opening, closing, access rights and names.
#include "registry_fixture.h"

namespace {

using KeyTest = RegistryTest;

TEST_F(KeyTest, FirstRunLeavesTheEmptyKeyInTheFile) {
    ASSERT_FALSE(Exists(FilePath()));
    DWORD disposition = 0;
    HKEY key = Open(kGameKey, KEY_READ, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(RegQueryValueExW(key, u"PlayerCount", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(FilePath()), "Windows Registry Editor Version 5.00\n\n[Software\\Menkor\\Tavilo]\n\n");
    struct stat st;
    ASSERT_EQ(stat(dir_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    key = Open(kGameKey, KEY_WRITE, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    ASSERT_EQ(SetDword(key, u"PlayerCount", 6), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadText(FilePath()),
              "Windows Registry Editor Version 5.00\n\n[Software\\Menkor\\Tavilo]\n\"PlayerCount\"=dword:00000006\n\n");
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"registry.reg"});
}

TEST_F(KeyTest, ConfigDirIsCreatedWithItsParents) {
    dir_ = base_ + "/a/b/c";
    reg::SetConfigDir(dir_);
    RegCloseKey(Open(kGameKey, KEY_READ));
    EXPECT_TRUE(Exists(dir_ + "/registry.reg"));
}

TEST_F(KeyTest, DefaultConfigDirFollowsXdgThenHome) {
    reg::SetConfigDir("");
    std::string oldXdg = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
    std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("XDG_CONFIG_HOME", "/xdg/here", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(reg::ConfigDir(), "/xdg/here/tavilo");
    EXPECT_EQ(reg::RegistryFilePath(), "/xdg/here/tavilo/registry.reg");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(reg::ConfigDir(), "/home/someone/.config/tavilo");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(reg::ConfigDir(), "/home/someone/.config/tavilo");
    reg::SetConfigDir("/given");
    EXPECT_EQ(reg::ConfigDir(), "/given");
    if (oldXdg.empty()) {
        unsetenv("XDG_CONFIG_HOME");
    } else {
        setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
    }
    setenv("HOME", oldHome.c_str(), 1);
}

TEST_F(KeyTest, NamesIgnoreCaseAndKeepTheFirstSpelling) {
    HKEY key = Open(kGameKey, KEY_ALL_ACCESS);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 3), ERROR_SUCCESS);
    RegCloseKey(key);

    DWORD disposition = 0;
    key = Open(u"SOFTWARE\\menkor\\TAVILO", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    ASSERT_EQ(SetDword(key, u"PLAYERCOUNT", 4), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadDword(u"software\\MENKOR\\tavilo", u"playercount", 6), 4u);

    // A parent of a stored key exists too, as on Windows.
    key = Open(u"Software\\MENKOR", KEY_READ, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(key);
    key = Open(u"SOFTWARE\\Other", KEY_READ, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(key);

    std::string text = ReadText(FilePath());
    EXPECT_EQ(text,
              "Windows Registry Editor Version 5.00\n\n"
              "[Software\\Menkor\\Tavilo]\n\"PlayerCount\"=dword:00000004\n\n"
              "[Software\\Other]\n\n");
}

TEST_F(KeyTest, HandlesAreCheckedAndNeverRevived) {
    HKEY first = Open(kGameKey, KEY_ALL_ACCESS);
    HKEY second = Open(kGameKey, KEY_READ);
    ASSERT_NE(first, second);
    ASSERT_EQ(SetDword(first, u"PlayerCount", 7), ERROR_SUCCESS);
    DWORD value = 0;
    DWORD size = sizeof value;
    ASSERT_EQ(RegQueryValueExW(second, u"PlayerCount", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 7u);

    EXPECT_EQ(RegCloseKey(first), ERROR_SUCCESS);
    // Opening more keys must not hand the closed value out again.
    HKEY third = Open(kGameKey, KEY_ALL_ACCESS);
    EXPECT_NE(third, first);
    EXPECT_EQ(SetDword(first, u"PlayerCount", 2), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExW(first, u"PlayerCount", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(first), ERROR_INVALID_HANDLE);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExW(first, u"Sub", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(sub, nullptr);
    // The other handle to the same key is unaffected.
    size = sizeof value;
    EXPECT_EQ(RegQueryValueExW(second, u"PlayerCount", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 7u);

    for (HKEY bogus : {static_cast<HKEY>(nullptr), reinterpret_cast<HKEY>(uintptr_t{0x1234}),
                       reinterpret_cast<HKEY>(uintptr_t{0x80000002})}) {
        EXPECT_EQ(SetDword(bogus, u"PlayerCount", 1), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCreateKeyExW(bogus, kGameKey, 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr),
                  ERROR_INVALID_HANDLE);
    }
    RegCloseKey(second);
    RegCloseKey(third);
}

TEST_F(KeyTest, ReadAccessCannotWrite) {
    HKEY writer = Open(kGameKey, KEY_WRITE);
    ASSERT_EQ(SetDword(writer, u"PlayerCount", 5), ERROR_SUCCESS);
    std::string before = ReadText(FilePath());
    HKEY reader = Open(kGameKey, KEY_READ);
    EXPECT_EQ(SetDword(reader, u"PlayerCount", 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadText(FilePath()), before);
    // And the reverse: KEY_WRITE does not include the right to query.
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(writer, u"PlayerCount", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    // Creating a sub-key needs the right on the parent; opening one does not.
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExW(reader, u"Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExW(writer, u"Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_SUCCESS);
    RegCloseKey(sub);
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExW(reader, u"sub", 0, nullptr, 0, KEY_READ, nullptr, &sub, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(sub);
    EXPECT_NE(ReadText(FilePath()).find("[Software\\Menkor\\Tavilo\\Sub]\n"), std::string::npos);
    RegCloseKey(reader);
    RegCloseKey(writer);
}

TEST_F(KeyTest, BadArgumentsFailCleanly) {
    HKEY key = reinterpret_cast<HKEY>(uintptr_t{1});
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_READ, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, nullptr, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    const WCHAR* badPaths[] = {u"\\Software", u"Software\\\\Menkor", u"\\", u"Software\\Line\nBreak",
                               u"Bad\xD800Surrogate"};
    for (const WCHAR* path : badPaths) {
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
                  ERROR_INVALID_PARAMETER);
    }
    std::u16string tooLong(256, u'x');
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, tooLong.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(Exists(FilePath()));

    // A trailing separator is accepted and ignored, as on Windows.
    DWORD disposition = 0;
    key = Open(u"Software\\Menkor\\Tavilo\\", KEY_READ, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 6u);

    // RegOpenKeyExW never creates.
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\menkor", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadText(FilePath()), "Windows Registry Editor Version 5.00\n\n[Software\\Menkor\\Tavilo]\n\n");
}

}  // namespace

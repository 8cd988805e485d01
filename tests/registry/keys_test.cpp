// Keys and handles: the first run, names without case, handles that were
// closed, and access rights.
#include "registry_fixture.h"

namespace {

using KeyTest = RegistryTest;

// The directory and its parents are made on the first run, private to the
// player.
TEST_F(KeyTest, FirstRunLeavesTheEmptyKeyInAPrivateDirectory) {
    DWORD disposition = 0;
    HKEY key = Open(kGameKey, KEY_READ, &disposition);
    EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 6u);
    EXPECT_EQ(ReadText(FilePath()), kSection + "\n");
    struct stat st;
    ASSERT_EQ(stat(dir_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // The next run finds the key and stores its first value.
    key = Open(kGameKey, KEY_WRITE, &disposition);
    EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});
    ASSERT_EQ(SetDword(key, u"PlayerCount", 6), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadText(FilePath()), kSection + "\"PlayerCount\"=dword:00000006\n\n");
    EXPECT_TRUE(OnlyTheFile());
}

// Beyond ASCII too: a key made as "Ärger" is the same key as "äRGER".
TEST_F(KeyTest, NamesIgnoreCaseAndKeepTheFirstSpelling) {
    HKEY key = Open(u"Software\\Menkor\\\u00c4rger", KEY_ALL_ACCESS);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 3), ERROR_SUCCESS);
    RegCloseKey(key);
    DWORD disposition = 0;
    key = Open(u"SOFTWARE\\menkor\\\u00e4RGER", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});
    ASSERT_EQ(SetDword(key, u"PLAYERCOUNT", 4), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadDword(u"software\\MENKOR\\\u00c4RGER", u"playercount", 6), 4u);
    // A parent of a stored key exists too, as on Windows, and a new key
    // beside it is filed under the spelling already there.
    key = Open(u"Software\\MENKOR", KEY_READ, &disposition);
    EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});
    RegCloseKey(key);
    key = Open(u"SOFTWARE\\Other", KEY_READ, &disposition);
    EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
    RegCloseKey(key);
    EXPECT_EQ(ReadText(FilePath()), kHeader + "[Software\\Menkor\\\xc3\x84rger]\n\"PlayerCount\"=dword:00000004\n\n"
                                              "[Software\\Other]\n\n");
}

// A closed handle stays invalid for good: if its number were handed out
// again, a stale write would land on some other key.
TEST_F(KeyTest, ClosedAndMadeUpHandlesAreRefused) {
    HKEY first = Open(kGameKey, KEY_ALL_ACCESS);
    HKEY second = Open(kGameKey, KEY_READ);
    ASSERT_EQ(SetDword(first, u"PlayerCount", 7), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(first), ERROR_SUCCESS);
    HKEY third = Open(u"Software\\Other", KEY_ALL_ACCESS);
    EXPECT_NE(third, first);
    DWORD value = 0;
    HKEY sub = nullptr;
    for (HKEY bad : {first, HKEY{}, reinterpret_cast<HKEY>(uintptr_t{0x1234}),
                     reinterpret_cast<HKEY>(uintptr_t{0x80000002})}) {
        EXPECT_EQ(SetDword(bad, u"PlayerCount", 2), ERROR_INVALID_HANDLE);
        EXPECT_EQ(GetDword(bad, u"PlayerCount", &value), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCreateKeyExW(bad, u"Sub", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_INVALID_HANDLE);
        EXPECT_EQ(sub, nullptr);
    }
    // The other handle to the same key is unaffected.
    EXPECT_EQ(GetDword(second, u"PlayerCount", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 7u);
    RegCloseKey(second);
    RegCloseKey(third);
}

TEST_F(KeyTest, AHandleHasOnlyTheRightsItAskedFor) {
    HKEY writer = Open(kGameKey, KEY_WRITE);
    ASSERT_EQ(SetDword(writer, u"PlayerCount", 5), ERROR_SUCCESS);
    std::string before = ReadText(FilePath());
    HKEY reader = Open(kGameKey, KEY_READ);
    EXPECT_EQ(SetDword(reader, u"PlayerCount", 2), ERROR_ACCESS_DENIED);
    DWORD value = 0;
    EXPECT_EQ(GetDword(writer, u"PlayerCount", &value), ERROR_ACCESS_DENIED);
    // Creating a sub-key needs the right on the parent.
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExW(reader, u"Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadText(FilePath()), before);
    RegCloseKey(reader);
    RegCloseKey(writer);
}

}  // namespace

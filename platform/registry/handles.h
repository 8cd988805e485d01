// Open registry keys. An HKEY names an entry of this table by a number that
// is never given out twice, so a closed handle stays invalid for good and
// can never come back to name some other key.
#pragma once

#include <mutex>
#include <string>

#include "../include/windows.h"

namespace reg {

// Access bits that the value calls check, as Win32 defines them.
constexpr DWORD KEY_QUERY_VALUE_BIT = 0x0001;
constexpr DWORD KEY_SET_VALUE_BIT = 0x0002;
constexpr DWORD KEY_CREATE_SUB_KEY_BIT = 0x0004;

struct OpenKey {
    std::u16string path;
    DWORD access = 0;
};

// Serialises the registry calls of all threads: each one reads and may
// rewrite the whole file.
std::mutex& RegistryMutex();

// Finds an open key, HKEY_CURRENT_USER included. Returns false for null,
// closed and made-up handles.
bool LookupKey(HKEY key, OpenKey& out);

}  // namespace reg

// The player count's limits, and its keeping in the registry between runs.
#include "options/options.h"

#include "shell/globals.h"

int32_t ClampPlayerCount(int32_t count) {
    if (count < MIN_PLAYERS) {
        return MIN_PLAYERS;
    }
    if (count > MAX_PLAYERS) {
        return MAX_PLAYERS;
    }
    return count;
}

void LoadPlayerCount() {
    // The registry is a text file a person can edit, so whatever it holds is
    // brought into 2 to 8; a value too large for 32 signed bits reads as
    // negative and so becomes the smallest count.
    const DWORD stored = RegReadDword(HKEY_CURRENT_USER, PLAYER_COUNT_KEY, PLAYER_COUNT_VALUE, DEFAULT_PLAYERS);
    g_playerCount = ClampPlayerCount(static_cast<int32_t>(stored));
}

void SavePlayerCount() {
    RegWriteDword(HKEY_CURRENT_USER, PLAYER_COUNT_KEY, PLAYER_COUNT_VALUE, static_cast<DWORD>(g_playerCount));
}

DWORD RegReadDword(HKEY root, LPCWSTR path, LPCWSTR name, DWORD fallback) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_READ, nullptr, &key, &disposition) != ERROR_SUCCESS) {
        return fallback;
    }
    // The buffer starts at zero, so a value stored with fewer than four
    // bytes reads as the little-endian number of the bytes it has.
    BYTE data[4] = {0, 0, 0, 0};
    DWORD size = sizeof data;
    DWORD result = fallback;
    if (RegQueryValueExW(key, name, nullptr, nullptr, data, &size) == ERROR_SUCCESS) {
        result = static_cast<DWORD>(data[0]) | (static_cast<DWORD>(data[1]) << 8) |
                 (static_cast<DWORD>(data[2]) << 16) | (static_cast<DWORD>(data[3]) << 24);
    }
    RegCloseKey(key);
    return result;
}

int RegWriteDword(HKEY root, LPCWSTR path, LPCWSTR name, DWORD value) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, &disposition) != ERROR_SUCCESS) {
        return 0;
    }
    const BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                          static_cast<BYTE>(value >> 24)};
    const LSTATUS stored = RegSetValueExW(key, name, 0, REG_DWORD, data, sizeof data);
    RegCloseKey(key);
    return stored == ERROR_SUCCESS ? 1 : 0;
}

// RegCreateKeyExW, RegOpenKeyExW and RegCloseKey over the registry file.
#include <map>

#include "handles.h"
#include "store.h"

namespace reg {

namespace {

std::map<uintptr_t, OpenKey> g_openKeys;
uintptr_t g_handlesMade = 0;

// Handles are spaced apart and start well above zero so that a small integer
// or a pointer into the table is never mistaken for one.
constexpr uintptr_t kHandleBase = 0x7E60000;
constexpr uintptr_t kHandleStep = 16;
constexpr size_t kMaxKeyNameLength = 255;

HKEY MakeHandle(const std::u16string& path, DWORD access) {
    ++g_handlesMade;
    uintptr_t value = kHandleBase + g_handlesMade * kHandleStep;
    g_openKeys[value] = OpenKey{path, access};
    return reinterpret_cast<HKEY>(value);
}

// Checks a sub-key path as the caller gave it and joins it to the parent's.
// Empty components and names that could not be written to the file's lines
// are refused rather than altered, so no key is ever stored under a name
// other than the one asked for.
LSTATUS JoinPath(const std::u16string& parent, LPCWSTR subKey, std::u16string& out) {
    std::u16string sub(subKey);
    if (!sub.empty() && sub.back() == u'\\') {
        // Windows accepts one trailing separator and ignores it.
        sub.pop_back();
        if (sub.empty()) {
            return ERROR_INVALID_PARAMETER;
        }
    }
    size_t start = 0;
    while (start <= sub.size() && !sub.empty()) {
        size_t end = sub.find(u'\\', start);
        if (end == std::u16string::npos) {
            end = sub.size();
        }
        size_t length = end - start;
        if (length == 0 || length > kMaxKeyNameLength) {
            return ERROR_INVALID_PARAMETER;
        }
        for (size_t i = start; i < end; ++i) {
            if (sub[i] == u'\r' || sub[i] == u'\n') {
                return ERROR_INVALID_PARAMETER;
            }
        }
        start = end + 1;
    }
    std::string utf8;
    if (!Utf16ToUtf8(sub, utf8)) {
        return ERROR_INVALID_PARAMETER;
    }
    out = parent;
    if (!out.empty() && !sub.empty()) {
        out.push_back(u'\\');
    }
    out += sub;
    return ERROR_SUCCESS;
}

}  // namespace

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

bool LookupKey(HKEY key, OpenKey& out) {
    if (key == HKEY_CURRENT_USER) {
        out = OpenKey{std::u16string(), KEY_ALL_ACCESS};
        return true;
    }
    auto it = g_openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (it == g_openKeys.end()) {
        return false;
    }
    out = it->second;
    return true;
}

// Creating and opening a key: *result cleared, then under the registry's
// lock the parent handle checked and the full path of the sub-key under it
// handed to body, which answers the call's status.
template <typename Body>
LSTATUS WithSubKey(HKEY key, LPCWSTR subKey, PHKEY result, Body body) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    try {
        std::lock_guard<std::mutex> guard(RegistryMutex());
        OpenKey parent;
        std::u16string path;
        if (!LookupKey(key, parent)) {
            return ERROR_INVALID_HANDLE;
        }
        if (subKey == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        LSTATUS status = JoinPath(parent.path, subKey, path);
        return status != ERROR_SUCCESS ? status : body(parent, path);
    } catch (...) {
        return ERROR_OUTOFMEMORY;
    }
}

}  // namespace reg

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD /*reserved*/, LPWSTR /*className*/, DWORD /*options*/,
                        DWORD access, void* /*security*/, PHKEY result, LPDWORD disposition) {
    return reg::WithSubKey(key, subKey, result, [&](const reg::OpenKey& parent, const std::u16string& path) {
        bool existed = false;
        {
            reg::Document doc;
            reg::LoadDocument(doc);
            existed = reg::KeyExists(doc, path);
        }
        if (!existed) {
            if ((parent.access & reg::KEY_CREATE_SUB_KEY_BIT) == 0) {
                return LSTATUS{ERROR_ACCESS_DENIED};
            }
            // Like Windows, a new key is stored at once, even before it holds
            // a value: the first run leaves the empty key in the file.
            LSTATUS status = reg::UpdateDocument([&](reg::Document& d) {
                if (reg::KeyExists(d, path)) {
                    existed = true;
                    return false;
                }
                reg::AddKey(d, reg::CanonicalPath(d, path));
                return true;
            });
            if (status != ERROR_SUCCESS) {
                return status;
            }
        }
        *result = reg::MakeHandle(path, access);
        if (disposition != nullptr) {
            *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
        }
        return LSTATUS{ERROR_SUCCESS};
    });
}

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD /*options*/, DWORD access, PHKEY result) {
    return reg::WithSubKey(key, subKey != nullptr ? subKey : u"", result,
                           [&](const reg::OpenKey&, const std::u16string& path) {
                               reg::Document doc;
                               reg::LoadDocument(doc);
                               if (!reg::KeyExists(doc, path)) {
                                   return LSTATUS{ERROR_FILE_NOT_FOUND};
                               }
                               *result = reg::MakeHandle(path, access);
                               return LSTATUS{ERROR_SUCCESS};
                           });
}

LSTATUS RegCloseKey(HKEY key) {
    std::lock_guard<std::mutex> guard(reg::RegistryMutex());
    if (key == HKEY_CURRENT_USER) {
        // Closing a predefined key is allowed on Windows and does nothing.
        return ERROR_SUCCESS;
    }
    return reg::g_openKeys.erase(reinterpret_cast<uintptr_t>(key)) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

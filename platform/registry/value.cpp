// RegQueryValueExW and RegSetValueExW. Queries read the file afresh, so a
// value written by another process is seen at once; sets write through.
#include <cstring>

#include "handles.h"
#include "store.h"

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
    try {
        std::lock_guard<std::mutex> guard(reg::RegistryMutex());
        reg::OpenKey open;
        if (!reg::LookupKey(key, open)) {
            return ERROR_INVALID_HANDLE;
        }
        if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
            return ERROR_INVALID_PARAMETER;
        }
        if ((open.access & reg::KEY_QUERY_VALUE_BIT) == 0) {
            return ERROR_ACCESS_DENIED;
        }
        reg::Document doc;
        reg::LoadDocument(doc);
        reg::Key* stored = reg::FindKey(doc, open.path);
        reg::Value* value = stored != nullptr ? reg::FindValue(*stored, valueName != nullptr ? valueName : u"")
                                              : nullptr;
        if (value == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (type != nullptr) {
            *type = value->type;
        }
        DWORD size = static_cast<DWORD>(value->data.size());
        // As on Win32: a buffer that is too small is left untouched and the
        // caller learns the size it needs; smaller data fills only part of a
        // larger buffer and the size says how much.
        if (data != nullptr) {
            if (*dataSize < size) {
                *dataSize = size;
                return ERROR_MORE_DATA;
            }
            if (size != 0) {
                std::memcpy(data, value->data.data(), size);
            }
        }
        if (dataSize != nullptr) {
            *dataSize = size;
        }
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_OUTOFMEMORY;
    }
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data,
                       DWORD dataSize) {
    try {
        std::lock_guard<std::mutex> guard(reg::RegistryMutex());
        reg::OpenKey open;
        if (!reg::LookupKey(key, open)) {
            return ERROR_INVALID_HANDLE;
        }
        if ((open.access & reg::KEY_SET_VALUE_BIT) == 0) {
            return ERROR_ACCESS_DENIED;
        }
        // A settings value of more than this is a caller's mistake, not a
        // setting, and a file holding it would be read as damaged.
        if ((data == nullptr && dataSize != 0) || dataSize > reg::kMaxValueBytes) {
            return ERROR_INVALID_PARAMETER;
        }
        std::u16string name(valueName != nullptr ? valueName : u"");
        std::string utf8;
        // A line break in a name would split its line in the file, and a
        // broken surrogate cannot be written as UTF-8 at all.
        if (name.find_first_of(u"\r\n") != std::u16string::npos || !reg::Utf16ToUtf8(name, utf8)) {
            return ERROR_INVALID_PARAMETER;
        }
        return reg::UpdateDocument([&](reg::Document& doc) {
            // The key may have been removed from the file by hand while this
            // handle was open; writing to it brings it back.
            reg::Key* stored = reg::FindKey(doc, open.path);
            if (stored == nullptr) {
                stored = &reg::AddKey(doc, reg::CanonicalPath(doc, open.path));
            }
            reg::SetValue(*stored, name, type, data, dataSize);
            return true;
        });
    } catch (...) {
        return ERROR_OUTOFMEMORY;
    }
}

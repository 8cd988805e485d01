// Accelerator tables: records of four WORDs (flags, key, command, 0) from the
// resource table, turned into WM_COMMAND by TranslateAcceleratorW.
#include "module.h"
#include "user_internal.h"

namespace {

constexpr WORD kRecordWords = 4;
constexpr LPARAM kAltBit = LPARAM{1} << 29;

const RESOURCE_ENTRY* TableFromHandle(HACCEL accel) {
    // The handle is the table's entry; only entries of the resource table
    // with the accelerator type are accepted.
    auto* entry = reinterpret_cast<const RESOURCE_ENTRY*>(accel);
    for (DWORD i = 0; i < g_resourceCount; ++i) {
        if (&g_resourceTable[i] == entry) {
            return entry->type == static_cast<WORD>(reinterpret_cast<ULONG_PTR>(RT_ACCELERATOR)) ? entry : nullptr;
        }
    }
    return nullptr;
}

bool RecordMatches(WORD flags, WORD key, const MSG& msg) {
    bool alt = (msg.lParam & kAltBit) != 0;
    if ((flags & FALT) != 0 && !alt) {
        return false;
    }
    if ((flags & FALT) == 0 && alt) {
        return false;
    }
    if (flags & FVIRTKEY) {
        // Shift and Control must be exactly as the record says, as in Win32:
        // a record for the plain key does not fire with Control held.
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        const bool control = GetKeyState(VK_CONTROL) < 0;
        if (((flags & FSHIFT) != 0) != shift || ((flags & FCONTROL) != 0) != control) {
            return false;
        }
        return (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == key;
    }
    // A character key: Alt with it arrives as WM_SYSCHAR, without it as WM_CHAR.
    return (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) && msg.wParam == key;
}

}  // namespace

HACCEL LoadAcceleratorsW(HINSTANCE, LPCWSTR tableName) {
    if (!IS_INTRESOURCE(tableName)) {
        return nullptr;
    }
    const RESOURCE_ENTRY* entry = user::FindResourceEntry(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(RT_ACCELERATOR)),
                                                        static_cast<WORD>(reinterpret_cast<ULONG_PTR>(tableName)));
    if (entry == nullptr || entry->data == nullptr || entry->size < kRecordWords * sizeof(WORD)) {
        return nullptr;
    }
    return reinterpret_cast<HACCEL>(const_cast<RESOURCE_ENTRY*>(entry));
}

int TranslateAcceleratorW(HWND hwnd, HACCEL accel, LPMSG msg) {
    const RESOURCE_ENTRY* table = TableFromHandle(accel);
    if (table == nullptr || msg == nullptr || hwnd == nullptr || user::FromHandle(hwnd) == nullptr) {
        return 0;
    }
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN && msg->message != WM_CHAR &&
        msg->message != WM_SYSCHAR) {
        return 0;
    }
    const WORD* words = static_cast<const WORD*>(table->data);
    DWORD count = table->size / (kRecordWords * sizeof(WORD));
    for (DWORD i = 0; i < count; ++i) {
        const WORD* record = words + i * kRecordWords;
        if (RecordMatches(record[0], record[1], *msg)) {
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(record[2], 1), 0);
            return 1;
        }
        if (record[0] & FLASTACCEL) {
            break;
        }
    }
    return 0;
}

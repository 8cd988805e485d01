// The drawing objects behind the typed handles, and the table that owns
// them. A handle carries the object's slot, its kind and the slot's
// generation, so a handle of the wrong kind, a deleted one or a made-up value
// is recognised on every call and answered with the Win32 failure value.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "font_data.h"
#include "region.h"
#include "windows.h"

namespace gdi {

struct BitmapObject {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, width per row; empty while shared
    // A bitmap loaded from a resource reads the decoded-once pixels that
    // every copy of that resource shares, until it is first drawn into.
    const uint32_t* shared = nullptr;

    const uint32_t* Read() const { return shared != nullptr ? shared : pixels.data(); }
    uint32_t* Write() {
        if (shared != nullptr) {
            pixels.assign(shared, shared + size_t(width) * size_t(height));
            shared = nullptr;
        }
        return pixels.data();
    }
};

struct PenObject {
    int style = PS_SOLID;
    int width = 1;  // 0 is drawn as 1, as Win32 does for cosmetic pens
    COLORREF color = 0;
};

struct BrushObject {
    bool hollow = false;
    COLORREF color = 0;
};

struct FontObject {
    // Null until first used for the stock fonts, which are resolved lazily so
    // that code drawing no text never needs the baked font data.
    const BakedFont* font = nullptr;
    int stockId = -1;
};

enum class DcKind : uint8_t { Memory, Screen };

struct DcObject {
    DcKind kind = DcKind::Memory;
    POINT origin{0, 0};      // screen DCs: the window's client origin in screen pixels
    Region clip;             // screen DCs: what the DC may draw into, already within the screen
    HBITMAP bitmap = nullptr;
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
};

enum class ObjectKind : uint8_t { Free = 0, Dc, Bitmap, Pen, Brush, Font };

using Object = std::variant<std::monostate, DcObject, BitmapObject, PenObject, BrushObject, FontObject>;

// Stores an object and returns its new handle; null when the table is full.
void* InsertObject(Object object, bool stock = false);

// The kind of the live object a handle names, or Free for anything else.
ObjectKind KindOf(const void* handle);

// The live object a handle names if it is of type T, else null. Objects
// marked for deferred deletion are still returned: they stay usable by the DCs
// that hold them.
Object* LookupObject(const void* handle);
template <class T>
T* Lookup(const void* handle) {
    Object* object = LookupObject(handle);
    return object ? std::get_if<T>(object) : nullptr;
}

// Whether DeleteObject has been called on a still-selected object.
bool IsDeletePending(const void* handle);

// DeleteObject's rule. Stock objects are never freed. An object that is
// selected into a DC is not freed at once but marked, and goes when the last
// DC lets go of it (Wine and Windows NT do the same); a marked object cannot
// be selected again. DCs are deleted through DeleteDC, not here.
bool DeleteGdiObject(void* handle);

// Selection counts, which keep selected objects alive.
void AddSelection(void* handle);
void DropSelection(void* handle);
int SelectionCount(const void* handle);

// Frees a DC's slot (DeleteDC, ReleaseScreenDC) after its selections were dropped.
void FreeDcSlot(void* handle);

// The number of live objects, for leak checks in tests.
int LiveObjectCount();

// The stock objects, created on first use. DefaultBitmap is the 1 x 1
// bitmap that every new memory DC holds.
void* StockObject(int id);
HBITMAP DefaultBitmap();

}  // namespace gdi

#include "object.h"

#include <deque>

namespace gdi {

namespace {

constexpr unsigned kIndexBits = 16;
constexpr unsigned kKindBits = 3;
constexpr unsigned kGenerationShift = kIndexBits + kKindBits;
// Generations use the rest of the handle's width less the top bit, so a
// stale handle is recognised until its slot has been reused that many times.
constexpr uintptr_t kGenerationMask = (~uintptr_t{0} >> (kGenerationShift + 1));
constexpr size_t kMaxSlots = size_t{1} << kIndexBits;

struct Slot {
    uintptr_t generation = 0;
    Object object;
    bool stock = false;
    bool deletePending = false;
    int selections = 0;
    uint32_t nextFree = 0;  // the free list's link while the slot is free
};

constexpr uint32_t kNoSlot = UINT32_MAX;

// Free slots are reused oldest first, to make generations last. The free
// list runs through the slots themselves, so that freeing and reusing a slot,
// which every tick does for its pens and DCs, never touches the heap.
struct Table {
    std::deque<Slot> slots;  // a deque keeps references stable as it grows
    uint32_t freeHead = kNoSlot;
    uint32_t freeTail = kNoSlot;
    int live = 0;
};

Table& TheTable() {
    static Table table;
    return table;
}

ObjectKind KindOfObject(const Object& object) {
    return static_cast<ObjectKind>(object.index());
}

void* Encode(uint32_t index, ObjectKind kind, uintptr_t generation) {
    uintptr_t value = (generation << kGenerationShift) | (uintptr_t(kind) << kIndexBits) | index;
    return reinterpret_cast<void*>(value);
}

Slot* Decode(const void* handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    uint32_t index = uint32_t(value & (kMaxSlots - 1));
    auto kind = ObjectKind((value >> kIndexBits) & ((1u << kKindBits) - 1));
    uintptr_t generation = value >> kGenerationShift;
    Table& table = TheTable();
    if (generation == 0 || index >= table.slots.size()) return nullptr;
    Slot& slot = table.slots[index];
    if (slot.generation != generation || KindOfObject(slot.object) != kind || kind == ObjectKind::Free) {
        return nullptr;
    }
    return &slot;
}

void FreeSlot(const void* handle) {
    Table& table = TheTable();
    uint32_t index = uint32_t(reinterpret_cast<uintptr_t>(handle) & (kMaxSlots - 1));
    Slot& slot = table.slots[index];
    slot.object = std::monostate{};
    slot.deletePending = false;
    slot.selections = 0;
    slot.nextFree = kNoSlot;
    if (table.freeTail == kNoSlot) {
        table.freeHead = index;
    } else {
        table.slots[table.freeTail].nextFree = index;
    }
    table.freeTail = index;
    --table.live;
}

}  // namespace

void* InsertObject(Object object, bool stock) {
    Table& table = TheTable();
    uint32_t index;
    if (table.freeHead != kNoSlot) {
        index = table.freeHead;
        table.freeHead = table.slots[index].nextFree;
        if (table.freeHead == kNoSlot) table.freeTail = kNoSlot;
    } else {
        if (table.slots.size() >= kMaxSlots) return nullptr;
        index = uint32_t(table.slots.size());
        table.slots.emplace_back();
    }
    Slot& slot = table.slots[index];
    slot.generation = (slot.generation + 1) & kGenerationMask;
    if (slot.generation == 0) slot.generation = 1;
    ObjectKind kind = KindOfObject(object);
    slot.object = std::move(object);
    slot.stock = stock;
    slot.deletePending = false;
    slot.selections = 0;
    ++table.live;
    return Encode(index, kind, slot.generation);
}

ObjectKind KindOf(const void* handle) {
    Slot* slot = Decode(handle);
    return slot ? KindOfObject(slot->object) : ObjectKind::Free;
}

Object* LookupObject(const void* handle) {
    Slot* slot = Decode(handle);
    return slot ? &slot->object : nullptr;
}

bool IsDeletePending(const void* handle) {
    Slot* slot = Decode(handle);
    return slot && slot->deletePending;
}

bool DeleteGdiObject(void* handle) {
    Slot* slot = Decode(handle);
    if (!slot || KindOfObject(slot->object) == ObjectKind::Dc) return false;
    if (slot->stock) return true;
    if (slot->selections > 0) {
        slot->deletePending = true;
        return true;
    }
    FreeSlot(handle);
    return true;
}

void AddSelection(void* handle) {
    if (Slot* slot = Decode(handle)) ++slot->selections;
}

void DropSelection(void* handle) {
    Slot* slot = Decode(handle);
    if (!slot) return;
    if (slot->selections > 0) --slot->selections;
    if (slot->selections == 0 && slot->deletePending) FreeSlot(handle);
}

int SelectionCount(const void* handle) {
    Slot* slot = Decode(handle);
    return slot ? slot->selections : 0;
}

void FreeDcSlot(void* handle) {
    if (KindOf(handle) == ObjectKind::Dc) FreeSlot(handle);
}

int LiveObjectCount() { return TheTable().live; }

void* StockObject(int id) {
    static void* stock[DEFAULT_GUI_FONT + 1] = {};
    if (id < 0 || id > DEFAULT_GUI_FONT) return nullptr;
    if (stock[id]) return stock[id];
    Object object;
    switch (id) {
        case WHITE_BRUSH: object = BrushObject{false, RGB(255, 255, 255)}; break;
        case LTGRAY_BRUSH: object = BrushObject{false, RGB(192, 192, 192)}; break;
        case GRAY_BRUSH: object = BrushObject{false, RGB(128, 128, 128)}; break;
        case DKGRAY_BRUSH: object = BrushObject{false, RGB(64, 64, 64)}; break;
        case BLACK_BRUSH: object = BrushObject{false, RGB(0, 0, 0)}; break;
        case NULL_BRUSH: object = BrushObject{true, 0}; break;
        case WHITE_PEN: object = PenObject{PS_SOLID, 1, RGB(255, 255, 255)}; break;
        case BLACK_PEN: object = PenObject{PS_SOLID, 1, RGB(0, 0, 0)}; break;
        case NULL_PEN: object = PenObject{PS_NULL, 1, 0}; break;
        case SYSTEM_FONT:
        case DEFAULT_GUI_FONT: object = FontObject{nullptr, id}; break;
        default: return nullptr;
    }
    stock[id] = InsertObject(std::move(object), true);
    return stock[id];
}

HBITMAP DefaultBitmap() {
    // Win32's default bitmap is a 1 x 1 monochrome one; ours has the one
    // pixel format, so it is a 1 x 1 black surface shared by every new memory DC.
    static void* bitmap = InsertObject(BitmapObject{1, 1, std::vector<uint32_t>(1, 0), nullptr}, true);
    return static_cast<HBITMAP>(bitmap);
}

}  // namespace gdi

HGDIOBJ GetStockObject(int object) { return gdi::StockObject(object); }

BOOL DeleteObject(HGDIOBJ object) { return gdi::DeleteGdiObject(object) ? TRUE : FALSE; }

#include "module.h"

namespace rt {

const RESOURCE_ENTRY* FindResourceEntry(WORD type, WORD id) {
    for (DWORD i = 0; i < g_resourceCount; ++i) {
        if (g_resourceTable[i].type == type && g_resourceTable[i].id == id) {
            return &g_resourceTable[i];
        }
    }
    return nullptr;
}

}  // namespace rt

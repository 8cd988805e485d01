// The registry file on disk: reading it, keeping a damaged one aside, and
// replacing it atomically. Every change re-reads the file first, because
// another process with the same config directory may have written it.
#pragma once

#include <functional>

#include "../include/wintypes.h"
#include "regtext.h"

namespace reg {

// The registry as the file holds it now. A missing, unreadable or damaged
// file reads as an empty registry, so that callers fall back to defaults; a
// damaged file is moved aside here so that the next write cannot clobber it.
void LoadDocument(Document& doc);

// Re-reads the file under a lock, lets change() edit the document and, if it
// returns true, writes the result to a temporary file in the same directory,
// flushes it and renames it over the old one. Returns ERROR_SUCCESS or the
// Win32 code of the failure; on failure the old file is left as it was.
LSTATUS UpdateDocument(const std::function<bool(Document&)>& change);

}  // namespace reg

// The registry's text in the settings store of the system seam: reading it,
// keeping damaged text aside, and replacing it atomically under the lock.
// What the store is (a file, a localStorage key) is the seam's business.
#include "store.h"

#include <string>

#include "../include/windows.h"
#include "runtime/system.h"

namespace reg {

namespace {

enum class TextState { Parsed, Missing, Damaged, Unreadable };

struct TextRead {
    TextState state = TextState::Missing;
    uint32_t error = ERROR_SUCCESS;
    std::string reason;
};

TextRead ReadRegistryText(Document& doc) {
    doc = Document{};
    TextRead result;
    std::string text;
    switch (sys::ReadSettings(kMaxFileBytes, &text, &result.error, &result.reason)) {
    case sys::SettingsState::Missing:
        result.state = TextState::Missing;
        return result;
    case sys::SettingsState::Unreadable:
        result.state = TextState::Unreadable;
        return result;
    case sys::SettingsState::TooLarge:
    case sys::SettingsState::Malformed:
        result.state = TextState::Damaged;
        return result;
    case sys::SettingsState::Read:
        break;
    }
    result.state = ParseDocument(text, doc, nullptr) ? TextState::Parsed : TextState::Damaged;
    if (result.state == TextState::Damaged) {
        doc = Document{};
    }
    return result;
}

// A failed save is the one failure of the settings said out loud: the
// program goes on as if nothing happened, but the count the player chose
// would otherwise be lost without a word. The same failure again (settings
// that must not be used, refused when the key is made at the start and
// again at the save) is not said twice in a row.
LSTATUS ReportFailedSave(LSTATUS status, const std::string& reason) {
    static std::string last;
    std::string line = sys::ProgramName() + ": could not save the settings to " + sys::SettingsName() + ": " + reason +
                       "; the file keeps what it held";
    if (line != last) {
        sys::ReportProblem(line);
        last = line;
    }
    return status;
}

}  // namespace

void LoadDocument(Document& doc) {
    TextRead read = ReadRegistryText(doc);
    if (read.state != TextState::Damaged) {
        return;
    }
    // Look again under the lock: another process may have moved the text
    // aside and written a good one since, and that one must not be moved.
    sys::SettingsLock lock;
    read = ReadRegistryText(doc);
    if (read.state == TextState::Damaged) {
        sys::KeepSettingsAside();
    }
}

LSTATUS UpdateDocument(const std::function<bool(Document&)>& change) {
    sys::SettingsLock lock;
    Document doc;
    TextRead read = ReadRegistryText(doc);
    if (read.state == TextState::Unreadable) {
        // We cannot see what the store holds, so writing over it could lose
        // every other value in it; and a file that is not a regular one is
        // not ours to replace.
        return ReportFailedSave(static_cast<LSTATUS>(read.error), read.reason);
    }
    if (read.state == TextState::Damaged && !sys::KeepSettingsAside()) {
        return ReportFailedSave(ERROR_BADDB, "the damaged file could not be kept aside");
    }
    if (!change(doc)) {
        return ERROR_SUCCESS;
    }
    // A file past the limits would be taken for damage at the next start,
    // and every value in it lost to the defaults: the old file is kept.
    if (EntryCount(doc) > kMaxEntries) {
        return ReportFailedSave(ERROR_NOT_ENOUGH_QUOTA, "it would hold more than 4096 keys, values and comments");
    }
    std::string text = SerializeDocument(doc);
    if (text.size() > kMaxFileBytes) {
        return ReportFailedSave(ERROR_NOT_ENOUGH_QUOTA, "it would grow past 1 MiB");
    }
    std::string reason;
    uint32_t status = sys::ReplaceSettings(text, &reason);
    return status == ERROR_SUCCESS ? ERROR_SUCCESS : ReportFailedSave(static_cast<LSTATUS>(status), reason);
}

}  // namespace reg

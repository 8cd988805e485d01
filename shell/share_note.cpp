// The desktop hosts' notes after sharing, in the program's language. A file
// of its own, so that the browser's program, which never asks for them,
// links none of their texts.
#include <string>

#include "phrases.h"
#include "user/module.h"
#include "user/program.h"

std::string DescribeShareNote(ShareNote note, const std::string& detail) {
    const res::ShareNotes& words = res::ShareNotesFor(user::ResourceLanguage());
    const char* pattern = nullptr;
    switch (note) {
        case ShareNote::Saved: pattern = words.saved; break;
        case ShareNote::SaveFailed: pattern = words.saveFailed; break;
        case ShareNote::Copied: pattern = words.copied; break;
        case ShareNote::CopyFailed: pattern = detail.empty() ? words.copyFailed : words.copyFailedBecause; break;
    }
    std::string out;
    res::AppendPhrase(out, pattern != nullptr ? pattern : "", [&detail](std::string& o, int) { o += detail; });
    return out;
}

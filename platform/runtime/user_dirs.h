// The XDG user directories file (user-dirs.dirs, written by xdg-user-dirs),
// read the way its own tools read it. Kept apart from the system file so
// that tests can give it any text.
#pragma once

#include <string>

namespace sys {

// The folder that text (the file's contents) gives for key, such as
// "XDG_PICTURES_DIR", with home put in for a leading "$HOME": lines are
// KEY="$HOME/relative" or KEY="/absolute", with \-escapes inside the
// quotes; the last such line for a key counts. Empty when the key is not there
// or its value has another form (a relative path, a variable other than
// $HOME, no quotes), which the tools ignore too.
std::string UserDirFromText(const std::string& text, const std::string& key, const std::string& home);

}  // namespace sys

// The registry behind RegCreateKeyExW and friends: one text file per user,
// HKEY_CURRENT_USER only. This header is for the hosts (--config-dir) and the
// tests; the game itself sees only the Win32 calls in windows.h.
#pragma once

#include <string>

namespace reg {

// The directory that holds registry.reg. The hosts set it from --config-dir;
// an empty string goes back to $XDG_CONFIG_HOME/tavilo (~/.config/tavilo).
void SetConfigDir(const std::string& dir);
std::string ConfigDir();

// The registry file itself: ConfigDir() + "/registry.reg". A file that could
// not be read as a registry is renamed to this path + ".bad" (or ".bad.1",
// ".bad.2", ... when earlier ones are still there). Empty when there is no
// directory to use at all (no home directory): reads then find nothing and
// writes fail.
std::string RegistryFilePath();

}  // namespace reg

// The folder given with --config-dir, shared by every system's twin of the
// seam: only where the settings live by default differs between systems.
#include <mutex>
#include <string>

#include "runtime/system.h"

namespace sys {

namespace {

std::mutex g_dirMutex;
std::string g_configDir;

}  // namespace

void SetConfigDir(const std::string& dir) {
    std::lock_guard<std::mutex> lock(g_dirMutex);
    g_configDir = dir;
}

std::string ConfigDir() {
    {
        std::lock_guard<std::mutex> lock(g_dirMutex);
        if (!g_configDir.empty()) {
            return g_configDir;
        }
    }
    return DefaultConfigDir();
}

}  // namespace sys

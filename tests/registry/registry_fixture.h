// Each registry test gets a config directory of its own under a fresh
// temporary directory, so tests never see one another's files or the user's.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "include/windows.h"
#include "registry/registry.h"

inline const WCHAR* const kGameKey = u"Software\\Menkor\\Tavilo";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "tavilo-reg-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        base_ = pattern;
        dir_ = base_ + "/config";
        reg::SetConfigDir(dir_);
    }

    void TearDown() override {
        reg::SetConfigDir("");
        namespace fs = std::filesystem;
        std::error_code ec;
        // Tests make directories read-only; give them back before removing.
        for (auto it = fs::recursive_directory_iterator(base_, ec); !ec && it != fs::end(it); it.increment(ec)) {
            if (it->is_directory(ec)) {
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
            }
        }
        fs::remove_all(base_, ec);
    }

    std::string FilePath() const { return dir_ + "/registry.reg"; }

    static bool Exists(const std::string& path) {
        struct stat st;
        return lstat(path.c_str(), &st) == 0;
    }

    static std::string ReadText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        return buffer.str();
    }

    static void WriteText(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }

    // Names in the config directory, so a test can see that no temporary
    // file was left behind.
    std::vector<std::string> DirEntries() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dir_, ec)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static HKEY Open(const WCHAR* path, DWORD access, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &key, disposition);
        EXPECT_EQ(status, ERROR_SUCCESS);
        return key;
    }

    static LSTATUS SetDword(HKEY key, const WCHAR* name, DWORD value) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }

    // The stored number, or the given default when the query fails: the way
    // the game reads its player count.
    static DWORD ReadDword(const WCHAR* path, const WCHAR* name, DWORD fallback) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return fallback;
        }
        DWORD value = 0;
        DWORD size = sizeof value;
        LSTATUS status = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? value : fallback;
    }

    // Runs fn in a child process that cannot ignore file permissions: as
    // root, the child drops to nobody first, so that a read-only directory
    // really is read-only to it.
    int RunUnprivileged(const std::function<int()>& fn) const { return RunInChild(fn, true); }

    // Runs fn in a child process, for limits and identities that must not
    // outlive the test. Returns fn's result, or -1 on trouble; without wait,
    // returns the child's process id at once.
    int RunInChild(const std::function<int()>& fn, bool dropRoot = false, bool wait = true) const {
        chmod(base_.c_str(), 0755);
        pid_t pid = fork();
        if (pid == 0) {
            if (dropRoot && geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
                _exit(255);
            }
            _exit(fn());
        }
        if (!wait) {
            return pid;
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
            return -1;
        }
        return WEXITSTATUS(status);
    }

    std::string base_;
    std::string dir_;
};

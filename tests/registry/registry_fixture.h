// Each registry test gets a config directory of its own under a fresh
// temporary directory, so tests never see one another's files or the user's.
#pragma once

#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "include/windows.h"
#include "runtime/system.h"

inline const WCHAR* const kGameKey = u"Software\\Menkor\\Tavilo";
inline const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
inline const std::string kSection = kHeader + "[Software\\Menkor\\Tavilo]\n";

class RegistryTest : public ::testing::Test {
protected:
    // The config directory lies two levels down, so that every test also
    // needs its parents made.
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "tavilo-reg-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        base_ = pattern;
        dir_ = base_ + "/config/tavilo";
        sys::SetConfigDir(dir_);
    }

    // Tests make the directory read-only; it is given back before removing.
    void TearDown() override {
        sys::SetConfigDir("");
        chmod(dir_.c_str(), 0700);
        std::error_code ec;
        std::filesystem::remove_all(base_, ec);
    }

    std::string FilePath() const { return dir_ + "/registry.reg"; }

    static std::string ReadText(const std::string& path) {
        std::stringstream buffer;
        buffer << std::ifstream(path, std::ios::binary).rdbuf();
        return buffer.str();
    }

    static void WriteText(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }

    // Whether the config directory holds the registry file and nothing else,
    // so a test can see that no temporary file was left behind.
    bool OnlyTheFile() const {
        std::filesystem::directory_iterator it(dir_), end;
        return it != end && it->path() == FilePath() && ++it == end;
    }

    static HKEY Open(const WCHAR* path, DWORD access, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &key, disposition),
                  ERROR_SUCCESS);
        return key;
    }

    static LSTATUS SetDword(HKEY key, const WCHAR* name, DWORD value) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }

    static LSTATUS GetDword(HKEY key, const WCHAR* name, DWORD* value) {
        DWORD size = sizeof *value;
        return RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    }

    // The stored number, or the given default when the key or the query
    // fails (a key that did not open stays null, which the query refuses):
    // the way the game reads its player count.
    static DWORD ReadDword(const WCHAR* path, const WCHAR* name, DWORD fallback) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr);
        DWORD value = 0;
        LSTATUS status = GetDword(key, name, &value);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? value : fallback;
    }

    // Starts fn in a child process, for limits and identities that must not
    // outlive the test. As root, a child that drops root becomes nobody, so
    // that a read-only directory really is read-only to it.
    pid_t Spawn(const std::function<int()>& fn, bool dropRoot = false) const {
        chmod(base_.c_str(), 0755);
        chmod((base_ + "/config").c_str(), 0755);
        pid_t pid = fork();
        if (pid == 0) {
            if (dropRoot && geteuid() == 0 && (setgroups(0, nullptr) || setgid(65534) || setuid(65534))) {
                _exit(255);
            }
            _exit(fn());
        }
        return pid;
    }

    // The child's exit status, or -1 when it did not end by exiting.
    static int Wait(pid_t pid) {
        int status = 0;
        return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string base_;
    std::string dir_;
};

// Scratch folders for tests that run the program or the demo as a process,
// and files read back whole.
// A run whose tests all pass removes them when it ends; a failing run keeps
// them, with the pictures and output a person needs to see what went wrong.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace testscratch {

class ScratchDirs : public ::testing::Environment {
public:
    void Add(std::string dir) { dirs_.push_back(std::move(dir)); }

    void TearDown() override {
        if (!::testing::UnitTest::GetInstance()->Passed()) return;
        std::error_code ignored;
        for (const std::string& dir : dirs_) std::filesystem::remove_all(dir, ignored);
    }

private:
    std::vector<std::string> dirs_;
};

// A new empty folder whose path starts with base, or "" when none can be
// made. Environments added while the tests run are still torn down at the end.
inline std::string MakeScratchDir(const std::string& base) {
    static ScratchDirs* const dirs = static_cast<ScratchDirs*>(::testing::AddGlobalTestEnvironment(new ScratchDirs));
    std::string pattern = base + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return "";
    dirs->Add(pattern);
    return pattern;
}

// The whole of a file, or "" when it cannot be read.
inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace testscratch

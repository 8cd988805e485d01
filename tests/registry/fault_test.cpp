// The file under faults a player or a crash can cause: special files and
// links in its place, saves killed half-way, saves that fail, and files far
// larger than the game writes.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>

#include "registry/regtext.h"
#include "registry_fixture.h"

namespace {

using FaultTest = RegistryTest;

// The files in dir whose names start with prefix.
std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) found.push_back(name);
    }
    return found;
}

// A FIFO once hung the start for ever; the child is stopped by an alarm so
// that a hang fails the test instead of stalling it.
TEST_F(FaultTest, AFifoInPlaceOfTheFileReadsAsDefaultsAndIsLeftAlone) {
    std::filesystem::create_directories(dir_);
    ASSERT_EQ(mkfifo(FilePath().c_str(), 0600), 0);
    int result = Wait(Spawn([] {
        alarm(10);
        if (ReadDword(kGameKey, u"PlayerCount", 6) != 6) return 101;
        HKEY key = nullptr;
        return static_cast<int>(
            RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    }));
    EXPECT_EQ(result, ERROR_ACCESS_DENIED) << "the read ended, and the write refused to replace the FIFO";
    struct stat st;
    ASSERT_EQ(lstat(FilePath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A link, relative or dangling, is written through: the link stays, its
// target gets the value, and the temporary lives beside the target.
TEST_F(FaultTest, ASymbolicLinkIsWrittenThrough) {
    std::string elsewhere = base_ + "/dotfiles";
    WriteText(elsewhere + "/tavilo.reg", kSection + "\"PlayerCount\"=dword:00000003\n");
    std::filesystem::create_directories(dir_);
    std::filesystem::create_symlink("../../dotfiles/tavilo.reg", FilePath());
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 3u);
    HKEY key = Open(kGameKey, KEY_WRITE);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 5), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::is_symlink(FilePath()));
    EXPECT_EQ(ReadText(elsewhere + "/tavilo.reg"), kSection + "\"PlayerCount\"=dword:00000005\n\n");
    EXPECT_EQ(FilesStartingWith(elsewhere, "."), std::vector<std::string>{});

    std::filesystem::remove(elsewhere + "/tavilo.reg");
    ASSERT_EQ(SetDword(key, u"PlayerCount", 7), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::is_symlink(FilePath()));
    EXPECT_EQ(ReadText(elsewhere + "/tavilo.reg"), kSection + "\"PlayerCount\"=dword:00000007\n\n");
}

// Kills at random moments of a save of a large file: the file is always
// whole (old or new, never torn or missing), no damaged file is ever kept
// aside, and the next start clears the temporaries the kills left, but
// nothing a person named.
TEST_F(FaultTest, KillsDuringSavesLeaveAWholeFileAndNoTemporaries) {
    std::string text = kSection + "\"PlayerCount\"=dword:00000001\n\n";
    for (int i = 0; i < 1000; ++i) {
        text += "[Software\\Filler\\Key" + std::to_string(i) + "]\n\"Value\"=\"some text to make saves slow\"\n\n";
    }
    WriteText(FilePath(), text);
    WriteText(FilePath() + ".backup", "mine");
    WriteText(dir_ + "/registry.reg.tmp-abcdef", "mine too");
    // Each child says after every save that it finished one, so the kill
    // can wait until the child is in its loop of saves and then strike at a
    // random moment within one save's length, however slow sanitizers or a
    // busy machine make starting and saving.
    std::mt19937 random(12);
    int kills = 0;
    int leftBehind = 0;
    for (; kills < 60; ++kills) {
        int saved[2];
        ASSERT_EQ(pipe(saved), 0);
        pid_t child = Spawn([&] {
            close(saved[0]);
            HKEY key = Open(kGameKey, KEY_WRITE);
            for (DWORD i = 1;; i = i % 9 + 1) {
                SetDword(key, u"PlayerCount", i);
                if (write(saved[1], "s", 1) != 1) return 1;
            }
        });
        close(saved[1]);
        char byte;
        ASSERT_EQ(read(saved[0], &byte, 1), 1) << "the child saved nothing";
        auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(read(saved[0], &byte, 1), 1) << "the child saved only once";
        auto oneSave = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        usleep(std::uniform_int_distribution<useconds_t>(0, static_cast<useconds_t>(oneSave.count()))(random));
        kill(child, SIGKILL);
        Wait(child);
        close(saved[0]);
        leftBehind += !FilesStartingWith(dir_, ".registry.reg.tmp-").empty();
        std::string now = ReadText(FilePath());
        ASSERT_EQ(now.size(), text.size()) << "after kill " << kills;
        reg::Document doc;
        ASSERT_TRUE(reg::ParseDocument(now, doc, nullptr)) << "after kill " << kills;
    }
    EXPECT_GT(leftBehind, 0) << "no kill landed inside a save, so the test saw nothing";
    EXPECT_EQ(Wait(Spawn([] { return static_cast<int>(ReadDword(kGameKey, u"PlayerCount", 99)); })) % 10 != 0,
              true) << "a new start reads one of the saved counts";
    EXPECT_EQ(FilesStartingWith(dir_, ".registry.reg.tmp-"), std::vector<std::string>{});
    EXPECT_EQ(FilesStartingWith(dir_, "registry.reg.bad"), std::vector<std::string>{});
    EXPECT_EQ(ReadText(FilePath() + ".backup"), "mine");
    EXPECT_EQ(ReadText(dir_ + "/registry.reg.tmp-abcdef"), "mine too");
}

// The file-size limit makes the save fail part-way exactly as a full disk
// does, for root too, without needing a small file system: the old file
// stays, no temporary is left, and the player hears of it in one line naming
// the file and the reason.
TEST_F(FaultTest, AFailedSaveSaysWhereAndWhy) {
    WriteText(FilePath(), kSection);
    // A pipe, not a file, for standard error: the size limit would cut a file.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    int result = Wait(Spawn([&] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {16, 16};
        if (dup2(pipeFds[1], 2) < 0 || setrlimit(RLIMIT_FSIZE, &limit) != 0) return 100;
        return static_cast<int>(SetDword(Open(kGameKey, KEY_WRITE), u"PlayerCount", 7));
    }));
    close(pipeFds[1]);
    char buffer[4096];
    ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    close(pipeFds[0]);
    EXPECT_EQ(result, ERROR_DISK_FULL);
    std::string said(buffer, got > 0 ? static_cast<size_t>(got) : 0);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(FilePath() + ": "), std::string::npos) << said;
    EXPECT_NE(said.find(std::strerror(EFBIG)), std::string::npos) << said;
    EXPECT_EQ(ReadText(FilePath()), kSection);
    EXPECT_TRUE(OnlyTheFile());
}

// Reading and saving cost work in step with the file's size: ten times the
// keys, or ten times the values in one key, is about ten times the name
// comparisons, where a scan per name would make it a hundred.
TEST_F(FaultTest, LoadAndSaveGrowInStepWithTheFile) {
    auto work = [&](int count, bool oneKey) {
        std::string text = kSection;
        for (int i = 0; i < count; ++i) {
            if (!oneKey) text += "[Software\\Many\\K" + std::to_string(i) + "]\n";
            text += "\"V" + std::to_string(i) + "\"=dword:00000001\n";
        }
        WriteText(FilePath(), text);
        uint64_t before = reg::NameComparisons();
        EXPECT_EQ(ReadDword(kGameKey, u"V0", 0), oneKey ? 1u : 0u);
        HKEY key = Open(kGameKey, KEY_WRITE);
        EXPECT_EQ(SetDword(key, u"PlayerCount", 4), ERROR_SUCCESS);
        RegCloseKey(key);
        return static_cast<double>(reg::NameComparisons() - before);
    };
    for (bool oneKey : {false, true}) {
        double ratio = work(2000, oneKey) / work(200, oneKey);
        EXPECT_GT(ratio, 5) << "the count follows the work";
        EXPECT_LT(ratio, 20) << (oneKey ? "values in one key" : "keys");
    }
}

}  // namespace

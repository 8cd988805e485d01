// Settings another user could have written or pointed elsewhere: the
// folders, links and file on the way are held to the checks OpenSSH makes
// of ~/.ssh, and settings that fail them are neither read nor written. A
// run as root in a user's folder leaves what it writes to that user.
//
// Several cases need a second user, which only root can play: they make
// files of other users with chown and run the player as nobody in a child.
// Elsewhere they are skipped, and say so.
#include <sys/stat.h>

#include <algorithm>

#include "registry_fixture.h"
#include "runtime/posix/ownership.h"

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
// A user with no name at all, who owns what another user planted.
constexpr uid_t kStranger = 43210;

#define NEEDS_ROOT()                                                                                  \
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to make files of other users and run as nobody"

class OwnershipTest : public RegistryTest {
protected:
    const std::string kThree = kSection + "\"PlayerCount\"=dword:00000003\n";

    struct Run {
        int status = -1;  // the child's result, or -1
        std::string said;  // what it wrote to standard error
    };

    // In a child, as nobody when asked: reads the count, and when it reads
    // as expected tries to save 5. The result is the save's status, or 200
    // when the read gave something else.
    Run ReadThenSave(DWORD expected, bool asNobody) {
        int pipeFds[2];
        EXPECT_EQ(pipe(pipeFds), 0);
        Run run;
        pid_t child = Spawn([&] {
            if (dup2(pipeFds[1], 2) < 0) return 100;
            if (ReadDword(kGameKey, u"PlayerCount", 6) != expected) return 200;
            HKEY key = nullptr;
            LSTATUS made = RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
            return static_cast<int>(made != ERROR_SUCCESS ? made : SetDword(key, u"PlayerCount", 5));
        }, asNobody);
        close(pipeFds[1]);
        char buffer[4096];
        ssize_t got;
        while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) run.said.append(buffer, static_cast<size_t>(got));
        close(pipeFds[0]);
        run.status = Wait(child);
        return run;
    }

    // A refused place: defaults read, the save refused in one line that
    // names the culprit, and nothing written.
    void ExpectRefused(const Run& run, const std::string& culprit, const std::string& why) {
        EXPECT_EQ(run.status, ERROR_ACCESS_DENIED) << "200: the settings were read; 0: they were saved. " << run.said;
        EXPECT_EQ(std::count(run.said.begin(), run.said.end(), '\n'), 1) << run.said;
        EXPECT_NE(run.said.find(culprit + " " + why), std::string::npos) << run.said;
    }

    void Own(const std::string& path, uid_t uid, gid_t gid, mode_t mode) {
        ASSERT_EQ(lchown(path.c_str(), uid, gid), 0) << path;
        ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
    }
};

TEST_F(OwnershipTest, AFolderOrFileOthersCanWriteIsNeitherReadNorWritten) {
    WriteText(FilePath(), kThree);
    ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
    ExpectRefused(ReadThenSave(6, false), dir_, "can be written by other users");
    EXPECT_EQ(ReadText(FilePath()), kThree);
    EXPECT_TRUE(OnlyTheFile());

    ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
    ASSERT_EQ(chmod(FilePath().c_str(), 0646), 0);
    ExpectRefused(ReadThenSave(6, false), FilePath(), "can be written by other users");
    EXPECT_EQ(ReadText(FilePath()), kThree);

    // A folder on the way counts as much as the settings folder itself.
    std::string open = base_ + "/config/open";
    WriteText(open + "/tavilo/registry.reg", kThree);
    ASSERT_EQ(chmod(open.c_str(), 0777), 0);
    sys::SetConfigDir(open + "/tavilo");
    ExpectRefused(ReadThenSave(6, false), open, "can be written by other users");
    ASSERT_EQ(chmod(open.c_str(), 0755), 0);
    EXPECT_EQ(ReadThenSave(3, false).status, 0) << "put right, the settings are used again";
}

// Debian gives every user a group of their own, and a folder of that group
// is as private as the user's own. A group shared with others is not.
TEST_F(OwnershipTest, GroupWriteIsFineOnlyForTheUsersPrivateGroup) {
    WriteText(FilePath(), kThree);
    if (!sys::posix::IsPrivateGroup(geteuid(), getegid())) {
        GTEST_SKIP() << "the group of this user (" << getegid() << ") is not a private group";
    }
    Own(dir_, geteuid(), getegid(), 0770);
    Own(FilePath(), geteuid(), getegid(), 0660);
    Run run = ReadThenSave(3, false);
    EXPECT_EQ(run.status, 0) << run.said;
    EXPECT_EQ(ReadDword(kGameKey, u"PlayerCount", 6), 5u);
    struct stat st;
    ASSERT_EQ(stat(FilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0660u) << "the save kept the file's permissions";

    NEEDS_ROOT();
    Own(dir_, 0, kNoGroup, 0770);
    ExpectRefused(ReadThenSave(6, false), dir_, "can be written by other users");
}

// Another user who can write the settings folder plants a link to the
// player's own notes: the save used to move the notes aside and write the
// settings in their place.
TEST_F(OwnershipTest, ALinkPlantedByAnotherUserLeavesThePlayersFilesAlone) {
    NEEDS_ROOT();
    std::string notes = base_ + "/config/notes.txt";
    WriteText(notes, "my notes\n");
    Own(notes, kNobody, kNoGroup, 0600);
    Own(base_ + "/config", kNobody, kNoGroup, 0755);
    std::filesystem::create_directories(dir_);
    Own(dir_, kNobody, kNoGroup, 0777);
    ASSERT_EQ(symlink("../notes.txt", FilePath().c_str()), 0);
    ASSERT_EQ(lchown(FilePath().c_str(), kStranger, kStranger), 0);
    ExpectRefused(ReadThenSave(6, true), dir_, "can be written by other users");
    EXPECT_EQ(ReadText(notes), "my notes\n");
    EXPECT_TRUE(std::filesystem::is_symlink(FilePath()));
    EXPECT_FALSE(std::filesystem::exists(notes + ".bad"));

    // In a sticky shared folder such as /tmp the kernel follows only the
    // follower's own links, and so does the program: a folder name there
    // that another user made into a link is refused, the player's own is
    // followed.
    std::filesystem::remove(FilePath());
    Own(dir_, kNobody, kNoGroup, 0700);
    WriteText(FilePath(), kThree);
    Own(FilePath(), kNobody, kNoGroup, 0600);
    std::string shared = base_ + "/shared";
    std::filesystem::create_directories(shared);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    ASSERT_EQ(symlink(dir_.c_str(), (shared + "/tavilo").c_str()), 0);
    ASSERT_EQ(lchown((shared + "/tavilo").c_str(), kStranger, kStranger), 0);
    sys::SetConfigDir(shared + "/tavilo");
    ExpectRefused(ReadThenSave(6, true), shared + "/tavilo", "is a link another user made in a shared folder");
    ASSERT_EQ(lchown((shared + "/tavilo").c_str(), kNobody, kNoGroup), 0);
    Run own = ReadThenSave(3, true);
    EXPECT_EQ(own.status, 0) << own.said;
    EXPECT_EQ(ReadText(FilePath()), kSection + "\"PlayerCount\"=dword:00000005\n\n");
}

// A link of the player's own to a folder another user owns is not followed:
// that user could swap the file under it for anything.
TEST_F(OwnershipTest, ALinkIntoAnotherUsersFolderIsNotFollowed) {
    NEEDS_ROOT();
    std::string theirs = base_ + "/theirs";
    WriteText(theirs + "/tavilo.reg", kThree);
    Own(theirs, kStranger, kStranger, 0755);
    Own(theirs + "/tavilo.reg", kStranger, kStranger, 0644);
    std::filesystem::create_directories(dir_);
    Own(dir_, kNobody, kNoGroup, 0755);
    ASSERT_EQ(symlink((theirs + "/tavilo.reg").c_str(), FilePath().c_str()), 0);
    ASSERT_EQ(lchown(FilePath().c_str(), kNobody, kNoGroup), 0);
    ExpectRefused(ReadThenSave(6, true), theirs, "belongs to another user");
    EXPECT_EQ(ReadText(theirs + "/tavilo.reg"), kThree);
}

// Root saving in a user's folder used to leave a file of root's, mode 0600,
// which the user could then neither read nor replace.
TEST_F(OwnershipTest, ARunAsRootLeavesTheUsersFilesTheUsers) {
    NEEDS_ROOT();
    WriteText(FilePath(), kThree);
    Own(base_ + "/config", kNobody, kNoGroup, 0755);
    Own(dir_, kNobody, kNoGroup, 0700);
    Own(FilePath(), kNobody, kNoGroup, 0640);
    HKEY key = Open(kGameKey, KEY_WRITE);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 4), ERROR_SUCCESS);
    struct stat st;
    ASSERT_EQ(stat(FilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNoGroup);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadThenSave(4, true).status, 0) << "the user reads and saves after root";

    // What root makes there for the first time is the user's as well.
    std::filesystem::remove_all(dir_);
    ASSERT_EQ(SetDword(key, u"PlayerCount", 7), ERROR_SUCCESS);
    RegCloseKey(key);
    for (const std::string& made : {dir_, FilePath()}) {
        ASSERT_EQ(stat(made.c_str(), &st), 0) << made;
        EXPECT_EQ(st.st_uid, kNobody) << made;
        EXPECT_EQ(st.st_gid, kNoGroup) << made;
    }
    EXPECT_EQ(ReadThenSave(7, true).status, 0);
}

}  // namespace

// One copy at a time, across real processes of the demonstration program.
#include <gtest/gtest.h>

#include "process.h"

using namespace usertest;

namespace {

bool HasSocket(const std::string& dir) {
    for (const std::string& name : ListDir(dir)) {
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".sock") == 0) return true;
    }
    return false;
}

TEST(SingleInstance, ASecondCopyBringsTheFirstToTheFrontAndEnds) {
    std::string dir = MakeTempDir();
    DemoProcess first(dir);
    first.Write("state\n");
    ASSERT_NE(first.ReadLine(), "") << "the first copy runs";
    EXPECT_TRUE(HasSocket(dir));

    ProcessResult second = RunDemo({"--config-dir", dir, "-"}, "state\n");
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out, "") << "the second copy made no window and read no script";

    first.Write("wait 10\nstate\n");
    ASSERT_NE(first.ReadLine(), "");
    EXPECT_NE(first.Errors().find("asked to bring the window to the front"), std::string::npos) << first.Errors();
    EXPECT_EQ(first.Finish(), 0);
    EXPECT_FALSE(HasSocket(dir)) << "a clean end removes the socket";
}

TEST(SingleInstance, ACrashedCopyDoesNotBlockTheNextStart) {
    std::string dir = MakeTempDir();
    {
        DemoProcess crashing(dir);
        crashing.Write("state\n");
        ASSERT_NE(crashing.ReadLine(), "");
        crashing.Kill();
    }
    ASSERT_TRUE(HasSocket(dir)) << "the killed copy left its socket";
    ProcessResult next = RunDemo({"--config-dir", dir, "-"}, "state\n");
    EXPECT_EQ(next.exitCode, 0);
    EXPECT_NE(next.out.find("\"ticks\":0"), std::string::npos) << "it started: " << next.out << next.err;

    // And the one that took over is found in its turn.
    DemoProcess taken(dir);
    taken.Write("state\n");
    ASSERT_NE(taken.ReadLine(), "");
    ProcessResult third = RunDemo({"--config-dir", dir, "-"}, "state\n");
    EXPECT_EQ(third.out, "");
    EXPECT_EQ(taken.Finish(), 0);
}

TEST(SingleInstance, CopiesWithDifferentConfigDirectoriesDoNotSeeEachOther) {
    std::string a = MakeTempDir();
    std::string b = MakeTempDir();
    DemoProcess first(a);
    first.Write("state\n");
    ASSERT_NE(first.ReadLine(), "");
    ProcessResult other = RunDemo({"--config-dir", b, "-"}, "state\n");
    EXPECT_NE(other.out.find("\"ticks\":0"), std::string::npos);
    EXPECT_EQ(first.Finish(), 0);
}

}  // namespace

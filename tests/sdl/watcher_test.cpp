// The descriptor watch: one notification per readable state, handed over
// only after the host has taken the previous one and waits again, and none
// from a watch that has ended.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <unistd.h>

#include "watcher.h"

namespace sdlhost {
namespace {

using namespace std::chrono_literals;

class WatcherTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(pipe(fds), 0); }
    void TearDown() override {
        watcher.Watch(-1);
        close(fds[0]);
        close(fds[1]);
    }
    // The number of notifications once there are count of them or the time
    // is up; a short wait shows that no more come.
    int Count(int count, std::chrono::milliseconds wait = 2000ms) {
        auto end = std::chrono::steady_clock::now() + wait;
        while (notes < count && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(1ms);
        }
        return notes;
    }

    // Watches the pipe and makes it readable, then waits for the notification.
    void WatchAReadablePipe() {
        watcher.Watch(fds[0]);
        ASSERT_EQ(write(fds[1], "x", 1), 1);
        ASSERT_EQ(Count(1), 1);
    }
    // Takes the notification and empties the pipe before the next wait.
    void TakeDrainAndWaitAgain() {
        ASSERT_TRUE(watcher.Receive(last));
        char byte;
        ASSERT_EQ(read(fds[0], &byte, 1), 1);
        watcher.Rearm();
    }

    int fds[2] = {-1, -1};
    std::atomic<int> notes{0};
    std::atomic<uint32_t> last{0};  // the generation of the latest notification
    DescriptorWatcher watcher{[this](uint32_t generation) {
        last = generation;
        ++notes;
    }};
};

TEST_F(WatcherTest, OneNotificationPerReadableStateOnlyOnceTakenAndWaitedFor) {
    watcher.Watch(fds[0]);
    EXPECT_EQ(Count(1, 30ms), 0);  // nothing to read yet
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    ASSERT_EQ(Count(1), 1);
    // Still readable, but a wait that starts before the notification was
    // taken must not bring a second one.
    watcher.Rearm();
    EXPECT_EQ(Count(2, 50ms), 1);
    // Taken, then the next wait: still readable, so it fires again.
    ASSERT_TRUE(watcher.Receive(last));
    watcher.Rearm();
    EXPECT_EQ(Count(2), 2);
}

TEST_F(WatcherTest, ANotificationQueuedWhenTheWatchChangedIsStale) {
    WatchAReadablePipe();
    // The new watch sees the byte that is still there.
    uint32_t old = last;
    watcher.Watch(fds[0]);
    EXPECT_FALSE(watcher.Receive(old));
    EXPECT_EQ(Count(2), 2);
}

TEST_F(WatcherTest, APipeDrainedBeforeTheNextWaitStaysQuiet) {
    WatchAReadablePipe();
    TakeDrainAndWaitAgain();
    EXPECT_EQ(Count(2, 50ms), 1);
}

TEST_F(WatcherTest, StoppingAWatchBlockedInPollReturnsAtOnceAndReportsNothingAfterwards) {
    WatchAReadablePipe();
    TakeDrainAndWaitAgain();
    EXPECT_EQ(Count(2, 30ms), 1);  // blocked in poll() by now
    auto start = std::chrono::steady_clock::now();
    watcher.Watch(-1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
    EXPECT_FALSE(watcher.Receive(last));
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    EXPECT_EQ(Count(2, 30ms), 1);
}

}  // namespace
}  // namespace sdlhost

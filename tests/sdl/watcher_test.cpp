// The descriptor watch: one notification per readable state, handed over
// only after the host has taken the previous one, and none from a watch that
// has ended.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <unistd.h>
#include <vector>

#include "watcher.h"

namespace sdlhost {
namespace {

using namespace std::chrono_literals;

class Notifications {
public:
    void Add(uint32_t generation) {
        std::lock_guard<std::mutex> lock(mutex_);
        received_.push_back(generation);
        changed_.notify_all();
    }
    // Waits up to the timeout for at least count notifications.
    bool WaitFor(size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return received_.size() >= count; });
    }
    std::vector<uint32_t> All() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<uint32_t> received_;
};

class Pipe {
public:
    Pipe() { EXPECT_EQ(pipe(fds_), 0); }
    ~Pipe() {
        close(fds_[0]);
        close(fds_[1]);
    }
    int ReadEnd() const { return fds_[0]; }
    void Write() { ASSERT_EQ(write(fds_[1], "x", 1), 1); }
    void Drain() {
        char byte;
        ASSERT_EQ(read(fds_[0], &byte, 1), 1);
    }

private:
    int fds_[2] = {-1, -1};
};

TEST(DescriptorWatcher, NotifiesWhenTheDescriptorBecomesReadable) {
    Notifications notes;
    DescriptorWatcher watcher([&](uint32_t g) { notes.Add(g); });
    Pipe pipe;
    watcher.Watch(pipe.ReadEnd());
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(notes.All().empty());  // nothing to read yet
    pipe.Write();
    ASSERT_TRUE(notes.WaitFor(1, 2000ms));
    EXPECT_TRUE(watcher.Receive(notes.All()[0]));
}

TEST(DescriptorWatcher, StaysQuietUntilTheNotificationIsReceivedAndTheHostWaitsAgain) {
    Notifications notes;
    DescriptorWatcher watcher([&](uint32_t g) { notes.Add(g); });
    Pipe pipe;
    watcher.Watch(pipe.ReadEnd());
    pipe.Write();
    ASSERT_TRUE(notes.WaitFor(1, 2000ms));
    // The descriptor stays readable, but a wait that starts before the
    // notification was taken must not produce a second one.
    watcher.Rearm();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(notes.All().size(), 1u);
    // Taken, then the next wait: still readable, so it fires again.
    ASSERT_TRUE(watcher.Receive(notes.All()[0]));
    watcher.Rearm();
    ASSERT_TRUE(notes.WaitFor(2, 2000ms));
    // Drained before the next wait: quiet.
    ASSERT_TRUE(watcher.Receive(notes.All()[1]));
    pipe.Drain();
    watcher.Rearm();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(notes.All().size(), 2u);
}

TEST(DescriptorWatcher, ANotificationFromAnEndedWatchIsStale) {
    Notifications notes;
    DescriptorWatcher watcher([&](uint32_t g) { notes.Add(g); });
    Pipe first;
    Pipe second;
    watcher.Watch(first.ReadEnd());
    first.Write();
    ASSERT_TRUE(notes.WaitFor(1, 2000ms));
    watcher.Watch(second.ReadEnd());
    EXPECT_FALSE(watcher.Receive(notes.All()[0]));
    second.Write();
    ASSERT_TRUE(notes.WaitFor(2, 2000ms));
    EXPECT_TRUE(watcher.Receive(notes.All()[1]));
    watcher.Watch(-1);
    EXPECT_FALSE(watcher.Receive(notes.All()[1]));
}

TEST(DescriptorWatcher, StoppingReturnsPromptlyWhileThreadIsBlocked) {
    Notifications notes;
    DescriptorWatcher watcher([&](uint32_t g) { notes.Add(g); });
    Pipe pipe;
    watcher.Watch(pipe.ReadEnd());
    auto start = std::chrono::steady_clock::now();
    watcher.Watch(-1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
    pipe.Write();
    std::this_thread::sleep_for(30ms);
    EXPECT_TRUE(notes.All().empty());
}

}  // namespace
}  // namespace sdlhost

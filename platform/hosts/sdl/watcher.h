// Wakes the host's event wait when a file descriptor becomes readable (the
// single-instance socket), without polling on a timer.
//
// A small thread blocks in poll() on the descriptor and calls notify once it
// is readable; notify pushes an SDL user event, which also wakes a blocked
// SDL_WaitEventTimeout. The thread then waits until the host waits again
// after receiving the notification (Rearm) before it polls once more: by then the program has handled the
// wake and drained the descriptor, so one readable state gives one wake
// and the thread never spins on a descriptor that stays readable meanwhile.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace sdlhost {

class DescriptorWatcher {
public:
    // notify runs on the watcher thread with the generation of the watch
    // that fired; it must be thread-safe.
    explicit DescriptorWatcher(std::function<void(uint32_t)> notify);
    ~DescriptorWatcher();
    DescriptorWatcher(const DescriptorWatcher&) = delete;
    DescriptorWatcher& operator=(const DescriptorWatcher&) = delete;

    // Watches fd from now on (fd < 0: watches nothing). Returns only once any
    // previous watch has stopped, so the caller may close the old descriptor.
    void Watch(int fd);

    // The host received the notification with this generation. Returns
    // whether it belongs to the descriptor watched now rather than to one
    // watched before (a stale one is to be dropped).
    bool Receive(uint32_t generation);

    // Called at the start of every wait: once the notification has been
    // received, lets the thread poll again. Re-arming only after receipt
    // keeps a notification still queued behind other input from being
    // followed by a second one for the same readable state.
    void Rearm();

private:
    void Stop();
    void Run(int fd, int stopFd, uint32_t generation);

    std::function<void(uint32_t)> notify_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
    int stopPipe_[2] = {-1, -1};
    uint32_t generation_ = 0;
    bool watching_ = false;
    bool armed_ = false;
    bool fired_ = false;
    bool received_ = false;
    bool stopping_ = false;
};

}  // namespace sdlhost

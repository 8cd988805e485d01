#include "watcher.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace sdlhost {

DescriptorWatcher::DescriptorWatcher(std::function<void(uint32_t)> notify) : notify_(std::move(notify)) {}

DescriptorWatcher::~DescriptorWatcher() { Stop(); }

void DescriptorWatcher::Watch(int fd) {
    Stop();
    if (fd < 0) {
        return;
    }
    if (pipe2(stopPipe_, O_CLOEXEC) != 0) {
        stopPipe_[0] = stopPipe_[1] = -1;
        return;
    }
    uint32_t generation;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        generation = ++generation_;
        watching_ = true;
        armed_ = true;
        fired_ = false;
        received_ = false;
        stopping_ = false;
    }
    thread_ = std::thread(&DescriptorWatcher::Run, this, fd, stopPipe_[0], generation);
}

void DescriptorWatcher::Rearm() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fired_ && received_) {
        fired_ = false;
        received_ = false;
        armed_ = true;
        changed_.notify_one();
    }
}

bool DescriptorWatcher::Receive(uint32_t generation) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!watching_ || generation != generation_) {
        return false;
    }
    received_ = true;
    return true;
}

void DescriptorWatcher::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        watching_ = false;
        changed_.notify_one();
    }
    // The thread may be inside poll(); a byte on the stop pipe ends that.
    char byte = 0;
    ssize_t written;
    do {
        written = write(stopPipe_[1], &byte, 1);
    } while (written < 0 && errno == EINTR);
    thread_.join();
    close(stopPipe_[0]);
    close(stopPipe_[1]);
    stopPipe_[0] = stopPipe_[1] = -1;
}

void DescriptorWatcher::Run(int fd, int stopFd, uint32_t generation) {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return armed_ || stopping_; });
            if (stopping_) {
                return;
            }
            armed_ = false;
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        int ready = poll(fds, 2, -1);
        if (ready < 0 && errno != EINTR) {
            return;
        }
        if (ready > 0 && fds[1].revents != 0) {
            return;
        }
        // A descriptor closed under the watch cannot become readable again.
        if (ready > 0 && (fds[0].revents & POLLNVAL) != 0) {
            return;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (ready > 0 && fds[0].revents != 0) {
            fired_ = true;
            notify_(generation);
        } else {
            armed_ = true;  // interrupted by a signal: poll again
        }
    }
}

}  // namespace sdlhost

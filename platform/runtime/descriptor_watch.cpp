#include "descriptor_watch.h"

namespace {

rt::DescriptorWatch g_watch = nullptr;

}  // namespace

namespace rt {

void SetDescriptorWatch(DescriptorWatch watch) { g_watch = watch; }

void WatchDescriptor(int fd) {
    if (g_watch != nullptr) {
        g_watch(fd);
    }
}

}  // namespace rt

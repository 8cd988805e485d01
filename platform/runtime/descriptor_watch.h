// How a host on a system with file descriptors learns that one of the
// system services' descriptors (the single-instance socket) wants attention.
// The host registers a watch when it starts; the services name the
// descriptor they listen on, or -1 when they stop. The host then turns
// readiness into an event of its own wait. Hosts on systems without
// descriptors never register one, and the services there never call it.
#pragma once

namespace rt {

using DescriptorWatch = void (*)(int fd);

void SetDescriptorWatch(DescriptorWatch watch);

// Hands fd to the registered watch; nothing without one. With fd < 0 the
// watch stops, and returns only once it no longer uses the old descriptor.
void WatchDescriptor(int fd);

}  // namespace rt

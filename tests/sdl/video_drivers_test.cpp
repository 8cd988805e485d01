// Which desktop the host asks SDL for, and how it names what it tried when
// that fails: an empty variable counts as unset, and X comes first.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "video_drivers.h"

namespace sdlhost {
namespace {

TEST(DesktopDisplays, DriversAndNamesFollowTheVariablesThatAreSet) {
    struct Case {
        const char* x11;
        const char* wayland;
        const char* drivers;
        std::string names;
    };
    for (const Case& c : std::vector<Case>{
             {nullptr, nullptr, nullptr, ""},
             {"", "", nullptr, ""},
             {":99", nullptr, "x11", "the X display :99"},
             {"", "wayland-1", "wayland", "the Wayland display wayland-1"},
             {"host:0.1", "wayland-0", "x11,wayland", "the X display host:0.1 or the Wayland display wayland-0"},
         }) {
        const char* drivers = DesktopVideoDrivers(c.x11, c.wayland);
        EXPECT_EQ(drivers == nullptr ? std::string("(none)") : std::string(drivers),
                  c.drivers == nullptr ? std::string("(none)") : std::string(c.drivers));
        EXPECT_EQ(DesktopDisplayNames(c.x11, c.wayland), c.names);
    }
}

}  // namespace
}  // namespace sdlhost

// Telling, before Qt starts, that there is no display to show the window on.

#include "editor/DisplayCheck.h"

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace orv::test {
namespace {

TEST(DisplayCheck, OnlyPlatformsThatNeedADisplayWithoutOneAreRefused)
{
    // QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY, the arguments, and whether a display is missing.
    const std::tuple<const char*, const char*, const char*, std::vector<const char*>, bool> cases[] = {
        {nullptr, nullptr, nullptr, {}, true},
        {"", "", "", {}, true}, // empty counts as unset
        {nullptr, ":0", nullptr, {}, false},
        {nullptr, nullptr, "wayland-0", {}, false},
        {"wayland-egl;xcb:nograb", nullptr, nullptr, {}, true},
        {"wayland;offscreen", nullptr, nullptr, {}, false}, // Qt falls back to one that needs none
        {"xcb", nullptr, nullptr, {"-platform", "offscreen"}, false},
        {nullptr, nullptr, nullptr, {"--platform", "vnc"}, false},
        {nullptr, nullptr, nullptr, {"-display", ":1"}, false},
        {nullptr, nullptr, nullptr, {"file.strdef"}, true},
    };
    for (const auto& [platform, x11, wayland, arguments, missing] : cases) {
        std::vector<const char*> argv{"orvane-text-editor"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        EXPECT_EQ(IsDisplayMissing(static_cast<int>(argv.size()), argv.data(), {platform, x11, wayland}),
                  missing)
            << (platform ? platform : "(unset)") << " with " << arguments.size() << " arguments";
    }
}

} // namespace
} // namespace orv::test

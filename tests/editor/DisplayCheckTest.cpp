// Telling, before Qt starts, that there is no display to show the window on.

#include "editor/DisplayCheck.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace orv::test {
namespace {

struct DisplayCase
{
    const char* Platform;
    const char* X11Display;
    const char* WaylandDisplay;
    std::vector<const char*> Arguments;
    bool Missing;
};

TEST(DisplayCheck, OnlyPlatformsThatNeedADisplayWithoutOneAreRefused)
{
    const DisplayCase cases[] = {
        {nullptr, nullptr, nullptr, {}, true},
        {"", "", "", {}, true}, // empty counts as unset
        {nullptr, ":0", nullptr, {}, false},
        {nullptr, nullptr, "wayland-0", {}, false},
        {"xcb", nullptr, nullptr, {}, true},
        {"wayland-egl;xcb:nograb", nullptr, nullptr, {}, true},
        {"offscreen", nullptr, nullptr, {}, false},
        {"wayland;offscreen", nullptr, nullptr, {}, false}, // Qt falls back to one that needs none
        {"xcb", nullptr, nullptr, {"-platform", "offscreen"}, false},
        {nullptr, nullptr, nullptr, {"--platform", "vnc"}, false},
        {nullptr, nullptr, nullptr, {"-display", ":1"}, false},
        {nullptr, nullptr, nullptr, {"file.strdef"}, true},
    };
    for (const DisplayCase& test : cases) {
        std::vector<const char*> argv{"orvane-text-editor"};
        argv.insert(argv.end(), test.Arguments.begin(), test.Arguments.end());
        SCOPED_TRACE(std::string("QT_QPA_PLATFORM=") + (test.Platform ? test.Platform : "(unset)") +
                     " arguments " + std::to_string(test.Arguments.size()));
        EXPECT_EQ(IsDisplayMissing(static_cast<int>(argv.size()), argv.data(),
                                   {test.Platform, test.X11Display, test.WaylandDisplay}),
                  test.Missing);
    }
}

} // namespace
} // namespace orv::test

#include "editor/DisplayCheck.h"

#include <cstdlib>
#include <string_view>

namespace orv {

namespace {

bool IsSet(const char* value)
{
    return value && *value != '\0';
}

// Qt's platforms that show windows only on an X11 or a Wayland display.
bool NeedsDisplay(std::string_view platform)
{
    const std::string_view name = platform.substr(0, platform.find(':'));
    return name == "xcb" || name.starts_with("wayland");
}

} // namespace

DisplayEnvironment DisplayEnvironment::OfProcess()
{
    return {std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY")};
}

bool IsDisplayMissing(int argc, const char* const* argv, const DisplayEnvironment& environment)
{
    if (IsSet(environment.X11Display) || IsSet(environment.WaylandDisplay))
        return false;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        // Qt takes its options with one dash or two.
        if (argument.starts_with("--"))
            argument.remove_prefix(1);
        if (argument == "-platform" || argument == "-display")
            return false;
    }
    // Unset or empty, Qt starts the desktop's default platform, which is X11 or Wayland here.
    if (!IsSet(environment.Platform))
        return true;
    std::string_view platforms = environment.Platform;
    while (!platforms.empty()) {
        const std::size_t end = platforms.find(';');
        const std::string_view platform = platforms.substr(0, end);
        if (!platform.empty() && !NeedsDisplay(platform))
            return false;
        platforms = end == std::string_view::npos ? std::string_view() : platforms.substr(end + 1);
    }
    return true;
}

} // namespace orv

#pragma once

// Whether the editor can reach a display, checked before Qt starts: a platform plugin that cannot
// connect ends the process with an abort, where a plain message and exit status 1 tell the user
// what is wrong.

namespace orv {

// The environment variables that decide where Qt shows its windows; nullptr for one that is not set.
struct DisplayEnvironment
{
    const char* Platform = nullptr;       // QT_QPA_PLATFORM: a ';'-separated list of "name[:options]"
    const char* X11Display = nullptr;     // DISPLAY
    const char* WaylandDisplay = nullptr; // WAYLAND_DISPLAY

    // The variables of this process.
    static DisplayEnvironment OfProcess();
};

// True when every platform Qt would try (the desktop's default when QT_QPA_PLATFORM is unset or
// empty) is X11 or Wayland and neither DISPLAY nor WAYLAND_DISPLAY names a display. False as well
// when the command line chooses the platform or the display itself (-platform, -display): Qt
// decides then.
bool IsDisplayMissing(int argc, const char* const* argv, const DisplayEnvironment& environment);

} // namespace orv

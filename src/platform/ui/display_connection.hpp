// Whether the window system can be reached, tried before the Qt application is made: Qt aborts the
// process (a core dump and a message about reinstalling) when none of its window-system plug-ins can
// connect, so every program of the product asks here first and ends, or goes on without windows,
// with one line of its own.
//
// The plug-ins are tried in the order Qt tries them: those QT_QPA_PLATFORM lists when it is set;
// otherwise Wayland first when WAYLAND_DISPLAY is set or XDG_SESSION_TYPE is "wayland", then X. X
// counts as reachable when a connection to DISPLAY succeeds (through the X client library Qt itself
// uses), Wayland when its plug-in is installed and the compositor's socket accepts a connection.
// Plug-ins that need no display server (offscreen, minimal, ...) always count as reachable.
#pragma once

#include <string>

namespace platform::ui {

// Empty when windows can be shown; otherwise why not, as the end of a sentence ("the X display
// \":5\" cannot be reached"; "neither DISPLAY nor WAYLAND_DISPLAY is set").
std::string display_problem();

// Whether the environment names a window system at all (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM, a
// Wayland session type), reachable or not.
bool display_named();

}  // namespace platform::ui

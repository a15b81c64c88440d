// The arguments between an installer that asks for administrator rights and the copy of itself
// that pkexec starts as root. pkexec clears the environment and changes the folder, so the copy is
// told what it needs: the marker that it is the raised copy (which never asks again), the identity
// of the file the user started, the user's current folder, and the variables it may take over (the
// display, the language, the system root and the user's home and XDG folders, all of which are
// written with the user's own rights). None of them carries a secret.
//
// Failure modes: TakeElevationArguments reports a malformed or unknown marker argument, or a
// variable that may not be passed on, as an error text and leaves the user's arguments alone.
#pragma once

#include "platform/kernel/folder_listing.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ElevationArguments {
    bool marked = false;                                           // --elevated
    std::optional<platform::kernel::file_identity> program;        // --program-identity=DEVICE:INODE
    std::optional<std::string> folder;                             // --from-folder=PATH
    std::vector<std::pair<std::string, std::string>> environment;  // --pass-env=NAME=VALUE
};

// The option that marks the raised copy.
inline constexpr std::string_view kElevatedMarker = "--elevated";

// Whether the variable may be passed to the raised copy: DISPLAY, XAUTHORITY, WAYLAND_DISPLAY,
// XDG_RUNTIME_DIR, HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, LANG, LANGUAGE, LC_* and SETUP_SYSTEM_ROOT.
bool MayPassOn(std::string_view name);

// Removes the elevation arguments (any that start with --elevated, --program-identity=,
// --from-folder= or --pass-env=) from `arguments`; the rest keeps its order. False with `error`
// set for one that is malformed.
bool TakeElevationArguments(std::vector<std::string>& arguments, ElevationArguments& taken, std::string& error);

// The arguments for the raised copy, in front of the user's own: the marker, the identity, the
// folder, then every variable of `environment` (NAME=VALUE texts) that may be passed on.
std::vector<std::string> ElevationArgumentsFor(const platform::kernel::file_identity& program,
                                               const std::string& folder, const std::vector<std::string>& environment);

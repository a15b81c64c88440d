// The desktop's own tools (update-desktop-database, update-mime-database, gtk-update-icon-cache),
// run to rebuild the caches desktops read instead of the folders they were built from.
#pragma once

#include <string>
#include <vector>

namespace platform::shell {

// Runs a tool found along PATH, the first argument being its name, with no input and its output
// discarded, and waits for it, a minute at most (a tool that hangs is killed). A missing or failing
// tool is ignored: the caches are a convenience of the desktop, never a step that fails. Only
// allocation throws.
void run_desktop_tool(std::vector<std::string> arguments);

}  // namespace platform::shell

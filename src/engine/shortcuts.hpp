// The product's shortcuts: the main one and the uninstall one in the chosen Start-menu folder, the
// main one on the desktop. Each is recorded before it is made, which also puts the previous
// installation's shortcut of its kind aside, and completed with the file's path once made.
#pragma once

#include "platform/shell/shell_link.hpp"

#include <boost/filesystem/path.hpp>

#include <optional>
#include <string>

class CInstallApp;
class InstallProgressPage;

// A shortcut ready to be saved: the link with its target and working folder, and its file's path.
struct PlannedShortcut {
    platform::shell::shell_link link;
    std::string path;
};

// Steps 1 to 3 of CreateShortcut: the link and where it goes; nothing when CreateShortcut would fail
// before saving.
std::optional<PlannedShortcut> PlanShortcut(const std::string& target, const std::string& folder,
                                            const std::string& name);

// Writes a shortcut file "<folder>/<name>" + the platform's link extension, whose target is `target`
// and whose working folder is the target's folder. Without a name, the target's file name without its
// extension. True with the file's path in `created` (when given); false for a target without a folder
// part or when the file cannot be written.
bool CreateShortcut(const std::string& target, const std::string& folder, const std::string& name = {},
                    std::string* created = nullptr);

// The desktop folder the desktop shortcut goes to: the common desktop, else the user's.
boost::filesystem::path ShortcutDesktopFolder();

// The step: the shortcuts the session asks for, in order; the step's log line ends in "Failed" when
// any of them was not made. The icons the shortcuts show are installed and recorded with them. Does nothing, and shows
// nothing, when no shortcut is asked for.
void CreateShortcuts(CInstallApp& app, InstallProgressPage& page);

// The places every other service is built on: the system root R (SETUP_SYSTEM_ROOT, "/" by default),
// the user's home and XDG folders, and the temporary folder. Stands in for GetWindowsDirectoryW,
// GetTempPathW and the roots of SHGetFolderPathW.
//
// The values are read from the environment at each call, so a test can move the machine.
#pragma once

#include <boost/filesystem/path.hpp>

namespace platform::system {

// SETUP_SYSTEM_ROOT when set and not empty, else "/". Machine-wide places live under it.
boost::filesystem::path system_root();

// A path under the system root: under_root("var/lib") is R/var/lib.
boost::filesystem::path under_root(const boost::filesystem::path& relative);

// HOME, else the account database's home folder of the effective user.
boost::filesystem::path home_folder();

// XDG_DATA_HOME when set to an absolute path, else HOME/.local/share.
boost::filesystem::path xdg_data_home();

// XDG_CONFIG_HOME when set to an absolute path, else HOME/.config.
boost::filesystem::path xdg_config_home();

// TMPDIR when set to an absolute path, else /tmp; always with a trailing separator, as callers that
// append a name directly expect.
boost::filesystem::path temp_folder();

}  // namespace platform::system

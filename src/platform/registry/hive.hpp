// The two root keys and where each is stored: HKEY_LOCAL_MACHINE in a database under the system root
// (machine-wide, like the rest of R), HKEY_CURRENT_USER in the user's XDG configuration folder.
#pragma once

#include <boost/filesystem/path.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace platform::registry {

enum class hive { local_machine, current_user };

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
std::string hive_name(hive h);

// The database file of a hive: R/var/lib/quillon-registry/machine.db, or
// XDG_CONFIG_HOME/quillon-registry/user.db. Read from the environment at each call.
boost::filesystem::path hive_file(hive h);

// A full key name such as HKEY_LOCAL_MACHINE\Software\Vintrel or HKLM\Software, split into its hive and
// the path below it ("Software\Vintrel"; empty for the hive itself). Root names ignore case.
struct full_key_name {
    registry::hive hive;
    std::string path;
};
std::optional<full_key_name> parse_full_key_name(std::string_view name);

}  // namespace platform::registry

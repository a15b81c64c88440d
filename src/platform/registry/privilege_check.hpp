// Whether a privilege is enabled in the process token, asked of the security library
// (kernel/security_library.hpp) through OpenProcessToken, LookupPrivilegeValueW and PrivilegeCheck. The only
// place the registry asks: saving a key needs SeBackupPrivilege, restoring one SeRestorePrivilege.
#pragma once

#include <functional>
#include <string_view>

namespace platform::registry {

// False when the library or one of its functions is missing, or any call fails.
bool privilege_enabled(std::string_view privilege_name);

// Replaces the token query, for tests that must decide which privileges are enabled; an empty function
// restores the real query. Returns the one it replaces.
using privilege_probe = std::function<bool(std::string_view privilege_name)>;
privilege_probe replace_privilege_probe(privilege_probe probe);

}  // namespace platform::registry

// Security descriptors of files and folders. A file's DACL is kept, self-relative, in the extended
// attribute "user.vn.dacl": in the user name space so that every account that may read the file can
// read its DACL, as with READ_CONTROL. The attribute records; it grants nothing by itself. What the
// DACL grants the local Users group is applied as a POSIX ACL entry (users_group_acl.hpp), which
// only the owner or root can change.
//
// A file or folder without a descriptor of its own shows the entries it inherits from the nearest
// folder above it that has one; with none up to the root, it has no DACL and its POSIX permissions
// alone govern it. The owner and group are the file's user and group (S-1-22-1-uid, S-1-22-2-gid).
#pragma once

#include "platform/advapi/advapi_abi.hpp"

#include <string>
#include <vector>

namespace platform::advapi {

// A self-relative descriptor with the parts requested (GetFileSecurityW).
std::vector<BYTE> read_file_security(const std::string& path, SECURITY_INFORMATION requested);

// Records the DACL of the descriptor and applies its Users entries (SetFileSecurityW). Only the DACL
// can be set. A symbolic link is never followed and only files and folders have descriptors.
void write_file_security(const std::string& path, SECURITY_INFORMATION information, const void* descriptor);

}  // namespace platform::advapi

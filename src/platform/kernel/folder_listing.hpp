// Which item a path names, and a folder's entries as one read of it reports them. Stands in for the
// volume serial number and file index of GetFileInformationByHandle, and for FindFirstFileW and
// FindNextFileW.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform::kernel {

// The device and inode of an item: two paths name the same file or folder when their identities are
// equal, whatever links or case-folding lie between them.
struct file_identity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const file_identity&) const = default;
};

// The identity of the item at `path`, links followed; empty when nothing can be reached there.
std::optional<file_identity> identity_of(const std::string& path);

// One entry of a folder read. The inode is on the folder's device except at a mount point; only a
// regular file is marked as one (a link, a folder, or an entry whose type the read does not give is
// not), so that the caller asks identity_of about the others.
struct folder_entry {
    std::string_view name;  // valid during the call that receives it
    std::uint64_t inode = 0;
    bool regular_file = false;
};

// Calls `each` for every entry of `folder` ("." and ".." among them) in the order the folder gives.
// False, with no call, when the folder cannot be opened.
bool list_folder(const std::string& folder, const std::function<void(const folder_entry&)>& each);

}  // namespace platform::kernel

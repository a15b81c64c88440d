#include "platform/kernel/folder_listing.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace platform::kernel {

std::optional<file_identity> identity_of(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return file_identity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool list_folder(const std::string& folder, const std::function<void(const folder_entry&)>& each) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        each({entry->d_name, static_cast<std::uint64_t>(entry->d_ino), entry->d_type == DT_REG});
    }
    return true;
}

}  // namespace platform::kernel

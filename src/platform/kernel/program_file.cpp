#include "platform/kernel/program_file.hpp"

#include <sys/stat.h>

#include <boost/filesystem/operations.hpp>

namespace platform::kernel {
namespace {

namespace fs = boost::filesystem;

constexpr const char* kSelf = "/proc/self/exe";

bool trusted_owner(uid_t owner, std::uint32_t uid) {
    return owner == 0 || owner == uid;
}

bool others_may_write(const struct stat& status) {
    return (status.st_mode & S_IWOTH) != 0 || ((status.st_mode & S_IWGRP) != 0 && status.st_gid != 0);
}

}  // namespace

std::optional<file_identity> running_program_identity() {
    return identity_of(kSelf);
}

std::optional<program_file> running_program_file() {
    boost::system::error_code error;
    const fs::path path = fs::read_symlink(kSelf, error);
    const auto running = running_program_identity();
    if (error || !path.is_absolute() || !running) {
        return std::nullopt;
    }
    // A removed file reads as "<path> (deleted)": its name leads elsewhere, or nowhere.
    const auto named = identity_of(path.string());
    if (!named || !(*named == *running)) {
        return std::nullopt;
    }
    return program_file{path, *running};
}

std::string replaceable_by_others(const fs::path& file, std::uint32_t uid) {
    fs::path item = file.lexically_normal();
    struct stat status {};
    if (::lstat(item.c_str(), &status) != 0) {
        return item.string() + " cannot be examined";
    }
    if (!S_ISREG(status.st_mode)) {
        return item.string() + " is not a regular file";
    }
    if (!trusted_owner(status.st_uid, uid) || others_may_write(status)) {
        return item.string() + " can be written by another account";
    }
    while (item.has_relative_path()) {
        const uid_t item_owner = status.st_uid;
        const fs::path folder = item.parent_path();
        if (::lstat(folder.c_str(), &status) != 0) {
            return folder.string() + " cannot be examined";
        }
        if (!S_ISDIR(status.st_mode)) {
            return folder.string() + " is not a folder";
        }
        if (!trusted_owner(status.st_uid, uid)) {
            return folder.string() + " belongs to another account";
        }
        const bool sticky = (status.st_mode & S_ISVTX) != 0;
        if (others_may_write(status) && !(sticky && trusted_owner(item_owner, uid))) {
            return folder.string() + " can be written by another account";
        }
        item = folder;
    }
    return {};
}

}  // namespace platform::kernel

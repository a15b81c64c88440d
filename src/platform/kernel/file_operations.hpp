// Copying, moving and deleting files, creating and removing folders, with the Windows error codes.
// Stands in for CopyFileW, MoveFileW/MoveFileExW, DeleteFileW, CreateDirectoryW and RemoveDirectoryW.
//
// A destination is never written through a symbolic link: a copy is written to an exclusive
// temporary file beside the destination and renamed over it, so a failed copy leaves the destination
// as it was. Every path is walked by descriptor, following no link that another account could have
// planted (path_walk.hpp; ERROR_CANT_RESOLVE_FILENAME otherwise), and the change is made relative
// to the folder held open. As on Windows, a read-only file is neither replaced nor deleted (ERROR_ACCESS_DENIED).
// Every failure also sets the thread's last error.
#pragma once

#include <boost/filesystem/path.hpp>

#include <functional>
#include <system_error>

namespace platform::kernel {

enum class copy_option { overwrite, fail_if_exists };

// Copies a file's content, permission bits (without set-user-id and set-group-id), extended
// attributes (the file attributes and the access control list among them) and times. The source is
// followed when it is a symbolic link that the walk may follow; only a regular file is copied. Fails with
// ERROR_FILE_EXISTS for an existing destination under fail_if_exists, ERROR_ACCESS_DENIED when the source or
// destination is a folder.
std::error_code copy_file(const boost::filesystem::path& from, const boost::filesystem::path& to, copy_option option);

enum class move_option : unsigned {
    none = 0,
    replace_existing = 1,  // MOVEFILE_REPLACE_EXISTING
    copy_allowed = 2,      // MOVEFILE_COPY_ALLOWED: a file may move to another file system
};
constexpr move_option operator|(move_option a, move_option b) {
    return static_cast<move_option>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool has_option(move_option set, move_option option) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(option)) != 0;
}

// Renames a file, folder or link. Without replace_existing an existing destination fails with
// ERROR_ALREADY_EXISTS. A file moved to another file system (copy_allowed) is copied as copy_file
// does, keeping its owner too, then the source is deleted; otherwise that fails with
// ERROR_NOT_SAME_DEVICE. MoveFileW is move_option::copy_allowed.
std::error_code move_file(const boost::filesystem::path& from, const boost::filesystem::path& to, move_option options);

// Deletes a file or a symbolic link (not its target).
std::error_code delete_file(const boost::filesystem::path& path);

// Creates one folder (its parent must exist) with the default permissions; ERROR_ALREADY_EXISTS when
// something exists at the path, ERROR_PATH_NOT_FOUND when the parent is missing.
std::error_code create_folder(const boost::filesystem::path& path);

// What is at a path itself, a symbolic link not followed.
enum class found_item {
    nothing,  // also when the path cannot be walked: the operation that follows meets that error
    file,     // a regular file
    folder,
    // A symbolic link, a fifo, socket or device, or a regular file with a second name in a folder
    // that other accounts may write: nothing the installer writes, and nothing to trust.
    planted,
};
found_item find_item(const boost::filesystem::path& path);

// Creates the missing folders of `path`, outermost first, calling `created` with each one it made. A
// folder already there, also behind a link the walk may follow, is passed over; the first folder
// that cannot be made or reached ends the walk with its error.
std::error_code create_folders(const boost::filesystem::path& path,
                               const std::function<void(const boost::filesystem::path&)>& created = {});

// Removes an empty folder; ERROR_DIR_NOT_EMPTY when it is not empty, ERROR_DIRECTORY when the path
// is not a folder.
std::error_code remove_folder(const boost::filesystem::path& path);

}  // namespace platform::kernel

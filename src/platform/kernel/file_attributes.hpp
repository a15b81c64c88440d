// Windows file attributes on POSIX files. Stands in for GetFileAttributesW and SetFileAttributesW.
//
// Read-only is the file's write permission: set, it clears every write bit; cleared, it gives back the
// owner's write bit, and the group's and others' where they may read and the umask lets them write.
// On a folder, read-only is kept with the other bits instead: Windows does not honour it there, and
// taking the write bits would stop files being created in it. Hidden, system, archive, temporary,
// offline and not-content-indexed persist in the extended attribute "user.vn.attributes".
// A symbolic link is never followed: it reads as FILE_ATTRIBUTE_REPARSE_POINT and cannot be changed.
// Nor is one on the way that another account could have planted (path_walk.hpp); and a file with a
// second name in a folder other accounts may write is not changed (ERROR_ACCESS_DENIED), since that
// name may lead to anyone's file.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <system_error>

namespace platform::kernel {

inline constexpr std::uint32_t file_attribute_readonly = 0x1;
inline constexpr std::uint32_t file_attribute_hidden = 0x2;
inline constexpr std::uint32_t file_attribute_system = 0x4;
inline constexpr std::uint32_t file_attribute_directory = 0x10;
inline constexpr std::uint32_t file_attribute_archive = 0x20;
inline constexpr std::uint32_t file_attribute_normal = 0x80;
inline constexpr std::uint32_t file_attribute_temporary = 0x100;
inline constexpr std::uint32_t file_attribute_reparse_point = 0x400;
inline constexpr std::uint32_t file_attribute_offline = 0x1000;
inline constexpr std::uint32_t file_attribute_not_content_indexed = 0x2000;
inline constexpr std::uint32_t invalid_file_attributes = 0xFFFFFFFF;

// The extended attribute that holds the bits POSIX has no place for.
inline constexpr const char* attributes_xattr_name = "user.vn.attributes";

// The attributes of a file or folder; FILE_ATTRIBUTE_NORMAL alone when it has none of the others;
// invalid_file_attributes (and the thread's last error set) when it cannot be read.
std::uint32_t file_attributes(const boost::filesystem::path& path);

// Replaces the settable attributes; FILE_ATTRIBUTE_NORMAL (or 0) clears them all. DIRECTORY and
// REPARSE_POINT describe the object and are ignored here, as Windows ignores them.
std::error_code set_file_attributes(const boost::filesystem::path& path, std::uint32_t attributes);

}  // namespace platform::kernel

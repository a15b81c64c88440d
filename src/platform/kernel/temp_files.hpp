// Temporary files and folders created exclusively: a name is only ever taken by creating it
// (O_CREAT|O_EXCL|O_NOFOLLOW, mkdir), relative to the folder held open by a walk that follows no link
// another account could have planted (path_walk.hpp), so a symbolic link in a shared temporary
// folder is never followed. Stands in for GetTempFileNameW; the temporary folder itself (GetTempPathW) is
// platform::system::temp_folder().
#pragma once

#include "platform/kernel/unique_fd.hpp"

#include <boost/filesystem/path.hpp>

#include <string_view>
#include <system_error>

namespace platform::kernel {

// Creates an empty file "<prefix><XXXX>.tmp" in `folder` (at most the first three characters of the
// prefix, four hexadecimal digits), mode 0600, and stores its path in `created`.
// Fails with ERROR_FILE_EXISTS when every name of the prefix is taken.
std::error_code create_temp_file(const boost::filesystem::path& folder, std::string_view prefix,
                                 boost::filesystem::path& created);

// Creates an empty folder "<prefix><random>" in `folder`, mode 0700, and stores its path in
// `created`. The prefix is used whole.
std::error_code create_temp_folder(const boost::filesystem::path& folder, std::string_view prefix,
                                   boost::filesystem::path& created);

// Creates the folder `path` itself, mode 0700, failing with ERROR_ALREADY_EXISTS when anything (a
// folder, a file, a link) is there: the way to make a temporary folder whose name the caller chose,
// so that nothing another account prepared under that name is ever used.
std::error_code create_private_folder(const boost::filesystem::path& path);

// Creates a file `stem` + six random characters + `suffix` in `folder`, mode 0600, and returns it
// open for reading and writing: the way to write a file beside its destination and rename it into
// place. An empty descriptor and `error` set on failure.
unique_fd create_unique_file(const boost::filesystem::path& folder, std::string_view stem, std::string_view suffix,
                             boost::filesystem::path& created, std::error_code& error);
// The same in a folder held open; `created` is the new file's name in it.
unique_fd create_unique_file_at(int folder, std::string_view stem, std::string_view suffix, std::string& created,
                                std::error_code& error);

}  // namespace platform::kernel

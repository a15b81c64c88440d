// The rules that keep an archive entry's file inside the folder its folder text names. Folder texts
// are Windows-style: "\" and "/" both separate elements, and a first element in angle brackets
// ("<InstallPath>") is a folder token.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace payload {

// The non-empty elements of a folder text or source path.
std::vector<std::string_view> path_elements(std::string_view text);

// Whether an element is written as a folder token: "<" ... ">".
bool is_token_element(std::string_view element);

// The file name of an entry: the last element of its source path (empty when the path ends in a
// separator).
std::string_view entry_file_name(std::string_view source_name);

// False when the file name is empty, "." or "..", or holds a separator, or when the folder text
// climbs above where it starts (past its token, root or first element) with "..". Texts holding a
// control character (U+0000 to U+001F, U+007F) are refused as well: the file system would cut a NUL
// short, and a line break would split the file's line in the uninstall log and the diagnostic log.
bool is_safe_entry_path(std::string_view folder_text, std::string_view file_name);

// Throws compress error 7 (unexpected) when is_safe_entry_path says no.
void check_entry_path(std::string_view folder_text, std::string_view file_name);

}  // namespace payload

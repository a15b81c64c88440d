// The path rules of the folder browser, free of any window: matching a sub-folder against the end of
// a folder, proposing folder plus sub-folder without doubling, showing a path relative to a folder,
// and checking a path the user typed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How many folders of `tail` end `path`, compared case-insensitively, when all of them do and `path`
// keeps at least one element in front of them ("/" counts as one); otherwise 0. Trailing separators
// are ignored.
std::size_t CountEndingFolders(std::string_view path, std::string_view tail);

// `path` followed by `subFolder`, where the part of `subFolder` that `path` already ends with is not
// repeated: "/x/Apps/Vintrel" with "Vintrel/Quillon 7" gives "/x/Apps/Vintrel/Quillon 7".
std::string AppendSubFolder(std::string path, std::string_view subFolder);

// `path` relative to the folder `base`, canonical ("" for `base` itself); `path` unchanged when there
// is no relative path between the two.
std::string RelativeToFolder(const std::string& base, const std::string& path);

// Whether `path` is `folder` or lies in it, both taken canonically ("." and ".." resolved) without
// looking at the disk; "/x/shared" is not in "/x/share".
bool IsSameOrInside(const std::string& path, const std::string& folder);

// Checks a typed path and makes it absolute: blanks and a trailing separator removed, an empty text
// taken as the current folder, a relative text qualified against `base` (the current folder when
// `base` is empty). With a `base` the result must lie inside it. Returns 0 and sets `qualified`, or
// the error to show (a Win32 code or an HRESULT).
std::uint32_t QualifyTypedPath(std::string_view typed, const std::string& base, std::string& qualified);

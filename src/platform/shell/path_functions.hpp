// Path text functions on '/'-separated UTF-8 paths, with the Windows behaviour where it still makes
// sense. Stands in for PathAppendW, PathRemoveFileSpecW, PathFindFileNameW, PathRemoveExtensionW,
// PathRelativePathToW, PathCanonicalizeW, PathCombineW, PathQuoteSpacesW, PathCommonPrefixW,
// PathSearchAndQualifyW, PathGetCharTypeW and PathCompactPathW.
//
// Choices made for Linux:
// - Names are compared exactly: Linux file names are case-sensitive.
// - Results are limited to PATH_MAX bytes, where Windows limits them to MAX_PATH characters.
// - Canonicalizing keeps a leading ".." of a relative path (Windows drops it, naming another place),
//   never climbs above "/", merges repeated separators and drops a trailing one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::shell {

// The elements of a path, without separators; repeated, leading and trailing separators give no
// empty element: "/a//b/" has "a" and "b". The views point into `path`.
std::vector<std::string_view> path_elements(std::string_view path);

// Appends `more` as a relative path (leading separators skipped) with one separator, then
// canonicalizes, as PathAppendW does: append("/a/b", "../c") is "/a/c". False, and `path`
// unchanged, when the result would be too long.
bool path_append(std::string& path, std::string_view more);

// Removes the last element and its separator: "/a/b" becomes "/a", "/a" becomes "/", "a" becomes "";
// a trailing separator alone is removed first ("/a/" becomes "/a"). False when nothing was removed.
bool remove_file_spec(std::string& path);

// The last element; with a trailing separator, the element before it ("/a/b/" gives "b/").
std::string_view find_file_name(std::string_view path);

// Removes the extension of the last element: from its last '.', unless a blank follows that dot or the
// dot begins the name (".profile" is a hidden name, not an extension).
void remove_extension(std::string& path);

// The path from `from` (a folder, or a file whose folder counts) to `to`: "." for the same folder,
// "./b/c" below it, "../x" beside it. Nothing when the two have no common root (one relative, or
// relative paths without a common first element).
std::optional<std::string> relative_path_to(std::string_view from, bool from_is_folder, std::string_view to);

// Resolves "." and ".." elements without touching the file system.
std::string canonicalize(std::string_view path);

// `file` after `folder`, canonicalized; an absolute `file` stands alone. Nothing when too long.
std::optional<std::string> combine(std::string_view folder, std::string_view file);

// The path in double quotes when it contains a blank, else unchanged.
std::string quote_spaces(std::string_view path);

// The longest run of whole leading elements the two paths share ("/" for two absolute paths that
// share nothing more, "" for relative paths that share nothing).
std::string common_prefix(std::string_view a, std::string_view b);

// The absolute, canonical form of `path` against the current folder. Nothing (and the thread's last
// error set) for an empty path or when the current folder cannot be read. Windows would also look the
// name up along PATH; for the folder names this qualifies that search only misleads, so it is not made.
std::optional<std::string> search_and_qualify(std::string_view path);

// The same against `base` instead of the process's current folder, which other threads share.
std::string qualify_path(std::string_view path, std::string_view base);

// PathGetCharTypeW's classes. Linux has no short (8.3) names, so gct_shortchar is never given.
inline constexpr unsigned gct_invalid = 0x0;
inline constexpr unsigned gct_lfnchar = 0x1;
inline constexpr unsigned gct_shortchar = 0x2;
inline constexpr unsigned gct_wild = 0x4;
inline constexpr unsigned gct_separator = 0x8;

// '/' separates; '*' and '?' are wildcards; control characters and the characters Windows refuses
// in names (" < > | \ :) are invalid, so that a typed Windows path is refused instead of becoming one
// strangely named folder; everything else is a name character.
unsigned path_char_type(char32_t c);

// Whether every character of the UTF-8 text is neither invalid nor a wildcard (ill-formed UTF-8 is
// invalid).
bool has_only_path_chars(std::string_view path);

// Measures text in pixels for compact_path.
using text_width_function = std::function<int(std::string_view)>;

// The path shortened to fit `width` pixels: the file name is kept and the end of the folder part is
// replaced by "..." ("/opt/Vint.../data.bin"); when even ".../name" does not fit, the name itself is
// cut with "...". Never splits a UTF-8 character.
std::string compact_path(std::string_view path, int width, const text_width_function& text_width);

}  // namespace platform::shell

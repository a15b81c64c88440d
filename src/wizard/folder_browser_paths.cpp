#include "wizard/folder_browser_paths.hpp"

#include "platform/kernel/win32_error.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/text/case_fold.hpp"
#include "platform/text/utf_convert.hpp"

#include <boost/filesystem/operations.hpp>

#include <limits.h>

#include <vector>

namespace {

namespace shell = platform::shell;
namespace win32 = platform::kernel::win32;

// The longest path the platform's path functions give, without the terminating zero.
constexpr std::size_t MaxPathBytes = PATH_MAX - 1;

// The elements of a path, "/" first for an absolute one, so that a folder right under "/" still has
// an element in front of it (as a drive has on Windows).
std::vector<std::string_view> ElementsOf(std::string_view path) {
    std::vector<std::string_view> elements;
    if (!path.empty() && path.front() == '/') {
        elements.push_back(path.substr(0, 1));
    }
    const auto named = shell::path_elements(path);
    elements.insert(elements.end(), named.begin(), named.end());
    return elements;
}

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::size_t CountEndingFolders(std::string_view path, std::string_view tail) {
    if (path.size() > MaxPathBytes || tail.size() > MaxPathBytes) {
        return 0;
    }
    const auto pathElements = ElementsOf(path);
    const auto tailElements = ElementsOf(tail);
    if (tailElements.empty() || pathElements.size() <= tailElements.size()) {
        return 0;
    }
    const std::size_t offset = pathElements.size() - tailElements.size();
    for (std::size_t i = 0; i < tailElements.size(); ++i) {
        if (platform::text::fold_case(pathElements[offset + i]) != platform::text::fold_case(tailElements[i])) {
            return 0;
        }
    }
    return tailElements.size();
}

std::string AppendSubFolder(std::string path, std::string_view subFolder) {
    if (subFolder.empty() || CountEndingFolders(path, subFolder) > 0) {
        return path;
    }
    // The longest leading part of the sub-folder that the path ends with is already there.
    std::size_t present = 0;
    std::string prefix(subFolder);
    while (shell::remove_file_spec(prefix) && !prefix.empty()) {
        if ((present = CountEndingFolders(path, prefix)) > 0) {
            break;
        }
    }
    const auto subElements = ElementsOf(subFolder);
    std::string rest;
    for (std::size_t i = present; i < subElements.size(); ++i) {
        rest += rest.empty() ? "" : "/";
        rest += subElements[i];
    }
    shell::path_append(path, rest);  // a result too long keeps the path as it was
    return path;
}

std::string RelativeToFolder(const std::string& base, const std::string& path) {
    const auto relative = shell::relative_path_to(base, true, path);
    return relative ? shell::canonicalize(*relative) : path;
}

bool IsSameOrInside(const std::string& path, const std::string& folder) {
    const std::string outer = shell::canonicalize(folder);
    return shell::common_prefix(shell::canonicalize(path), outer) == outer;
}

std::uint32_t QualifyTypedPath(std::string_view typed, const std::string& base, std::string& qualified) {
    if (typed.size() > MaxPathBytes) {
        return static_cast<std::uint32_t>(platform::kernel::hresult_from_win32(win32::filename_exced_range));
    }
    std::string text(TrimBlanks(typed));
    if (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    if (text.empty()) {
        boost::system::error_code error;
        text = boost::filesystem::current_path(error).string();
        if (error) {
            return platform::kernel::win32_from_errno(error.value());
        }
    }
    // Qualified against the base itself rather than by changing the process's current folder, which
    // other threads share.
    std::string candidate;
    if (base.empty()) {
        candidate = shell::search_and_qualify(text).value_or(std::string());
    } else {
        candidate = shell::qualify_path(text, base);
        if (!IsSameOrInside(candidate, base)) {
            candidate.clear();
        }
    }
    if (candidate.empty() || candidate.size() > MaxPathBytes || !shell::has_only_path_chars(candidate)) {
        return win32::bad_pathname;
    }
    qualified = std::move(candidate);
    return win32::success;
}

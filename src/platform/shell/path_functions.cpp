#include "platform/shell/path_functions.hpp"

#include "platform/kernel/win32_error.hpp"

#include <limits.h>
#include <unicode/utf8.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace platform::shell {
namespace {

constexpr std::size_t max_path_bytes = PATH_MAX - 1;  // room for the terminating zero

bool is_absolute(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

std::string join(bool absolute, const std::vector<std::string_view>& elements) {
    std::string text = absolute ? "/" : "";
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i > 0) {
            text += '/';
        }
        text += elements[i];
    }
    return text;
}

std::optional<std::string> within_limit(std::string text) {
    if (text.size() > max_path_bytes) {
        return std::nullopt;
    }
    return text;
}

// The offset of the character boundary at or before `at`.
std::size_t boundary_before(std::string_view text, std::size_t at) {
    while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
        --at;
    }
    return at;
}

// Offsets of every character boundary inside `text`, longest first, excluding 0 and the full length.
std::vector<std::size_t> inner_boundaries_longest_first(std::string_view text) {
    std::vector<std::size_t> cuts;
    for (std::size_t at = text.size(); at-- > 1;) {
        if (boundary_before(text, at) == at) {
            cuts.push_back(at);
        }
    }
    return cuts;
}

}  // namespace

std::vector<std::string_view> path_elements(std::string_view path) {
    std::vector<std::string_view> elements;
    std::size_t at = 0;
    while (at < path.size()) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (end > at) {
            elements.push_back(path.substr(at, end - at));
        }
        at = end + 1;
    }
    return elements;
}

std::string canonicalize(std::string_view path) {
    const bool absolute = is_absolute(path);
    std::vector<std::string_view> kept;
    for (const std::string_view element : path_elements(path)) {
        if (element == ".") {
            continue;
        }
        if (element == "..") {
            if (!kept.empty() && kept.back() != "..") {
                kept.pop_back();
            } else if (!absolute) {
                kept.push_back(element);
            }
            continue;
        }
        kept.push_back(element);
    }
    return join(absolute, kept);
}

std::optional<std::string> combine(std::string_view folder, std::string_view file) {
    if (file.empty()) {
        return within_limit(canonicalize(folder));
    }
    if (folder.empty() || is_absolute(file)) {
        return within_limit(canonicalize(file));
    }
    std::string joined(folder);
    joined += '/';
    joined += file;
    return within_limit(canonicalize(joined));
}

bool path_append(std::string& path, std::string_view more) {
    more.remove_prefix(std::min(more.find_first_not_of('/'), more.size()));
    auto combined = combine(path, more);
    if (!combined) {
        return false;
    }
    path = std::move(*combined);
    return true;
}

bool remove_file_spec(std::string& path) {
    if (path.empty()) {
        return false;
    }
    const std::size_t last = path.rfind('/');
    if (last == std::string::npos) {
        path.clear();
        return true;
    }
    if (last == 0) {
        if (path.size() == 1) {
            return false;
        }
        path.resize(1);
        return true;
    }
    path.resize(last);
    return true;
}

std::string_view find_file_name(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        if (path[i] == '/' && path[i + 1] != '/') {
            start = i + 1;
        }
    }
    return path.substr(start);
}

void remove_extension(std::string& path) {
    const std::size_t name_start = path.size() - find_file_name(path).size();
    std::size_t dot = std::string::npos;
    for (std::size_t i = name_start; i < path.size(); ++i) {
        if (path[i] == '/' || path[i] == ' ') {
            dot = std::string::npos;
        } else if (path[i] == '.' && i != name_start) {
            dot = i;
        }
    }
    if (dot != std::string::npos) {
        path.resize(dot);
    }
}

std::optional<std::string> relative_path_to(std::string_view from, bool from_is_folder, std::string_view to) {
    std::string from_folder(from);
    if (!from_is_folder) {
        remove_file_spec(from_folder);
    }
    const bool absolute = is_absolute(from_folder);
    if (absolute != is_absolute(to)) {
        return std::nullopt;
    }
    const auto from_elements = path_elements(from_folder);
    const auto to_elements = path_elements(to);
    std::size_t common = 0;
    while (common < from_elements.size() && common < to_elements.size() &&
           from_elements[common] == to_elements[common]) {
        ++common;
    }
    if (!absolute && common == 0) {
        return std::nullopt;
    }
    std::string relative;
    const std::size_t ups = from_elements.size() - common;
    if (ups == 0) {
        relative = ".";
    }
    for (std::size_t i = 0; i < ups; ++i) {
        relative += i == 0 ? ".." : "/..";
    }
    for (std::size_t i = common; i < to_elements.size(); ++i) {
        relative += '/';
        relative += to_elements[i];
    }
    return within_limit(std::move(relative));
}

std::string quote_spaces(std::string_view path) {
    if (path.find(' ') == std::string_view::npos) {
        return std::string(path);
    }
    return '"' + std::string(path) + '"';
}

std::string common_prefix(std::string_view a, std::string_view b) {
    const bool absolute = is_absolute(a) && is_absolute(b);
    const auto a_elements = path_elements(a);
    const auto b_elements = path_elements(b);
    if (is_absolute(a) != is_absolute(b)) {
        return "";
    }
    std::vector<std::string_view> shared;
    for (std::size_t i = 0; i < a_elements.size() && i < b_elements.size() && a_elements[i] == b_elements[i]; ++i) {
        shared.push_back(a_elements[i]);
    }
    return join(absolute, shared);
}

std::string qualify_path(std::string_view path, std::string_view base) {
    if (is_absolute(path)) {
        return canonicalize(path);
    }
    std::string joined(base);
    joined += '/';
    joined += path;
    return canonicalize(joined);
}

std::optional<std::string> search_and_qualify(std::string_view path) {
    if (path.empty()) {
        kernel::set_last_error(kernel::win32::invalid_name);
        return std::nullopt;
    }
    if (is_absolute(path)) {
        return canonicalize(path);
    }
    char current[PATH_MAX];
    if (!::getcwd(current, sizeof current)) {
        kernel::set_last_error(kernel::win32_from_errno(errno));
        return std::nullopt;
    }
    return within_limit(qualify_path(path, current));
}

unsigned path_char_type(char32_t c) {
    if (c < 0x20 || c == 0x7F) {
        return gct_invalid;
    }
    switch (c) {
        case '"':
        case '<':
        case '>':
        case '|':
        case '\\':
        case ':':
            return gct_invalid;
        case '*':
        case '?':
            return gct_wild;
        case '/':
            return gct_separator;
        default:
            return gct_lfnchar;
    }
}

bool has_only_path_chars(std::string_view path) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(path.data());
    const auto length = static_cast<std::int32_t>(path.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            return false;
        }
        const unsigned type = path_char_type(static_cast<char32_t>(c));
        if (type == gct_invalid || (type & gct_wild)) {
            return false;
        }
    }
    return true;
}

std::string compact_path(std::string_view path, int width, const text_width_function& text_width) {
    constexpr std::string_view ellipsis = "...";
    const auto fits = [&](const std::string& text) { return text_width(text) <= width; };
    if (fits(std::string(path))) {
        return std::string(path);
    }
    const std::string_view name = find_file_name(path);
    const std::size_t name_start = path.size() - name.size();
    if (name_start > 0) {
        const std::string_view tail = path.substr(name_start - 1);  // the separator and the name
        const std::string_view folder = path.substr(0, name_start - 1);
        for (const std::size_t cut : inner_boundaries_longest_first(folder)) {
            std::string candidate = std::string(folder.substr(0, cut)) + std::string(ellipsis) + std::string(tail);
            if (fits(candidate)) {
                return candidate;
            }
        }
        std::string candidate = std::string(ellipsis) + std::string(tail);
        if (fits(candidate)) {
            return candidate;
        }
    }
    for (const std::size_t cut : inner_boundaries_longest_first(name)) {
        std::string candidate = std::string(name.substr(0, cut)) + std::string(ellipsis);
        if (fits(candidate)) {
            return candidate;
        }
    }
    for (std::size_t dots = ellipsis.size(); dots > 0; --dots) {
        std::string candidate(dots, '.');
        if (fits(candidate)) {
            return candidate;
        }
    }
    return "";
}

}  // namespace platform::shell

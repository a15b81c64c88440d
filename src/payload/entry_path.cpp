#include "payload/entry_path.hpp"

#include "payload/compress_error.hpp"

namespace payload {

namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

// U+0000 to U+001F and U+007F. In UTF-8 they are single bytes that no longer sequence contains.
bool has_control_character(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string_view> path_elements(std::string_view text) {
    std::vector<std::string_view> elements;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || is_separator(text[i])) {
            if (i > start) {
                elements.push_back(text.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return elements;
}

bool is_token_element(std::string_view element) {
    return element.size() >= 2 && element.front() == '<' && element.back() == '>';
}

std::string_view entry_file_name(std::string_view source_name) {
    std::size_t start = source_name.size();
    while (start > 0 && !is_separator(source_name[start - 1])) {
        --start;
    }
    return source_name.substr(start);
}

bool is_safe_entry_path(std::string_view folder_text, std::string_view file_name) {
    if (file_name.empty() || file_name == "." || file_name == ".." ||
        file_name.find_first_of("\\/") != std::string_view::npos || has_control_character(file_name) ||
        has_control_character(folder_text)) {
        return false;
    }
    const auto elements = path_elements(folder_text);
    std::size_t depth = 0;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i == 0 && is_token_element(elements[i])) {
            continue;
        }
        if (elements[i] == "..") {
            if (depth == 0) {
                return false;
            }
            --depth;
        } else if (elements[i] != ".") {
            ++depth;
        }
    }
    return true;
}

void check_entry_path(std::string_view folder_text, std::string_view file_name) {
    if (!is_safe_entry_path(folder_text, file_name)) {
        throw compress_failure(compress_errc::unexpected);
    }
}

}  // namespace payload

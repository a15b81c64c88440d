#include "platform/registry/names.hpp"

#include "platform/text/case_fold.hpp"
#include "platform/text/utf_convert.hpp"

#include <unicode/utf8.h>

#include <cstdint>
#include <optional>

namespace platform::registry::detail {
namespace {

constexpr std::size_t max_key_name_units = 255;
constexpr std::size_t max_value_name_units = 16383;

// UTF-16 length of well-formed UTF-8 without null characters; nothing otherwise.
std::optional<std::size_t> utf16_length(std::string_view name) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(name.data());
    const auto length = static_cast<std::int32_t>(name.size());
    if (name.size() > static_cast<std::size_t>(INT32_MAX)) {
        return std::nullopt;
    }
    std::size_t units = 0;
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c <= 0) {
            return std::nullopt;
        }
        units += c > 0xFFFF ? 2 : 1;
    }
    return units;
}

std::error_code check_name(std::string_view name, std::size_t max_units) {
    const auto units = utf16_length(name);
    return units && *units <= max_units ? std::error_code{} : make_error_code(errc::invalid_parameter);
}

}  // namespace

std::error_code check_key_name(std::string_view name) {
    if (name.empty() || name.find('\\') != std::string_view::npos) {
        return errc::bad_pathname;
    }
    return check_name(name, max_key_name_units);
}

std::error_code check_value_name(std::string_view name) {
    return check_name(name, max_value_name_units);
}

result<std::vector<std::string>> split_key_path(std::string_view path) {
    std::vector<std::string> names;
    if (path.empty()) {
        return names;
    }
    for (std::size_t start = 0;;) {
        const auto end = path.find('\\', start);
        const auto name = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (const auto ec = check_key_name(name)) {
            return ec;
        }
        names.emplace_back(name);
        if (end == std::string_view::npos) {
            return names;
        }
        start = end + 1;
    }
}

std::string folded(std::string_view name) {
    return text::fold_case(name);
}

}  // namespace platform::registry::detail

// The rules for key and value names: UTF-8 without null characters, key names non-empty, at most 255
// UTF-16 units and without a backslash (it separates the names of a path), value names at most 16383
// units. Names compare ignoring case through their folded form.
#pragma once

#include "platform/registry/result.hpp"

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform::registry::detail {

// The names of a key path ("Software\Vintrel"); an empty path names the key itself.
result<std::vector<std::string>> split_key_path(std::string_view path);

std::error_code check_key_name(std::string_view name);
std::error_code check_value_name(std::string_view name);

// The form two names are compared in.
std::string folded(std::string_view name);

}  // namespace platform::registry::detail

// Reads a language's string-table source: one text per line, `NUMBER "text"`, with the escapes
// \r \n \t \" and \\; blank lines and lines starting with // are ignored.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vnrc {

struct source_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The text between a pair of quotes with its escapes resolved; `line` names the line in errors.
std::string unescape(std::string_view quoted, std::size_t line);

// Throws source_error naming the line of the first malformed line or repeated number.
std::map<std::uint32_t, std::string> parse_string_source(const std::string& text);

}  // namespace vnrc

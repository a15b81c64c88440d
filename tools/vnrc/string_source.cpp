#include "string_source.hpp"

#include <charconv>
#include <sstream>

namespace vnrc {

std::string unescape(std::string_view quoted, std::size_t line) {
    std::string out;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] != '\\') {
            out += quoted[i];
            continue;
        }
        if (++i == quoted.size()) {
            throw source_error("line " + std::to_string(line) + ": dangling backslash");
        }
        switch (quoted[i]) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        default: throw source_error("line " + std::to_string(line) + ": unknown escape \\" + quoted[i]);
        }
    }
    return out;
}

std::map<std::uint32_t, std::string> parse_string_source(const std::string& text) {
    std::map<std::uint32_t, std::string> texts;
    std::istringstream in(text);
    std::string raw;
    for (std::size_t line = 1; std::getline(in, raw); ++line) {
        std::string_view s(raw);
        if (!s.empty() && s.back() == '\r') {
            s.remove_suffix(1);
        }
        const auto first = s.find_first_not_of(" \t");
        if (first == std::string_view::npos || s.substr(first).starts_with("//")) {
            continue;
        }
        s.remove_prefix(first);
        std::uint32_t number = 0;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), number);
        const auto open = s.find('"');
        if (ec != std::errc{} || open == std::string_view::npos || s.size() < open + 2 || s.back() != '"' ||
            s.substr(static_cast<std::size_t>(end - s.data()), open - static_cast<std::size_t>(end - s.data()))
                    .find_first_not_of(" \t") != std::string_view::npos) {
            throw source_error("line " + std::to_string(line) + ": expected NUMBER \"text\"");
        }
        if (!texts.emplace(number, unescape(s.substr(open + 1, s.size() - open - 2), line)).second) {
            throw source_error("line " + std::to_string(line) + ": text " + std::to_string(number) + " repeated");
        }
    }
    return texts;
}

}  // namespace vnrc

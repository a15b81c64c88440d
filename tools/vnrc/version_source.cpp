#include "version_source.hpp"

#include <charconv>
#include <sstream>
#include <vector>

namespace vnrc {
namespace {

namespace ver = platform::version;

struct token {
    std::string text;
    bool quoted = false;
};

[[noreturn]] void fail(std::size_t line, const std::string& what) {
    throw source_error("line " + std::to_string(line) + ": " + what);
}

std::vector<token> tokenize(std::string_view s, std::size_t line) {
    std::vector<token> tokens;
    std::size_t at = 0;
    while (true) {
        at = s.find_first_not_of(" \t", at);
        if (at == std::string_view::npos) {
            return tokens;
        }
        if (s[at] != '"') {
            const std::size_t end = std::min(s.find_first_of(" \t", at), s.size());
            tokens.push_back({std::string(s.substr(at, end - at)), false});
            at = end;
            continue;
        }
        std::size_t close = at + 1;
        while (close < s.size() && s[close] != '"') {
            close += s[close] == '\\' ? 2 : 1;
        }
        if (close >= s.size()) {
            fail(line, "unterminated text");
        }
        tokens.push_back({unescape(s.substr(at + 1, close - at - 1), line), true});
        at = close + 1;
    }
}

std::uint32_t parse_number(const token& t, std::uint32_t max, std::size_t line) {
    std::string_view s = t.text;
    int base = 10;
    if (s.starts_with("0x") || s.starts_with("0X")) {
        s.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (t.quoted || s.empty() || ec != std::errc{} || end != s.data() + s.size() || value > max) {
        fail(line, "not a number up to " + std::to_string(max) + ": " + t.text);
    }
    return value;
}

// "7.2.2.1" as the most and least significant double words.
std::pair<std::uint32_t, std::uint32_t> parse_version(const token& t, std::size_t line) {
    std::uint32_t parts[4] = {};
    std::size_t count = 0;
    bool complete = false;
    for (std::size_t at = 0; count < 4 && !complete;) {
        const std::size_t end = std::min(t.text.find('.', at), t.text.size());
        parts[count++] = parse_number({t.text.substr(at, end - at), t.quoted}, 0xFFFF, line);
        complete = end == t.text.size();
        at = end + 1;
    }
    if (count != 4 || !complete) {
        fail(line, "expected a version of four numbers: " + t.text);
    }
    return {(parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3]};
}

}  // namespace

ver::version_resource parse_version_source(const std::string& text) {
    ver::version_resource resource;
    ver::fixed_file_info& fixed = resource.fixed.emplace();
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
        const auto tokens = tokenize(s, line);
        const token& head = tokens.front();
        auto expect_arguments = [&](std::size_t n) {
            if (tokens.size() != n + 1) {
                fail(line, (head.quoted ? "a string" : head.text) + " takes " + std::to_string(n) + " argument(s)");
            }
        };
        if (head.quoted) {
            expect_arguments(1);
            if (!tokens[1].quoted) {
                fail(line, "expected \"key\" \"value\"");
            }
            if (resource.string_tables.empty()) {
                fail(line, "string outside a STRINGTABLE");
            }
            resource.string_tables.back().strings.emplace_back(head.text, tokens[1].text);
            continue;
        }
        const std::string& keyword = head.text;
        if (keyword == "FILEVERSION" || keyword == "PRODUCTVERSION") {
            expect_arguments(1);
            const auto [ms, ls] = parse_version(tokens[1], line);
            (keyword == "FILEVERSION" ? fixed.dwFileVersionMS : fixed.dwProductVersionMS) = ms;
            (keyword == "FILEVERSION" ? fixed.dwFileVersionLS : fixed.dwProductVersionLS) = ls;
        } else if (keyword == "FILEFLAGSMASK" || keyword == "FILEFLAGS" || keyword == "FILEOS" ||
                   keyword == "FILETYPE" || keyword == "FILESUBTYPE") {
            expect_arguments(1);
            const std::uint32_t value = parse_number(tokens[1], 0xFFFFFFFF, line);
            if (keyword == "FILEFLAGSMASK") {
                fixed.dwFileFlagsMask = value;
            } else if (keyword == "FILEFLAGS") {
                fixed.dwFileFlags = value;
            } else if (keyword == "FILEOS") {
                fixed.dwFileOS = value;
            } else if (keyword == "FILETYPE") {
                fixed.dwFileType = value;
            } else {
                fixed.dwFileSubtype = value;
            }
        } else if (keyword == "TRANSLATION") {
            expect_arguments(2);
            resource.translations.push_back({static_cast<std::uint16_t>(parse_number(tokens[1], 0xFFFF, line)),
                                             static_cast<std::uint16_t>(parse_number(tokens[2], 0xFFFF, line))});
        } else if (keyword == "STRINGTABLE") {
            expect_arguments(1);
            if (tokens[1].text.size() != 8 ||
                tokens[1].text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
                fail(line, "a string table key is eight hexadecimal digits: " + tokens[1].text);
            }
            resource.string_tables.push_back({tokens[1].text, {}});
        } else {
            fail(line, "unknown statement " + keyword);
        }
    }
    return resource;
}

}  // namespace vnrc

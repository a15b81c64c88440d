#include "platform/process/command_line.hpp"

#include <cstddef>

namespace platform::process {
namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The program name must be a file name, so quotes only group and backslashes mean nothing special.
std::string take_program_name(std::string_view line, std::size_t& pos) {
    std::string name;
    bool in_quotes = false;
    for (; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            in_quotes = !in_quotes;
        } else if (!in_quotes && is_blank(c)) {
            break;
        } else {
            name += c;
        }
    }
    return name;
}

std::string take_argument(std::string_view line, std::size_t& pos) {
    std::string argument;
    bool in_quotes = false;
    while (pos < line.size()) {
        std::size_t backslashes = 0;
        while (pos < line.size() && line[pos] == '\\') {
            ++backslashes;
            ++pos;
        }
        if (pos < line.size() && line[pos] == '"') {
            argument.append(backslashes / 2, '\\');
            if (backslashes % 2 == 1) {
                argument += '"';
            } else if (in_quotes && pos + 1 < line.size() && line[pos + 1] == '"') {
                argument += '"';
                ++pos;
            } else {
                in_quotes = !in_quotes;
            }
            ++pos;
            continue;
        }
        argument.append(backslashes, '\\');
        if (pos == line.size() || (!in_quotes && is_blank(line[pos]))) {
            break;
        }
        argument += line[pos++];
    }
    return argument;
}

}  // namespace

std::vector<std::string> split_command_line(std::string_view command_line) {
    std::size_t pos = 0;
    std::vector<std::string> arguments{take_program_name(command_line, pos)};
    for (;;) {
        while (pos < command_line.size() && is_blank(command_line[pos])) {
            ++pos;
        }
        if (pos == command_line.size()) {
            return arguments;
        }
        arguments.push_back(take_argument(command_line, pos));
    }
}

std::string quote_argument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
        return std::string(argument);
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count double only before a quote, the closing one included.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

}  // namespace platform::process

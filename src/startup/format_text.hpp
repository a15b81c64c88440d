// Fills the positional placeholders of a user-visible text, as message texts are formatted:
// %1 to %99 take the arguments in order, %% gives a percent sign. A placeholder without an
// argument, and any other use of %, stays as written.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

std::string FormatText(std::string_view format, std::span<const std::string_view> args);

inline std::string FormatText(std::string_view format, std::initializer_list<std::string_view> args) {
    return FormatText(format, std::span<const std::string_view>(args.begin(), args.size()));
}

#include "startup/format_text.hpp"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string FormatText(std::string_view format, std::span<const std::string_view> arguments) {
    std::string out;
    out.reserve(format.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        if (format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // At most two digits, so "%10" is the tenth argument and "%100" the tenth followed by "0".
        std::size_t digits = 0;
        std::size_t number = 0;
        while (digits < 2 && i + 1 + digits < format.size() && IsDigit(format[i + 1 + digits])) {
            number = number * 10 + static_cast<std::size_t>(format[i + 1 + digits] - '0');
            ++digits;
        }
        if (digits == 0 || number == 0 || number > arguments.size()) {
            out.append(format.substr(i, 1 + digits));
        } else {
            out.append(arguments[number - 1]);
        }
        i += digits;
    }
    return out;
}

#include "registration.hpp"

#include "file_type_registration.hpp"

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <cctype>
#include <iostream>

namespace quillon {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::uint64_t parse_version_digits(const std::string& digits) {
    if (digits.size() != 16 ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isxdigit(c) != 0; })) {
        throw usage_error("/update= needs 16 hexadecimal digits, not \"" + digits + "\"");
    }
    return std::stoull(digits, nullptr, 16);
}

}  // namespace

std::optional<registration_request> parse_registration(const std::vector<std::string>& arguments) {
    const bool asked =
        std::any_of(arguments.begin(), arguments.end(), [](const std::string& a) { return lower(a) == "/register"; });
    if (!asked) {
        return std::nullopt;
    }
    registration_request request;
    const std::string update_switch = "/update=";
    for (const std::string& argument : arguments) {
        const std::string key = lower(argument);
        if (key == "/register") {
            continue;
        }
        if (key == "/background") {
            request.background = true;
        } else if (key.rfind(update_switch, 0) == 0) {
            request.previous_version = parse_version_digits(argument.substr(update_switch.size()));
        } else {
            throw usage_error("unknown argument next to /Register: " + argument);
        }
    }
    return request;
}

int run_registration(const registration_request& request) {
    boost::system::error_code ec;
    const boost::filesystem::path program = boost::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        std::cerr << "quillon: cannot tell where this program lies: " << ec.message() << '\n';
        return 1;
    }
    const auto failures = register_file_type(program, request.previous_version);
    if (!failures.empty()) {
        std::cerr << "quillon: the document type could not be registered:\n";
        for (const auto& failure : failures) {
            std::cerr << "  " << failure << '\n';
        }
        return 1;
    }
    if (!request.background) {
        std::cout << "Quillon documents (" << document_extension << ") now open with " << program.string() << '\n';
    }
    return registration_succeeded;
}

}  // namespace quillon

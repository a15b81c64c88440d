// The registration run the installer starts after installing or updating the program:
//   quillon /Register /Background [/update=HHHHHHHHHHHHHHHH]
// It registers the document type for the program file that runs, records the version an update
// replaced (16 hexadecimal digits: the previous file version, most significant part first), and
// answers with the exit code the installer takes for success.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillon {

inline constexpr int registration_succeeded = -10;

struct registration_request {
    bool background = false;
    std::optional<std::uint64_t> previous_version;
};

struct usage_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The request the arguments make (program name excluded); empty when they do not ask for a
// registration. Switches ignore case. Throws usage_error for an unknown switch next to /Register or a
// malformed /update value.
std::optional<registration_request> parse_registration(const std::vector<std::string>& arguments);

// Registers and returns the exit code: registration_succeeded, or 1 after reporting the failures on
// standard error.
int run_registration(const registration_request& request);

}  // namespace quillon

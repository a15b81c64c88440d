#include "platform/system/environment.hpp"

#include <cstdlib>

extern char** environ;

namespace platform::system {

std::vector<std::string> environment_variables() {
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
        variables.emplace_back(*entry);
    }
    return variables;
}

bool set_environment_variable(const std::string& name, const std::string& value) {
    if (name.empty() || name.find('=') != std::string::npos) {
        return false;
    }
    return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

}  // namespace platform::system

// The process's environment as a whole: listing every variable and setting one. Needed where
// variables are handed on by name to a program that starts with a cleared environment.
//
// Both are meant for start-up, before other threads run: the C library's environment is not
// protected against concurrent change. set_environment_variable returns false for a name that is
// empty or holds '='.
#pragma once

#include <string>
#include <vector>

namespace platform::system {

// Every variable as "NAME=VALUE", in the environment's order.
std::vector<std::string> environment_variables();

bool set_environment_variable(const std::string& name, const std::string& value);

}  // namespace platform::system

// UTF-16 text at the library's boundary, as UTF-8 inside it.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

#include <string>

namespace platform::advapi {

// The UTF-8 form of a null-terminated UTF-16 text; ERROR_INVALID_NAME for a lone surrogate.
std::string to_utf8(const WCHAR* text);

}  // namespace platform::advapi

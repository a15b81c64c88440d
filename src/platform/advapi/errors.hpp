// The library's thread-local last error, the exception its internals throw to set it, and the Windows
// codes of the errno values its file functions meet.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

namespace platform::advapi {

// Thrown inside the library; each export turns it into its last error and a FALSE result.
struct failure {
    DWORD code;
};

[[noreturn]] inline void fail(DWORD code) {
    throw failure{code};
}

DWORD last_error();
void set_last_error(DWORD code);

// ERROR_FILE_NOT_FOUND for ENOENT, ERROR_ACCESS_DENIED for EACCES and EPERM, and so on.
DWORD error_from_errno(int error);

}  // namespace platform::advapi

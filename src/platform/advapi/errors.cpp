#include "platform/advapi/errors.hpp"

#include <cerrno>

namespace platform::advapi {
namespace {

thread_local DWORD thread_last_error = ERROR_SUCCESS;

}  // namespace

DWORD last_error() {
    return thread_last_error;
}

void set_last_error(DWORD code) {
    thread_last_error = code;
}

DWORD error_from_errno(int error) {
    switch (error) {
        case 0:
            return ERROR_SUCCESS;
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
            return ERROR_ACCESS_DENIED;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EROFS:
            return ERROR_WRITE_PROTECT;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case ELOOP:
            return ERROR_CANT_RESOLVE_FILENAME;
        case ENOTSUP:
            return ERROR_NOT_SUPPORTED;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        default:
            return ERROR_GEN_FAILURE;
    }
}

}  // namespace platform::advapi

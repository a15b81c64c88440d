#include "platform/process/win32_error.hpp"

#include <cerrno>

namespace platform::process {

std::uint32_t win32_error_from_errno(int error_number) {
    switch (error_number) {
        case 0:
            return error_success;
        case ENOENT:
            return error_file_not_found;
        case ENOTDIR:
            return error_path_not_found;
        case EMFILE:
        case ENFILE:
            return error_too_many_open_files;
        case EACCES:
        case EPERM:
        case EISDIR:
            return error_access_denied;
        case EBADF:
            return error_invalid_handle;
        case ENOMEM:
            return error_not_enough_memory;
        case EROFS:
            return error_write_protect;
        case ETXTBSY:
        case EBUSY:
            return error_sharing_violation;
        case ENOSYS:
        case EOPNOTSUPP:
            return error_not_supported;
        case EEXIST:
            return error_file_exists;
        case EINVAL:
            return error_invalid_parameter;
        case ENOSPC:
            return error_disk_full;
        case ENOTEMPTY:
            return error_dir_not_empty;
        case ENOEXEC:
            return error_bad_exe_format;
        case ENAMETOOLONG:
        case E2BIG:
            return error_filename_exced_range;
        case EIO:
            return error_io_device;
        case EAGAIN:
            return error_no_system_resources;
        case ETIMEDOUT:
            return error_timeout;
        case ELOOP:
            return error_cant_resolve_filename;
        default:
            return error_gen_failure;
    }
}

}  // namespace platform::process

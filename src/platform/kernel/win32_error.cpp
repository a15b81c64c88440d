#include "platform/kernel/win32_error.hpp"

#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/system_messages.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace platform::kernel {
namespace {

struct errno_mapping {
    int error_number;
    std::uint32_t code;
};

// The first line naming a Win32 code is also the errno it converts back to.
constexpr errno_mapping errno_table[] = {
    {ENOENT, win32::file_not_found},
    {ENOTDIR, win32::path_not_found},
    {EMFILE, win32::too_many_open_files},
    {ENFILE, win32::too_many_open_files},
    {EACCES, win32::access_denied},
    {EPERM, win32::access_denied},
    // Opening a folder as a file is refused as access denied on Windows.
    {EISDIR, win32::access_denied},
    {EBADF, win32::invalid_handle},
    {ENOMEM, win32::not_enough_memory},
    {E2BIG, win32::bad_environment},
    {ENOEXEC, win32::bad_format},
    {EXDEV, win32::not_same_device},
    {EROFS, win32::write_protect},
    {ENODEV, win32::bad_unit},
    {ENXIO, win32::bad_unit},
    {ENOMEDIUM, win32::not_ready},
    // A running program being written, and a lock another process holds, are what Windows reports as
    // sharing violations.
    {ETXTBSY, win32::sharing_violation},
    {EAGAIN, win32::sharing_violation},
    {ENOLCK, win32::sharing_buffer_exceeded},
    // A quota is a disk that is full for this account.
    {EDQUOT, win32::handle_disk_full},
    {ENOTSUP, win32::not_supported},
    {EEXIST, win32::already_exists},
    {EINVAL, win32::invalid_parameter},
    {EDOM, win32::invalid_parameter},
    {EPIPE, win32::broken_pipe},
    {ENOSPC, win32::disk_full},
    {ENOSYS, win32::call_not_implemented},
    {ERANGE, win32::insufficient_buffer},
    {ECHILD, win32::wait_no_children},
    {ESPIPE, win32::seek_on_device},
    {ENOTEMPTY, win32::dir_not_empty},
    {EBUSY, win32::busy},
    {ENAMETOOLONG, win32::filename_exced_range},
    {EFBIG, win32::file_too_large},
    {EOVERFLOW, win32::arithmetic_overflow},
    {EINTR, win32::operation_aborted},
    {ECANCELED, win32::operation_aborted},
    {EFAULT, win32::noaccess},
    {EILSEQ, win32::no_unicode_translation},
    {EIO, win32::io_device},
    {EDEADLK, win32::possible_deadlock},
    {EMLINK, win32::too_many_links},
    {EUCLEAN, win32::file_corrupt},
    {EBADMSG, win32::file_corrupt},
    {ENOBUFS, win32::no_system_resources},
    {ETIMEDOUT, win32::timeout},
    {ELOOP, win32::cant_resolve_filename},
    {ENOTTY, win32::invalid_function},
};

class win32_error_category final : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }

    std::string message(int value) const override {
        const auto code = static_cast<std::uint32_t>(value);
        if (auto text = system_message_text(code)) {
            return *text;
        }
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, "Error 0x%08X", code);
        return fallback;
    }

    // Lets callers compare with std::errc (ec == std::errc::no_such_file_or_directory).
    std::error_condition default_error_condition(int value) const noexcept override {
        for (const auto& entry : errno_table) {
            if (entry.code == static_cast<std::uint32_t>(value)) {
                return {entry.error_number, std::generic_category()};
            }
        }
        return {value, *this};
    }
};

thread_local std::uint32_t thread_last_error = 0;

bool folder_exists(const boost::filesystem::path& folder) {
    struct stat status {};
    return ::stat(folder.empty() ? "." : folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

std::uint32_t win32_from_errno(int error_number) {
    if (error_number == 0) {
        return win32::success;
    }
    for (const auto& entry : errno_table) {
        if (entry.error_number == error_number) {
            return entry.code;
        }
    }
    return win32::unidentified_error;
}

std::uint32_t win32_from_errno(int error_number, const boost::filesystem::path& path) {
    if (error_number == ENOENT && !folder_exists(path.parent_path())) {
        return win32::path_not_found;
    }
    return win32_from_errno(error_number);
}

const std::error_category& win32_category() {
    static const win32_error_category category;
    return category;
}

std::error_code make_win32_error(std::uint32_t code) {
    return {static_cast<int>(code), win32_category()};
}

std::uint32_t last_error() {
    return thread_last_error;
}

void set_last_error(std::uint32_t code) {
    thread_last_error = code;
}

std::error_code fail_with(std::uint32_t code) {
    set_last_error(code);
    return make_win32_error(code);
}

std::error_code fail_with_errno(int error_number, const boost::filesystem::path& path) {
    if (error_number == ELOOP) {
        // A refused link is the one failure an administrator must be able to find by its path.
        diagnostics::note("Not following a symbolic link in a folder other accounts may write: ", path);
    }
    return fail_with(win32_from_errno(error_number, path));
}

}  // namespace platform::kernel

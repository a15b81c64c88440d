#include "platform/diagnostics/diagnostic_log.hpp"

#include "platform/kernel/unique_fd.hpp"
#include "platform/system/user_file_rights.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace platform::diagnostics {
namespace {

using platform::kernel::unique_fd;

// Guards the descriptor: opening and closing happen under it, and so does each write, so that a line
// is never written to a descriptor another thread is closing.
std::mutex& log_guard() {
    static std::mutex guard;
    return guard;
}

unique_fd& log_file() {
    static unique_fd file;
    return file;
}

// "2026-12-11T01:02:03.456Z "
std::string timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + length, sizeof text - length, ".%03dZ ", static_cast<int>(millis));
    return text;
}

std::error_code last_error() {
    return {errno, std::generic_category()};
}

// Creates the file, or opens an existing one that is safe to append to. O_NOFOLLOW refuses a link at
// the last element; a second name (a hard link planted in a shared folder) or another owner could make
// root append to a file that is not the log, so such a file is refused.
std::error_code open_for_appending(const boost::filesystem::path& file, unique_fd& opened) {
    constexpr int flags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
    opened = unique_fd(::open(file.c_str(), flags | O_CREAT | O_EXCL, 0600));
    if (opened) {
        return {};
    }
    if (errno != EEXIST) {
        return last_error();
    }
    opened = unique_fd(::open(file.c_str(), flags | O_NONBLOCK));
    if (!opened) {
        return last_error();
    }
    struct stat status {};
    if (::fstat(opened.get(), &status) != 0) {
        return last_error();
    }
    if (!S_ISREG(status.st_mode) || status.st_uid != platform::system::file_system_uid() || status.st_nlink != 1) {
        opened = unique_fd();
        return std::make_error_code(std::errc::operation_not_permitted);
    }
    return {};
}

}  // namespace

namespace detail {

std::atomic<bool> log_is_open{false};

void write_line(std::string_view text) noexcept {
    try {
        std::string line = timestamp();
        line += text;
        line += '\n';
        const std::lock_guard lock(log_guard());
        const unique_fd& file = log_file();
        if (!file) {
            return;
        }
        // A full disk must not stop the run the log describes: a line that cannot be written is lost.
        (void)platform::kernel::write_all(file.get(), line);
    } catch (...) {
        // Out of memory for one line: it is lost.
    }
}

void append(std::string& line, hex32 value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value.value));
    line += text;
}

}  // namespace detail

std::error_code open_log(const boost::filesystem::path& file) {
    unique_fd opened;
    if (const std::error_code error = open_for_appending(file, opened)) {
        return error;
    }
    const std::lock_guard lock(log_guard());
    log_file() = std::move(opened);
    detail::log_is_open.store(true, std::memory_order_relaxed);
    return {};
}

void close_log() noexcept {
    const std::lock_guard lock(log_guard());
    detail::log_is_open.store(false, std::memory_order_relaxed);
    log_file() = unique_fd();
}

std::string system_error_text(int error_number) {
    return std::generic_category().message(error_number);
}

void note_failure(std::string_view what, const boost::filesystem::path& path, int error_number) noexcept {
    if (!log_open()) {
        return;
    }
    try {
        note("FAILED ", what, ": ", path, ": ", system_error_text(error_number), " (errno ", error_number, ")");
    } catch (...) {
        // Out of memory for the error's text: the line is lost.
    }
}

}  // namespace platform::diagnostics

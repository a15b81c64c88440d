// Starting a program and waiting for it to end. Stands in for CreateProcessW (with a working folder
// and HIGH_PRIORITY_CLASS), WaitForSingleObject on a process, GetExitCodeProcess and CloseHandle.
//
// The program is the first element of the command line as the started program's run-time library
// reads it (split_command_line): a path, made absolute against the caller's current folder before
// the new working folder applies, or a bare name searched in PATH. Unlike Windows, an unquoted path
// with blanks is never tried piece by piece. The program inherits the environment and the standard
// streams; no other descriptor reaches it.
#pragma once

#include "platform/kernel/unique_fd.hpp"
#include "platform/sync/wait_result.hpp"

#include <sys/types.h>
#include <boost/filesystem/path.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform::process {

enum class priority_class {
    normal,
    // A nice value ten below the caller's, when the account may lower it; otherwise normal.
    high,
};

struct start_options {
    std::string command_line;                // the program, quoted when it holds blanks, then arguments
    boost::filesystem::path working_folder;  // empty: the caller's current folder
    priority_class priority = priority_class::normal;
};

// The exit code of a program ended by a signal: this base plus the signal number (SIGKILL reads
// 0xC0000109). No program can end with such a code itself, as exit statuses have eight bits.
inline constexpr std::uint32_t exit_code_signal_base = 0xC0000100;

// One started program. Closing the handle does not end the program; it is reaped in the
// background when it ends later.
class process_handle {
public:
    // Starts the program. On failure the handle is empty and start_error() says why, as a Windows
    // error code: ERROR_FILE_NOT_FOUND for a missing program, ERROR_ACCESS_DENIED for a file that
    // may not be executed, ERROR_DIRECTORY for a working folder that cannot be entered, ...
    static process_handle start(const start_options& options);

    process_handle() = default;
    process_handle(process_handle&& other) noexcept;
    process_handle& operator=(process_handle&& other) noexcept;
    process_handle(const process_handle&) = delete;
    process_handle& operator=(const process_handle&) = delete;
    ~process_handle();

    explicit operator bool() const { return m_pid > 0; }
    std::uint32_t start_error() const { return m_start_error; }
    pid_t id() const { return m_pid; }

    // object_0 once the program has ended, timeout when it still runs after the timeout, failed
    // for an empty handle or when the program's status was collected by someone else.
    sync::wait_result wait(std::chrono::milliseconds timeout = sync::infinite);

    // Waits without a time limit, calling pump every interval while the program runs, so that the
    // caller's window stays responsive.
    sync::wait_result wait_pumping(std::chrono::milliseconds interval, const std::function<void()>& pump);

    // A descriptor that becomes readable when the program ends, for the caller's own event loop;
    // -1 when the system offers none (then use wait with a timeout).
    int pollable_descriptor() const { return m_pidfd.get(); }

    // The exit code once the program has ended: the 8-bit exit status read as signed, so exit(-10)
    // reads -10; exit_code_signal_base plus the signal for a program ended by a signal. Empty while
    // the program runs and for an empty handle.
    std::optional<std::int32_t> exit_code();

private:
    bool reap(bool block);
    void close();

    pid_t m_pid = -1;
    kernel::unique_fd m_pidfd;
    std::uint32_t m_start_error = 0;
    std::optional<std::int32_t> m_exit_code;
    bool m_status_lost = false;
};

}  // namespace platform::process

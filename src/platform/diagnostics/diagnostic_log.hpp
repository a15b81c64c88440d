// The diagnostic log: one timestamped UTF-8 line per event, for the administrator who has to find out
// why a run failed. It is a process-wide service that does nothing until a log is opened, so that the
// code reporting events does not need to know whether anyone listens: with no log open, a note costs
// one atomic load and builds no text.
//
// Every line is written with one write() on a descriptor opened for appending, so a run that is killed
// leaves every line up to its last event, and lines of several threads never interleave.
#pragma once

#include <boost/filesystem/path.hpp>

#include <atomic>
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace platform::diagnostics {

// Starts logging to file. A missing file is created (mode 0600); an existing one is appended to when it
// is a regular file of this user with no other name. The file is never opened through a symbolic link.
// A log already open is closed first.
std::error_code open_log(const boost::filesystem::path& file);
void close_log() noexcept;

// A 32-bit value written as eight hex digits (CRCs, error codes).
struct hex32 {
    std::uint32_t value;
};

// The system's text for an error number, e.g. "No space left on device".
std::string system_error_text(int error_number);

namespace detail {

extern std::atomic<bool> log_is_open;
void write_line(std::string_view text) noexcept;

inline void append(std::string& line, std::string_view text) {
    line += text;
}
inline void append(std::string& line, const char* text) {
    line += text;
}
inline void append(std::string& line, const std::string& text) {
    line += text;
}
inline void append(std::string& line, const boost::filesystem::path& path) {
    line += path.string();
}
void append(std::string& line, hex32 value);
template <std::integral Number>
void append(std::string& line, Number number) {
    line += std::to_string(number);
}

}  // namespace detail

inline bool log_open() noexcept {
    return detail::log_is_open.load(std::memory_order_relaxed);
}

// Writes one line made of the parts (texts, paths, numbers, hex32), when a log is open.
template <typename... Parts>
void note(const Parts&... parts) noexcept {
    if (!log_open()) {
        return;
    }
    try {
        std::string line;
        (detail::append(line, parts), ...);
        detail::write_line(line);
    } catch (...) {
        // A line that cannot be built (out of memory) is lost; the run goes on.
    }
}

// Writes a failure: what failed, the path it concerned, and the system's text for the error.
void note_failure(std::string_view what, const boost::filesystem::path& path, int error_number) noexcept;

}  // namespace platform::diagnostics

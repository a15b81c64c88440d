// What the archive writer and the extraction tell their caller, and the caller's answers. The
// order of the alternatives is fixed: callers may switch on index().
#pragma once

#include "payload/archive_entry.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <functional>
#include <system_error>
#include <variant>

namespace payload {

namespace notifications {

struct started {};
struct finished {
    std::uint64_t compressed_bytes = 0;  // read from the source
    std::uint64_t bytes_total = 0;
};
struct entry_begin {
    const archive_entry& entry;
};
struct entry_end {
    const archive_entry& entry;
};
struct progress {
    std::uint64_t bytes_done = 0;
    std::uint64_t bytes_total = 0;
};
struct failed {
    std::error_code code;
    boost::filesystem::path path;
};

}  // namespace notifications

struct notification : std::variant<notifications::started, notifications::finished, notifications::entry_begin,
                                   notifications::entry_end, notifications::progress, notifications::failed> {
    using variant::variant;

    using started = notifications::started;
    using finished = notifications::finished;
    using entry_begin = notifications::entry_begin;
    using entry_end = notifications::entry_end;
    using progress = notifications::progress;
    using failed = notifications::failed;

    // skip only means something as the answer to entry_begin; elsewhere it counts as proceed.
    enum class result { proceed = 0, stop = 1, skip = 2 };
};

using notify_function = std::function<notification::result(notification)>;

}  // namespace payload

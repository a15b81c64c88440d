// A file replaced as a whole: written under a fresh name beside the target, flushed to disk, then
// renamed over it. A crash or a full disk leaves the old file or the new one, never a cut one.
// Stands in for the write-then-MoveFileEx(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) habit.
// The target's folder is walked and held open (path_walk.hpp), and the new file is created and
// renamed relative to it.
#pragma once

#include "platform/kernel/path_walk.hpp"
#include "platform/kernel/unique_fd.hpp"

#include <boost/filesystem/path.hpp>

#include <cstddef>
#include <span>
#include <system_error>

namespace platform::kernel {

class atomic_file {
public:
    // Creates the new file exclusively beside `target` (never through a symbolic link).
    explicit atomic_file(boost::filesystem::path target);
    ~atomic_file();  // discards the new file unless committed
    atomic_file(const atomic_file&) = delete;
    atomic_file& operator=(const atomic_file&) = delete;

    bool is_open() const { return static_cast<bool>(m_fd); }
    // The first error met so far; writes after an error do nothing.
    std::error_code error() const { return m_error; }
    const boost::filesystem::path& temporary_path() const { return m_temp; }

    void write(std::span<const std::byte> bytes);
    // The permission bits the new file gets (it is created readable by its owner only).
    void set_permissions(unsigned mode);
    // Flushes and renames over the target; false (and the target untouched) after any error.
    bool commit();

private:
    void fail(int err);

    held_entry m_target;
    std::string m_temp_name;
    boost::filesystem::path m_temp;
    unique_fd m_fd;
    std::error_code m_error;
    bool m_committed = false;
};

}  // namespace platform::kernel

#include "payload/entry_files.hpp"

#include "payload/folder_tokens.hpp"
#include "platform/kernel/file_attributes.hpp"
#include "platform/kernel/file_operations.hpp"
#include "platform/kernel/shared_file.hpp"
#include "platform/kernel/win32_error.hpp"
#include "security/access_control.hpp"

#include <boost/filesystem/operations.hpp>
#include <boost/system/system_error.hpp>

#include <zlib.h>

#include <cerrno>
#include <thread>
#include <vector>

namespace payload {

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;

namespace {

// Large reads: a file is read back right after it was written, from the page cache, so the time
// goes into the calls, not the disk.
constexpr std::size_t read_block_size = std::size_t{256} * 1024;

// Entries arrive in pieces of a few kilobytes; the file gets them in writes this large.
constexpr std::size_t write_buffer_size = std::size_t{256} * 1024;

// Keeps the stream buffer alive as long as the stream that writes into it.
class entry_file_stream : private kernel::file_output_buf, public std::ostream {
public:
    entry_file_stream(kernel::unique_fd fd, const fs::path& destination)
        : kernel::file_output_buf(std::move(fd), destination, write_buffer_size),
          std::ostream(static_cast<kernel::file_output_buf*>(this)) {}
};

}  // namespace

std::unique_ptr<std::ostream> open_entry_output(const fs::path& destination, access_folder_list& access) {
    boost::system::error_code exists_error;
    if (fs::exists(fs::symlink_status(destination, exists_error))) {
        make_writable(destination);
    } else if (const std::error_code error = kernel::create_folders(destination.parent_path())) {
        throw file_error(error, destination, "cannot create the folder");
    }
    open_folder_access(destination.parent_path(), access);

    std::error_code error;
    auto fd = kernel::open_shared_file(destination, kernel::file_access::write, error);
    if (!fd) {
        throw file_error(error, destination, "cannot open the file for writing");
    }
    return std::make_unique<entry_file_stream>(std::move(fd), destination);
}

void make_writable(const fs::path& path) noexcept {
    boost::system::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(path, error)) || error) {
        return;
    }
    const auto attributes = kernel::file_attributes(path);
    if (attributes != kernel::invalid_file_attributes && (attributes & kernel::file_attribute_readonly) != 0) {
        kernel::set_file_attributes(path, attributes & ~kernel::file_attribute_readonly);
    }
}

void open_folder_access(const fs::path& folder, access_folder_list& access) noexcept {
    for (auto& recorded : access) {
        if (recorded.done) {
            continue;
        }
        try {
            for (fs::path current = folder; !current.empty(); current = current.parent_path()) {
                boost::system::error_code error;
                if (!fs::is_directory(fs::status(current, error)) || error) {
                    break;
                }
                if (same_folder(current, recorded.folder)) {
                    recorded.done = true;
                    security::GrantUsersAccess(current, users_folder_access, users_folder_ace_flags);
                    break;
                }
                if (current == current.root_path()) {
                    break;
                }
            }
        } catch (...) {
            // Out of memory on the walk: this folder stays closed, as a failed grant does.
        }
    }
}

std::uint32_t file_crc32(const fs::path& path) {
    std::error_code error;
    auto fd = kernel::open_shared_file(path, kernel::file_access::read, error);
    if (!fd) {
        throw file_error(error, path, "cannot open the file to check it");
    }
    kernel::file_input_buf input(std::move(fd));
    // zlib's CRC-32 is the same checksum as Boost's crc_32_type, computed several bytes at a time:
    // the check of every written file runs on the thread that also writes the next one.
    uLong crc = crc32_z(0, nullptr, 0);
    std::vector<char> block(read_block_size);
    try {
        while (const std::streamsize got = input.sgetn(block.data(), static_cast<std::streamsize>(block.size()))) {
            crc = crc32_z(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<z_size_t>(got));
        }
    } catch (const std::system_error& failure) {
        throw file_error(failure.code(), path, "cannot read the file to check it");
    }
    return static_cast<std::uint32_t>(crc);
}

std::uint32_t file_crc32_retrying(const fs::path& path, int retries, std::chrono::milliseconds pause) {
    for (int attempt = 0;; ++attempt) {
        try {
            return file_crc32(path);
        } catch (const std::exception& failure) {
            if (attempt >= retries || !is_sharing_violation(failure)) {
                throw;
            }
        }
        std::this_thread::sleep_for(pause);
    }
}

bool is_sharing_violation(const std::exception& failure) noexcept {
    if (const auto* error = dynamic_cast<const std::system_error*>(&failure)) {
        return error->code() == kernel::make_win32_error(kernel::win32::sharing_violation);
    }
    if (const auto* error = dynamic_cast<const boost::system::system_error*>(&failure)) {
        // Boost reports errno values; a lock held by another opener is EAGAIN here.
        return error->code().category() == boost::system::system_category() && error->code().value() == EAGAIN;
    }
    return false;
}

}  // namespace payload

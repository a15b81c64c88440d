#include "payload/extraction.hpp"

#include "payload/archive_writer.hpp"
#include "payload/compress_error.hpp"
#include "payload/decompression.hpp"
#include "payload/entry_files.hpp"
#include "payload/folder_tokens.hpp"
#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/shell/user_folders.hpp"
#include "platform/system/user_file_rights.hpp"

#include <boost/filesystem/exception.hpp>
#include <boost/system/system_error.hpp>

#include <stdexcept>

namespace payload {

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;
namespace diagnostics = platform::diagnostics;

fs::path file_archive_target::resolve_folder(const std::string& folder_text, const archive_folders& folders,
                                             access_folder_list& access) {
    return payload::resolve_folder(folder_text, folders, access);
}

// An entry in the user's folders (the samples) is made, and read back, with the user's own rights;
// the opened stream keeps the file it was given.
std::unique_ptr<std::ostream> file_archive_target::open_entry_output(const archive_entry& entry,
                                                                     access_folder_list& access) {
    const platform::system::user_file_rights rights(platform::shell::in_user_folders(entry.destination));
    return payload::open_entry_output(entry.destination, access);
}

std::uint32_t file_archive_target::stored_crc32(const archive_entry& entry) {
    std::uint32_t crc = 0;
    {
        const platform::system::user_file_rights rights(platform::shell::in_user_folders(entry.destination));
        crc = file_crc32_retrying(entry.destination);
    }
    diagnostics::note("Wrote ", entry.destination, " (", entry.size, " bytes, CRC ", diagnostics::hex32{crc}, ")");
    return crc;
}

namespace {

// The operating system's errors are shown as Win32 codes; errno values of the system category are
// converted, with the path for the missing-file-or-folder distinction.
std::error_code from_errno(int value, const fs::path& path) {
    return kernel::make_win32_error(kernel::win32_from_errno(value, path));
}

// The failure as the diagnostic log tells it: errno values with the system's own text, anything
// else with its error code's text.
void note_failure(const std::exception_ptr& failure, const fs::path& path) noexcept {
    if (!diagnostics::log_open()) {
        return;
    }
    try {
        std::rethrow_exception(failure);
    } catch (const boost::system::system_error& error) {
        if (error.code().category() == boost::system::system_category() ||
            error.code().category() == boost::system::generic_category()) {
            diagnostics::note_failure("extracting", path, error.code().value());
            return;
        }
        diagnostics::note("FAILED extracting: ", path, ": ", error.what());
    } catch (...) {
        try {
            diagnostics::note("FAILED extracting: ", path, ": ", failure_code(failure).message());
        } catch (...) {
            // No text for it: the failure is still reported to the caller.
        }
    }
}

}  // namespace

std::error_code failure_code(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const boost::system::system_error& error) {
        const auto& code = error.code();
        if (code.category() == boost::system::generic_category()) {
            return {code.value(), std::generic_category()};
        }
        if (code.category() == boost::system::system_category()) {
            return from_errno(code.value(), failure_path(failure));
        }
        return compress_errc::unexpected;
    } catch (const std::system_error& error) {
        // Stream failures of this program carry their own error; the iostream category only says
        // that a stream failed, which is no better than an unexpected error.
        if (error.code().category() == std::iostream_category()) {
            return compress_errc::unexpected;
        }
        if (error.code().category() == std::system_category()) {
            return from_errno(error.code().value(), failure_path(failure));
        }
        return error.code();
    } catch (const std::exception&) {
        return compress_errc::unexpected;
    } catch (...) {
        return compress_errc::unexpected;
    }
}

fs::path failure_path(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const fs::filesystem_error& error) {
        return error.path1();
    } catch (const file_error& error) {
        return error.path();
    } catch (...) {
        return {};
    }
}

bool extract_payload(std::istream& source, const extract_settings& settings) {
    if (!settings.on_notify) {
        throw std::invalid_argument("extract_payload needs a notification function");
    }
    const auto& notify = settings.on_notify;
    file_archive_target target;
    std::unique_ptr<archive_writer> writer;
    bool decompressing = false;  // a failure now names the entry being written
    try {
        notify(notification::started{});
        writer = std::make_unique<archive_writer>(settings.install_folder, settings.sample_folder, settings.temp_folder,
                                                  notify, target);
        writer->require_kinds(settings.required_kinds);
        decompressing = true;
        const std::uint64_t compressed = decompress_payload(
            source, [&writer](const char* bytes, std::streamsize count) { return writer->write(bytes, count); });
        decompressing = false;
        if (writer->bytes_total() == 0 || writer->bytes_done() != writer->bytes_total()) {
            throw compress_failure(compress_errc::unexpected);  // the archive ended early
        }
        const std::uint64_t total = writer->bytes_total();
        writer.reset();
        notify(notification::finished{compressed, total});
        return true;
    } catch (...) {
        const auto failure = std::current_exception();
        fs::path path;
        if (decompressing && writer->open_entry() != nullptr) {
            path = writer->open_entry()->destination;
        } else {
            path = failure_path(failure);
        }
        writer.reset();  // closes an entry file still open
        note_failure(failure, path);
        try {
            notify(notification::failed{failure_code(failure), path});
        } catch (...) {
            // The answer to `failed` is not used; a handler failing here changes nothing.
        }
        return false;
    }
}

}  // namespace payload

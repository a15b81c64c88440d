// The output end of the payload's decompression. It receives the archive in blocks, collects and
// parses the index, makes every entry's destination, and then hands each entry's bytes to its
// stream, checking each stored file against the index. Every step is reported through the caller's
// notification function, whose answers can skip an entry or stop everything.
//
// Nothing but the index is held in memory: entry bytes go straight to the target's streams.
#pragma once

#include "payload/archive_entry.hpp"
#include "payload/archive_target.hpp"
#include "payload/notification.hpp"
#include "payload/vn/memstream.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <ios>
#include <memory>
#include <ostream>
#include <vector>

namespace payload {

class archive_writer {
public:
    // The target must outlive the writer.
    archive_writer(boost::filesystem::path install_folder, boost::filesystem::path sample_folder,
                   boost::filesystem::path temp_folder, notify_function on_notify, archive_target& target);

    archive_writer(const archive_writer&) = delete;
    archive_writer& operator=(const archive_writer&) = delete;

    // Handles a block of decompressed bytes and returns how many it consumed; the caller offers the
    // rest again. A failure marks the writer broken and propagates; a broken writer consumes every
    // later block without doing anything, so only the first failure is ever seen.
    //
    // Failures: compress error 7 for an index that is inconsistent or unsafe (before anything is
    // resolved or written), for two entries with one destination (before anything is written) and
    // for bytes beyond the last entry; 5 when the caller answers stop; 3
    // when a stored entry's CRC-32 differs from the index; the target's own failures unchanged.
    std::streamsize write(const char* bytes, std::streamsize count);

    // Kinds the index must hold at least one entry of, else it is refused with compress error 7.
    void require_kinds(std::vector<entry_kind> kinds) { m_required_kinds = std::move(kinds); }

    const archive_folders& folders() const { return m_folders; }
    // In archive order; complete once the index has been read (entry_number() >= 1).
    const std::vector<archive_entry>& entries() const { return m_entries; }
    // 0 until the first 8 bytes have arrived.
    std::uint64_t index_size() const { return m_index_size; }
    // Archive bytes accounted for: the index, then every entry byte written or skipped.
    std::uint64_t bytes_done() const { return m_bytes_done; }
    // The whole archive's length; 0 until the index has been read.
    std::uint64_t bytes_total() const { return m_bytes_total; }
    // 0 while the index is collected, then the 1-based number of the entry the next bytes belong to.
    std::uint32_t entry_number() const { return m_entry_number; }
    // The entry that has been begun and not yet ended, or null.
    const archive_entry* open_entry() const { return m_entry_open ? &m_entries[m_entry_number - 1] : nullptr; }
    bool broken() const { return m_broken; }
    const access_folder_list& access_folders() const { return m_access_folders; }

private:
    std::streamsize write_header(const char* bytes, std::streamsize count);
    void read_index();
    std::streamsize write_entry(const char* bytes, std::streamsize count);
    void write_empty_entries();
    // Sends a notification; stop ends the writing with error 5.
    notification::result ask(notification message);

    archive_folders m_folders;
    std::vector<archive_entry> m_entries;
    std::uint64_t m_index_size = 0;
    std::uint64_t m_bytes_done = 0;
    std::uint64_t m_bytes_total = 0;
    std::unique_ptr<vn::memstream> m_index;  // collects the header and index
    std::unique_ptr<std::ostream> m_output;  // the current entry's stream
    notify_function m_on_notify;
    archive_target& m_target;
    std::uint32_t m_entry_number = 0;
    std::uint64_t m_entry_remaining = 0;
    bool m_entry_open = false;
    bool m_entry_skipped = false;
    bool m_broken = false;
    access_folder_list m_access_folders;
    std::vector<entry_kind> m_required_kinds;
};

}  // namespace payload

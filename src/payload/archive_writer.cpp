#include "payload/archive_writer.hpp"

#include "payload/archive_index.hpp"
#include "payload/compress_error.hpp"
#include "payload/entry_path.hpp"

#include <algorithm>
#include <limits>
#include <string>

namespace payload {

archive_writer::archive_writer(boost::filesystem::path install_folder, boost::filesystem::path sample_folder,
                               boost::filesystem::path temp_folder, notify_function on_notify, archive_target& target)
    : m_folders{std::move(install_folder), std::move(sample_folder), std::move(temp_folder)},
      m_index(std::make_unique<vn::memstream>()),
      m_on_notify(std::move(on_notify)),
      m_target(target) {}

std::streamsize archive_writer::write(const char* bytes, std::streamsize count) {
    if (m_broken) {
        return count;
    }
    try {
        const std::streamsize taken = m_entry_number == 0 ? write_header(bytes, count) : write_entry(bytes, count);
        write_empty_entries();
        return taken;
    } catch (...) {
        m_broken = true;
        throw;
    }
}

std::streamsize archive_writer::write_header(const char* bytes, std::streamsize count) {
    auto& buffer = *m_index->rdbuf();
    const std::uint64_t buffered = buffer.size();
    const std::uint64_t wanted = buffered < index_size_width ? index_size_width : m_index_size;
    const auto taken = static_cast<std::streamsize>(std::min<std::uint64_t>(wanted - buffered, count));
    buffer.sputn(bytes, taken);
    if (buffered + taken == wanted) {
        if (wanted == index_size_width) {
            for (std::size_t i = 0; i < index_size_width; ++i) {
                m_index_size |= std::uint64_t{static_cast<unsigned char>(buffer.data()[i])} << (8 * i);
            }
            check_index_size(m_index_size);
        } else {
            read_index();
        }
    }
    return taken;
}

void archive_writer::read_index() {
    auto records = parse_archive_index({m_index->rdbuf()->data(), m_index->rdbuf()->size()});
    m_index.reset();

    std::uint64_t total = m_index_size;
    for (const auto& record : records) {
        check_entry_path(record.folder_text, entry_file_name(record.entry.source_name));
        if (record.entry.size > std::numeric_limits<std::uint64_t>::max() - total) {
            throw compress_failure(compress_errc::unexpected);
        }
        total += record.entry.size;
    }
    for (const entry_kind kind : m_required_kinds) {
        if (std::none_of(records.begin(), records.end(),
                         [kind](const auto& record) { return record.entry.kind == kind; })) {
            throw compress_failure(compress_errc::unexpected);
        }
    }

    std::vector<archive_entry> entries;
    entries.reserve(records.size());
    for (auto& record : records) {
        const std::string file_name(entry_file_name(record.entry.source_name));
        record.entry.destination = m_target.resolve_folder(record.folder_text, m_folders, m_access_folders) / file_name;
        entries.push_back(std::move(record.entry));
    }
    check_distinct_destinations(entries);
    m_entries = std::move(entries);

    m_bytes_done = m_index_size;
    m_bytes_total = total;
    ask(notification::progress{m_bytes_done, m_bytes_total});
    m_entry_number = 1;
}

std::streamsize archive_writer::write_entry(const char* bytes, std::streamsize count) {
    if (m_entry_number > m_entries.size()) {
        throw compress_failure(compress_errc::unexpected);
    }
    const archive_entry& entry = m_entries[m_entry_number - 1];
    if (!m_entry_open) {
        const auto answer = ask(notification::entry_begin{entry});
        m_entry_remaining = entry.size;
        m_entry_open = true;
        m_entry_skipped = answer == notification::result::skip;
        if (!m_entry_skipped) {
            m_output = m_target.open_entry_output(entry, m_access_folders);
            if (!m_output) {
                throw compress_failure(compress_errc::unexpected);
            }
            // Throws at once when the opening failed.
            m_output->exceptions(std::ios::failbit | std::ios::badbit);
        }
    }

    const auto taken = static_cast<std::streamsize>(std::min<std::uint64_t>(count, m_entry_remaining));
    if (!m_entry_skipped) {
        m_output->write(bytes, taken);
    }
    m_entry_remaining -= static_cast<std::uint64_t>(taken);
    m_bytes_done += static_cast<std::uint64_t>(taken);
    ask(notification::progress{m_bytes_done, m_bytes_total});

    if (m_entry_remaining == 0) {
        if (!m_entry_skipped) {
            // A write that fails at the flush fails this entry; closing reports nothing, and reading
            // the file back is what proves it was stored.
            m_output->flush();
            m_output.reset();
            if (m_target.stored_crc32(entry) != entry.crc) {
                throw compress_failure(compress_errc::invalid_checksum);
            }
            ask(notification::entry_end{entry});
        }
        m_entry_open = false;
        m_entry_skipped = false;
        ++m_entry_number;
    }
    return taken;
}

// An entry without bytes is written as soon as the one before it is done, so that an empty file
// at the end of the archive, where no further bytes arrive, is written as well.
void archive_writer::write_empty_entries() {
    while (m_entry_number >= 1 && m_entry_number <= m_entries.size() && !m_entry_open &&
           m_entries[m_entry_number - 1].size == 0) {
        write_entry(nullptr, 0);
    }
}

notification::result archive_writer::ask(notification message) {
    const auto answer = m_on_notify(std::move(message));
    if (answer == notification::result::stop) {
        throw compress_failure(compress_errc::interrupted);
    }
    return answer;
}

}  // namespace payload

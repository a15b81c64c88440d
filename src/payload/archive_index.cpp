#include "payload/archive_index.hpp"

#include "payload/compress_error.hpp"
#include "platform/text/utf_convert.hpp"

#include <set>

namespace payload {

namespace {

// Reads little-endian fields off the index, refusing to go past its end.
class index_reader {
public:
    explicit index_reader(std::span<const char> bytes) : m_bytes(bytes) {}

    std::size_t remaining() const { return m_bytes.size() - m_offset; }

    template <typename T>
    T number() {
        const char* p = take(sizeof(T));
        T value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            value |= static_cast<T>(static_cast<unsigned char>(p[i])) << (8 * i);
        }
        return value;
    }

    std::string text() {
        const auto units = number<std::uint32_t>();
        if (units > remaining() / 2) {
            throw compress_failure(compress_errc::unexpected);
        }
        const std::size_t size = std::size_t{units} * 2;
        auto converted = platform::text::utf16_to_utf8_strict(platform::text::utf16le_units({take(size), size}));
        if (!converted) {
            throw compress_failure(compress_errc::unexpected);
        }
        return std::move(*converted);
    }

    void skip(std::size_t count) { take(count); }

private:
    const char* take(std::size_t count) {
        if (count > remaining()) {
            throw compress_failure(compress_errc::unexpected);
        }
        const char* p = m_bytes.data() + m_offset;
        m_offset += count;
        return p;
    }

    std::span<const char> m_bytes;
    std::size_t m_offset = 0;
};

}  // namespace

void check_index_size(std::uint64_t index_size) {
    if (index_size < index_header_size || index_size > max_index_size) {
        throw compress_failure(compress_errc::unexpected);
    }
}

std::vector<index_record> parse_archive_index(std::span<const char> index) {
    index_reader reader(index);
    reader.skip(index_size_width);
    const auto count = reader.number<std::uint32_t>();
    if (count > reader.remaining() / min_index_entry_size) {
        throw compress_failure(compress_errc::unexpected);
    }
    std::vector<index_record> records(count);
    for (auto& record : records) {
        record.entry.source_name = reader.text();
        record.folder_text = reader.text();
        record.entry.kind = static_cast<entry_kind>(reader.number<std::uint32_t>());
        record.entry.size = reader.number<std::uint64_t>();
        record.entry.crc = reader.number<std::uint32_t>();
    }
    return records;
}

void check_distinct_destinations(const std::vector<archive_entry>& entries) {
    std::set<std::string> destinations;
    for (const archive_entry& entry : entries) {
        if (!destinations.insert(entry.destination.lexically_normal().string()).second) {
            throw compress_failure(compress_errc::unexpected);
        }
    }
}

}  // namespace payload

#include "archive_format.hpp"

#include "platform/text/utf_convert.hpp"

#include <boost/crc.hpp>
#include <boost/iostreams/copy.hpp>
#include <boost/iostreams/device/array.hpp>
#include <boost/iostreams/device/back_inserter.hpp>
#include <boost/iostreams/filter/bzip2.hpp>
#include <boost/iostreams/filtering_stream.hpp>

#include <stdexcept>

namespace vnpack {

namespace {

void append_little_endian(std::string& out, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

}  // namespace

archive_bytes& archive_bytes::u32(std::uint32_t value) {
    append_little_endian(m_bytes, value, 4);
    return *this;
}

archive_bytes& archive_bytes::u64(std::uint64_t value) {
    append_little_endian(m_bytes, value, 8);
    return *this;
}

archive_bytes& archive_bytes::text(std::string_view utf8) {
    const auto converted = platform::text::utf8_to_utf16_strict(utf8);
    if (!converted) {
        throw std::invalid_argument("not UTF-8: " + std::string(utf8));
    }
    return units(*converted);
}

archive_bytes& archive_bytes::units(std::u16string_view text) {
    u32(static_cast<std::uint32_t>(text.size()));
    for (const char16_t unit : text) {
        append_little_endian(m_bytes, unit, 2);
    }
    return *this;
}

archive_bytes& archive_bytes::raw(std::string_view bytes) {
    m_bytes += bytes;
    return *this;
}

std::string encode_index(const std::vector<index_entry>& entries) {
    archive_bytes body;
    body.u32(static_cast<std::uint32_t>(entries.size()));
    for (const auto& entry : entries) {
        body.text(entry.source_path).text(entry.folder).u32(entry.kind).u64(entry.size).u32(entry.crc);
    }
    archive_bytes index;
    index.u64(8 + body.str().size()).raw(body.str());
    return index.str();
}

std::string build_archive(const std::vector<memory_file>& files) {
    std::vector<index_entry> entries;
    entries.reserve(files.size());
    for (const auto& file : files) {
        entries.push_back({file.source_path, file.folder, file.kind, file.content.size(), crc32_of(file.content)});
    }
    std::string archive = encode_index(entries);
    for (const auto& file : files) {
        archive += file.content;
    }
    return archive;
}

std::uint32_t crc32_of(std::string_view bytes) {
    boost::crc_32_type crc;
    crc.process_bytes(bytes.data(), bytes.size());
    return crc.checksum();
}

std::string bzip2_compress(std::string_view data, int block_size) {
    namespace io = boost::iostreams;
    std::string compressed;
    io::filtering_ostream out;
    out.push(io::bzip2_compressor(io::bzip2_params(block_size)));
    out.push(io::back_inserter(compressed));
    io::copy(io::array_source(data.data(), data.size()), out);
    return compressed;
}

}  // namespace vnpack

#include "packer.hpp"

#include "archive_format.hpp"

#include <boost/crc.hpp>
#include <boost/filesystem/fstream.hpp>
#include <boost/iostreams/categories.hpp>
#include <boost/iostreams/filter/bzip2.hpp>
#include <boost/iostreams/filtering_streambuf.hpp>

#include <array>
#include <limits>

namespace vnpack {

namespace {

namespace io = boost::iostreams;

constexpr std::size_t read_block_size = std::size_t{64} * 1024;

// The compressor's output end: a failed write is an error, never a silent loss.
class checked_sink {
public:
    using char_type = char;
    using category = io::sink_tag;

    explicit checked_sink(std::ostream& out) : m_out(&out) {}

    std::streamsize write(const char* bytes, std::streamsize count) {
        if (!m_out->write(bytes, count)) {
            throw pack_error("the output cannot be written");
        }
        return count;
    }

private:
    std::ostream* m_out;
};

struct file_facts {
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
};

// Reads the whole file in blocks, handing each block to `use`.
template <typename Use>
file_facts read_file(const manifest_entry& entry, Use&& use) {
    boost::filesystem::ifstream in(entry.source_file, std::ios::binary);
    if (!in) {
        throw pack_error(entry.source_file.string() + ": cannot be opened (manifest line " +
                         std::to_string(entry.line) + ")");
    }
    std::array<char, read_block_size> block;
    boost::crc_32_type crc;
    file_facts facts;
    while (in) {
        in.read(block.data(), block.size());
        const auto count = static_cast<std::size_t>(in.gcount());
        crc.process_bytes(block.data(), count);
        facts.size += count;
        use(block.data(), count);
    }
    if (in.bad()) {
        throw pack_error(entry.source_file.string() + ": cannot be read");
    }
    facts.crc = crc.checksum();
    return facts;
}

void put(io::filtering_streambuf<io::output>& out, const char* bytes, std::size_t count) {
    if (out.sputn(bytes, static_cast<std::streamsize>(count)) != static_cast<std::streamsize>(count)) {
        throw pack_error("the output cannot be written");
    }
}

}  // namespace

pack_summary pack_archive(const std::vector<manifest_entry>& entries, std::ostream& compressed, int block_size) {
    if (entries.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw pack_error("too many entries");
    }
    std::vector<index_entry> index;
    index.reserve(entries.size());
    for (const auto& entry : entries) {
        const auto facts = read_file(entry, [](const char*, std::size_t) {});
        index.push_back({entry.source_text, entry.folder, entry.kind, facts.size, facts.crc});
    }

    io::filtering_streambuf<io::output> out;
    out.push(io::bzip2_compressor(io::bzip2_params(block_size)));
    out.push(checked_sink(compressed));

    const std::string header = encode_index(index);
    put(out, header.data(), header.size());
    pack_summary summary{header.size(), entries.size()};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto facts = read_file(entries[i], [&](const char* bytes, std::size_t count) { put(out, bytes, count); });
        if (facts.size != index[i].size || facts.crc != index[i].crc) {
            throw pack_error(entries[i].source_file.string() + ": changed while it was packed");
        }
        summary.archive_size += facts.size;
    }
    out.pop();  // closes the compressor, which writes the end of the stream
    if (!compressed.flush()) {
        throw pack_error("the output cannot be written");
    }
    return summary;
}

}  // namespace vnpack

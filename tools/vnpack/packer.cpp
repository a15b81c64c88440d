#include "packer.hpp"

#include "archive_format.hpp"
#include "ramped_bzip2_writer.hpp"

#include <boost/crc.hpp>
#include <boost/filesystem/fstream.hpp>

#include <array>
#include <limits>

namespace vnpack {

namespace {

constexpr std::size_t read_block_size = std::size_t{64} * 1024;

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

    try {
        ramped_bzip2_writer out(compressed, block_size);
        const std::string header = encode_index(index);
        out.write(header.data(), header.size());
        pack_summary summary{header.size(), entries.size()};
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const auto facts =
                read_file(entries[i], [&](const char* bytes, std::size_t count) { out.write(bytes, count); });
            if (facts.size != index[i].size || facts.crc != index[i].crc) {
                throw pack_error(entries[i].source_file.string() + ": changed while it was packed");
            }
            summary.archive_size += facts.size;
        }
        out.finish();
        return summary;
    } catch (const bzip2_write_error& e) {
        throw pack_error(e.what());
    }
}

}  // namespace vnpack

#include "payload_generator.hpp"

#include "archive_format.hpp"
#include "ramped_bzip2_writer.hpp"

#include <boost/crc.hpp>
#include <boost/filesystem/fstream.hpp>
#include <boost/filesystem/operations.hpp>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

namespace {

constexpr std::size_t entry_count = 71;
constexpr std::size_t chunk_size = std::size_t{64} * 1024;
// Share of the 64 KiB chunks filled with random bytes; the text-like rest packs to about a
// quarter, which brings the whole to about a third.
constexpr double random_chunk_share = 0.15;

// Deterministic content of one entry, produced in chunks so that it can be made twice (once for
// its CRC-32, once for the archive) without being held.
class entry_content {
public:
    entry_content(std::uint64_t seed, std::uint64_t size) : m_random(seed), m_left(size) {
        static const char* const syllables[] = {"qui", "lon",  "vin", "trel",  "ma",  "te",  "ri",    "al",
                                                "tex", "ture", "ren", "der",   "sha", "der", "light", "mesh",
                                                "po",  "ly",   "gon", "scene", "cam", "era", "node",  "graph"};
        for (int i = 0; i < 800; ++i) {
            std::string word;
            const int parts = 1 + static_cast<int>(m_random() % 3);
            for (int k = 0; k < parts; ++k) {
                word += syllables[m_random() % std::size(syllables)];
            }
            m_words.push_back(word);
        }
    }

    // The next chunk; empty at the end.
    const std::string& next() {
        m_chunk.clear();
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(chunk_size, m_left));
        if (std::uniform_real_distribution<double>(0, 1)(m_random) < random_chunk_share) {
            while (m_chunk.size() < size) {
                const auto value = m_random();
                m_chunk.append(reinterpret_cast<const char*>(&value), sizeof value);
            }
        } else {
            while (m_chunk.size() < size) {
                m_chunk += m_words[m_random() % m_words.size()];
                const auto mark = m_random() % 16;
                m_chunk += mark == 0   ? ".\n"
                           : mark == 1 ? ", "
                           : mark == 2 ? " = " + std::to_string(m_random() % 1000) + ";\n"
                                       : " ";
            }
        }
        m_chunk.resize(size);
        m_left -= size;
        return m_chunk;
    }

private:
    std::mt19937_64 m_random;
    std::uint64_t m_left;
    std::vector<std::string> m_words;
    std::string m_chunk;
};

std::vector<std::uint64_t> entry_sizes(std::uint64_t total) {
    std::mt19937_64 random(71);
    std::vector<double> weights;
    for (std::size_t i = 0; i < entry_count; ++i) {
        weights.push_back(i == 0 ? 20.0 : 0.2 + std::uniform_real_distribution<double>(0, 2)(random));
    }
    double sum = 0;
    for (const double w : weights) {
        sum += w;
    }
    std::vector<std::uint64_t> sizes;
    sizes.reserve(weights.size());
    for (const double w : weights) {
        sizes.push_back(static_cast<std::uint64_t>(static_cast<double>(total) * w / sum));
    }
    return sizes;
}

}  // namespace

generated_payload write_payload(const boost::filesystem::path& file, std::uint64_t archive_size) {
    const auto sizes = entry_sizes(archive_size);
    std::vector<vnpack::index_entry> index;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        entry_content content(i, sizes[i]);
        boost::crc_32_type crc;
        for (const std::string* chunk = &content.next(); !chunk->empty(); chunk = &content.next()) {
            crc.process_bytes(chunk->data(), chunk->size());
        }
        index.push_back({"C:\\build\\product\\file" + std::to_string(i) + ".dat",
                         "<InstallPath>\\Data" + std::to_string(i % 6), 0, sizes[i], crc.checksum()});
    }

    boost::filesystem::ofstream out(file, std::ios::binary);
    generated_payload result;
    try {
        // Compressed as the packer does, so that the benches see the shape the product ships.
        vnpack::ramped_bzip2_writer compressed(out);
        const std::string header = vnpack::encode_index(index);
        compressed.write(header.data(), header.size());
        result.archive_size = header.size();
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            entry_content content(i, sizes[i]);
            for (const std::string* chunk = &content.next(); !chunk->empty(); chunk = &content.next()) {
                compressed.write(chunk->data(), chunk->size());
                result.archive_size += chunk->size();
            }
        }
        compressed.finish();
    } catch (const vnpack::bzip2_write_error& e) {
        throw std::runtime_error(file.string() + ": " + e.what());
    }
    out.close();
    if (!out) {
        throw std::runtime_error(file.string() + ": cannot be written");
    }
    result.compressed_size = boost::filesystem::file_size(file);
    return result;
}

}  // namespace bench

// bzip2 streams for the decompression tests and the fuzz target: compressed with libbz2, and
// rewritten so that a marker appears inside the data of a block that still decodes. A block may
// carry more selectors than its groups use; libbz2 reads and ignores them, so the marker's bits are
// written there as extra selectors.
#pragma once

#include <bzlib.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace test_support {

inline std::string bzip2_compress(std::string_view data, int level) {
    std::string out(data.size() + data.size() / 100 + 600, '\0');
    auto size = static_cast<unsigned>(out.size());
    if (BZ2_bzBuffToBuffCompress(out.data(), &size, const_cast<char*>(data.data()), static_cast<unsigned>(data.size()),
                                 level, 0, 0) != BZ_OK) {
        throw std::runtime_error("libbz2 could not compress");
    }
    out.resize(size);
    return out;
}

class bit_string {
public:
    explicit bit_string(std::string_view bytes) {
        for (const char c : bytes) {
            put(static_cast<std::uint8_t>(c), 8);
        }
    }
    bit_string() = default;

    std::size_t size() const { return m_bits.size(); }
    std::uint64_t get(std::size_t at, unsigned count) const {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < count; ++i) {
            value = (value << 1) | static_cast<unsigned>(m_bits.at(at + i) - '0');
        }
        return value;
    }
    void put(std::uint64_t value, unsigned count) {
        for (unsigned i = count; i-- > 0;) {
            // Bits above the value's 64 are zeros (a count may ask for long runs of padding).
            m_bits.push_back(i < 64 && (value >> i & 1) != 0 ? '1' : '0');
        }
    }
    void put(const bit_string& other, std::size_t from, std::size_t to) {
        m_bits.append(other.m_bits, from, to - from);
    }
    std::string bytes() const {
        std::string out((m_bits.size() + 7) / 8, '\0');
        for (std::size_t i = 0; i < m_bits.size(); ++i) {
            if (m_bits[i] == '1') {
                out[i / 8] = static_cast<char>(out[i / 8] | (0x80 >> (i % 8)));
            }
        }
        return out;
    }

private:
    std::string m_bits;
};

struct planted_marker {
    std::string stream;
    std::size_t bit = 0;  // where the marker starts
};

// The single-stream `stream` with `marker` (48 bits) planted after the selectors of its first
// block, at a bit offset of the caller's choice modulo 8 (`shift` empty selectors go first).
// Nothing when there is no block, or it has too few tables to take the marker's runs of ones as selectors.
inline std::optional<planted_marker> plant_marker(const std::string& stream, std::uint64_t marker, unsigned shift) {
    const bit_string in(stream);
    if (in.size() < 32 + 48 || in.get(32, 48) != 0x314159265359) {
        return std::nullopt;  // no block to plant in
    }
    std::size_t at = 32 + 48 + 32 + 1 + 24;  // header, marker, CRC, randomised, origin pointer
    const auto used = in.get(at, 16);
    at += 16;
    for (int i = 0; i < 16; ++i) {
        at += (used >> (15 - i) & 1) != 0 ? 16 : 0;
    }
    const auto groups = in.get(at, 3);
    at += 3;
    const std::size_t count_at = at;
    const auto selectors = in.get(at, 15);
    at += 15;
    for (std::uint64_t i = 0; i < selectors; ++i) {
        while (in.get(at++, 1) == 1) {
        }
    }
    // The marker as selectors: runs of ones, each ended by a zero.
    bit_string extra;
    extra.put(0, shift);
    extra.put(marker, 48);
    if ((marker & 1) != 0) {
        extra.put(0, 1);
    }
    std::uint64_t added = 0;
    unsigned run = 0;
    for (std::size_t i = 0; i < extra.size(); ++i) {
        if (extra.get(i, 1) == 0) {
            ++added;
            run = 0;
        } else if (++run >= groups) {
            return std::nullopt;
        }
    }
    if (selectors + added >= (1U << 15)) {
        return std::nullopt;
    }
    bit_string out;
    out.put(in, 0, count_at);
    out.put(selectors + added, 15);
    out.put(in, count_at + 15, at);
    out.put(extra, 0, extra.size());
    // The rest up to the stream's CRC, without the old padding; the new end is padded anew.
    std::size_t stream_end = in.size();
    for (std::size_t padding = 0; padding < 8 && padding + 80 <= in.size(); ++padding) {
        if (in.get(in.size() - padding - 80, 48) == 0x177245385090) {
            stream_end = in.size() - padding;
            break;
        }
    }
    out.put(in, at, stream_end);
    return planted_marker{out.bytes(), at + shift};
}

}  // namespace test_support

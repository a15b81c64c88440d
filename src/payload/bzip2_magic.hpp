// The two 48-bit markers of a bzip2 stream, which may start at any bit: the one in front of every
// block and the one that ends the stream. Bits are numbered from the most significant bit of the
// first byte.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace payload {

inline constexpr std::uint64_t bzip2_block_magic = 0x314159265359;
inline constexpr std::uint64_t bzip2_end_magic = 0x177245385090;
inline constexpr unsigned bzip2_magic_bits = 48;

enum class bzip2_marker { block, end };

struct bzip2_magic_hit {
    std::uint64_t bit = 0;  // where the marker starts
    bzip2_marker kind = bzip2_marker::block;

    friend bool operator==(const bzip2_magic_hit&, const bzip2_magic_hit&) = default;
};

// The first marker that starts at bit `from` or later and lies wholly within `bytes`. Every marker
// there is found, also one that only looks like a marker inside compressed data.
std::optional<bzip2_magic_hit> find_bzip2_magic(std::span<const std::uint8_t> bytes, std::uint64_t from);

// `count` bits (at most 57) starting at bit `bit`, which must lie within `bytes`.
std::uint64_t read_bits(std::span<const std::uint8_t> bytes, std::uint64_t bit, unsigned count);

}  // namespace payload

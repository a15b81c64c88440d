#include "payload/bzip2_magic.hpp"

#include <array>

namespace payload {

namespace {

constexpr std::uint64_t magic_mask = (std::uint64_t{1} << bzip2_magic_bits) - 1;
constexpr std::array<std::uint64_t, 2> magics{bzip2_block_magic, bzip2_end_magic};

// A marker that ends in byte i, shifted left by s bits there, always covers byte i - 1 whole. For
// each value of that byte: the (marker, shift) pairs it allows, bit 8 * marker + shift. Only those
// few are compared in full.
constexpr std::array<std::uint16_t, 256> make_prefilter() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned kind = 0; kind < magics.size(); ++kind) {
        for (unsigned shift = 0; shift < 8; ++shift) {
            const auto covered = static_cast<std::uint8_t>((magics[kind] << shift) >> 8);
            table[covered] = static_cast<std::uint16_t>(table[covered] | (1U << (8 * kind + shift)));
        }
    }
    return table;
}

constexpr auto prefilter = make_prefilter();

// The eight bytes that end with bytes[last], big-endian; bytes before the first count as 0.
std::uint64_t window_ending_at(std::span<const std::uint8_t> bytes, std::size_t last) {
    std::uint64_t window = 0;
    const std::size_t first = last >= 7 ? last - 7 : 0;
    for (std::size_t i = first; i <= last; ++i) {
        window = (window << 8) | bytes[i];
    }
    return window;
}

}  // namespace

std::optional<bzip2_magic_hit> find_bzip2_magic(std::span<const std::uint8_t> bytes, std::uint64_t from) {
    const std::uint64_t first_end_byte = (from + bzip2_magic_bits - 1) / 8;
    for (std::uint64_t i = first_end_byte; i < bytes.size(); ++i) {
        const std::uint16_t candidates = prefilter[bytes[i - 1]];
        if (candidates == 0) {
            continue;
        }
        const std::uint64_t window = window_ending_at(bytes, i);
        // Within one byte a larger shift starts earlier; the earliest marker wins.
        for (int shift = 7; shift >= 0; --shift) {
            const std::uint64_t start = 8 * i + 7 - static_cast<unsigned>(shift) - (bzip2_magic_bits - 1);
            if (start < from) {
                continue;
            }
            for (unsigned kind = 0; kind < magics.size(); ++kind) {
                if ((candidates >> (8 * kind + static_cast<unsigned>(shift)) & 1U) != 0 &&
                    ((window >> shift) & magic_mask) == magics[kind]) {
                    return bzip2_magic_hit{start, kind == 0 ? bzip2_marker::block : bzip2_marker::end};
                }
            }
        }
    }
    return std::nullopt;
}

std::uint64_t read_bits(std::span<const std::uint8_t> bytes, std::uint64_t bit, unsigned count) {
    const std::uint64_t last_bit = bit + count - 1;
    const std::uint64_t window = window_ending_at(bytes, last_bit / 8);
    const unsigned shift = 7 - static_cast<unsigned>(last_bit % 8);
    return (window >> shift) & ((std::uint64_t{1} << count) - 1);
}

}  // namespace payload

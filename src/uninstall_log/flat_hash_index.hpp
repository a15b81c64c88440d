// An open-addressing table (linear probing, at most three quarters full) of (64-bit hash, value) pairs for the log
// merge's indexes: one block of memory for the whole table instead of one node per entry, so that indexing tens of
// thousands of log entries costs a few allocations. Several values may share a hash (a multimap): a lookup visits each
// of them and the caller confirms the match on its own key.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

template <class Value>
class FlatHashIndex {
public:
    explicit FlatHashIndex(std::size_t expected = 0) { Reserve(expected); }

    // Room for `count` values without growing.
    void Reserve(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity * 3 < count * 4) {
            capacity *= 2;
        }
        if (capacity > m_slots.size()) {
            Rebuild(capacity);
        }
    }

    void Insert(std::uint64_t hash, Value value) {
        if (4 * (m_count + 1) > 3 * m_slots.size()) {
            Rebuild(2 * m_slots.size());
        }
        Place(Stored(hash), std::move(value));
        ++m_count;
    }

    // Whether `match` accepts one of the values stored with this hash.
    template <class Match>
    bool Any(std::uint64_t hash, Match&& match) const {
        const std::uint64_t stored = Stored(hash);
        for (std::size_t at = Home(stored);; at = (at + 1) & m_mask) {
            const Slot& slot = m_slots[at];
            if (slot.hash == 0) {
                return false;
            }
            if (slot.hash == stored && match(slot.value)) {
                return true;
            }
        }
    }

private:
    struct Slot {
        std::uint64_t hash = 0;  // 0: empty
        Value value{};
    };

    static std::uint64_t Stored(std::uint64_t hash) { return hash == 0 ? 1 : hash; }

    // Fibonacci hashing spreads hashes whose low bits are poor (inode numbers, FNV of similar names).
    std::size_t Home(std::uint64_t hash) const {
        return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ULL) >> m_shift) & m_mask;
    }

    void Place(std::uint64_t stored, Value value) {
        std::size_t at = Home(stored);
        while (m_slots[at].hash != 0) {
            at = (at + 1) & m_mask;
        }
        m_slots[at] = Slot{stored, std::move(value)};
    }

    // `capacity` is a power of two, at least 16.
    void Rebuild(std::size_t capacity) {
        std::vector<Slot> old(capacity);
        old.swap(m_slots);
        m_mask = capacity - 1;
        m_shift = 64 - static_cast<unsigned>(std::countr_zero(capacity));
        for (Slot& slot : old) {
            if (slot.hash != 0) {
                Place(slot.hash, std::move(slot.value));
            }
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
    std::size_t m_mask = 0;
    unsigned m_shift = 60;  // 64 - log2 of the capacity
};

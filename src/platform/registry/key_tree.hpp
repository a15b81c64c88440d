// A key with all its values and everything below it, read in one consistent step: what a save file
// holds, what a restore puts back, and what listings walk.
#pragma once

#include "platform/registry/value.hpp"

#include <cstddef>
#include <string>
#include <vector>

namespace platform::registry {

struct named_value {
    std::string name;  // empty for the key's default value
    registry::value value;

    friend bool operator==(const named_value&, const named_value&) = default;
};

struct tree_key {
    std::string name;        // empty for the first key, the one the tree was read from
    std::size_t parent = 0;  // index of the parent key; meaningless for the first key
    std::vector<named_value> values;

    friend bool operator==(const tree_key&, const tree_key&) = default;
};

// The key itself first, then its subkeys depth first in name order; every parent comes before its
// subkeys.
using key_tree = std::vector<tree_key>;

// The full names of the tree's keys, in the tree's order, the first key being called `first`.
std::vector<std::string> tree_key_names(const key_tree& tree, const std::string& first);

}  // namespace platform::registry

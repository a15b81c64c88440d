#include "platform/registry/key_tree.hpp"

namespace platform::registry {

std::vector<std::string> tree_key_names(const key_tree& tree, const std::string& first) {
    std::vector<std::string> names;
    names.reserve(tree.size());
    for (std::size_t i = 0; i < tree.size(); ++i) {
        names.push_back(i == 0 ? first : names[tree[i].parent] + '\\' + tree[i].name);
    }
    return names;
}

}  // namespace platform::registry

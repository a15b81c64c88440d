// Whether two recorded paths name the same file-system item: equal paths do; paths of two existing
// items do when they are the same file or folder (links, case-folding file systems); paths of
// items that do not exist do when their absolute, normalised forms match ignoring case.
#pragma once

#include "platform/kernel/folder_listing.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The device and inode of an existing item; empty when nothing exists at the path.
using ItemId = platform::kernel::file_identity;
std::optional<ItemId> ExistingItem(const std::string& path);

// What a batch lookup learnt of one path: whether it was looked up, and the item found there.
struct ItemAnswer {
    bool known = false;
    std::optional<ItemId> item;
};

// ExistingItem for many paths, answered folder by folder: logs list many files of few folders, so
// each folder is read once and its listing answers for all its files while it is at hand. The first
// `required` paths are always answered; each later one only when its folder is read for a required
// one anyway, so that answers likely to be needed later cost next to nothing.
std::vector<ItemAnswer> ExistingItems(const std::vector<const std::string*>& paths, std::size_t required);

// The absolute form with "." and ".." resolved, case-folded: how paths of missing items compare.
std::string FoldedAbsolutePath(const std::string& path);

// A hash of FoldedAbsolutePath(path), computed without building it for ASCII paths.
std::uint64_t FoldedPathHash(const std::string& path);

// The hash the merge's indexes use for texts.
inline std::uint64_t HashText(std::string_view text) {
    return std::hash<std::string_view>()(text);
}

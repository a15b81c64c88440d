// Whether two recorded paths name the same file-system item: equal paths do; paths of two existing
// items do when they are the same file or folder (links, case-folding file systems); paths of
// items that do not exist do when their absolute, normalised forms match ignoring case.
#pragma once

#include <cstdint>
#include <optional>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

// The device and inode of an existing item; empty when nothing exists at the path.
struct ItemId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const ItemId&) const = default;
};
std::optional<ItemId> ExistingItem(const std::string& path);

// One folder as a single read of it reports its entries: regular files by inode, so that a log of
// many files in few folders needs no query per file. Links, folders and entries of unknown type are
// asked about one by one, since only a query follows a link or sees a mount point.
class FolderListing {
public:
    explicit FolderListing(const std::string& folder);
    // The same answer ExistingItem gives for the entry `name` of this folder.
    std::optional<ItemId> Find(std::string_view folder, std::string_view name) const;

    // Lets maps keyed by text be searched with a view, without making a string.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };

private:
    bool m_exists = false;
    std::uint64_t m_device = 0;
    std::unordered_map<std::string, std::uint64_t, NameHash, std::equal_to<>> m_files;
    std::unordered_set<std::string, NameHash, std::equal_to<>> m_others;
};

// The absolute form with "." and ".." resolved, case-folded: how paths of missing items compare.
std::string FoldedAbsolutePath(const std::string& path);

// A hash of FoldedAbsolutePath(path), computed without building it for ASCII paths.
std::uint64_t FoldedPathHash(const std::string& path);

#include "uninstall_log/log_merge.hpp"

#include "uninstall_log/same_item.hpp"

#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// Entries of kinds 2 to 7 stand for one thing each; folders and files are told apart by the item
// their path names.
bool IsPerKind(const UninstallLogEntry& entry) { return entry.kind > UninstallLogEntry::File; }

// Keys point into the entries' own paths: list nodes never move, so nothing is copied.
struct EntryKey {
    std::uint32_t kind;
    std::string_view path;
    bool operator==(const EntryKey&) const = default;
};

EntryKey ExactKey(const UninstallLogEntry& entry) {
    return IsPerKind(entry) ? EntryKey{entry.kind, {}} : EntryKey{entry.kind, entry.path};
}

struct EntryKeyHash {
    std::size_t operator()(const EntryKey& key) const { return std::hash<std::string_view>()(key.path) ^ key.kind; }
};

struct ItemKey {
    std::uint32_t kind;
    ItemId item;
    bool operator==(const ItemKey&) const = default;
};

struct ItemKeyHash {
    std::size_t operator()(const ItemKey& key) const {
        return std::hash<std::uint64_t>()(key.item.inode * 1000003 + key.item.device) ^ key.kind;
    }
};

// The entries of the current list, indexed three ways. Exact paths cost nothing; the normalised
// form and the existence of an item are looked up only for paths without an exact match, and the
// items of the current entries only once an existing previous item needs them.
class CurrentEntries {
public:
    explicit CurrentEntries(const std::list<UninstallLogEntry>& current) : m_current(current) {
        for (const auto& entry : current) {
            m_exact.insert(ExactKey(entry));
        }
    }

    bool HasExact(const UninstallLogEntry& entry) const { return m_exact.contains(ExactKey(entry)); }

    // Whether a folder or file entry names the same item as a current entry of its kind.
    bool HasSameItem(const UninstallLogEntry& entry) {
        if (const auto item = Existing(entry.path)) {
            IndexItems();
            return m_items.contains({entry.kind, *item});
        }
        IndexFoldedPaths();
        const auto candidates = m_folded.find(FoldedPathHash(entry.path));
        if (candidates == m_folded.end()) {
            return false;
        }
        const std::string folded = FoldedAbsolutePath(entry.path);
        for (const UninstallLogEntry* candidate : candidates->second) {
            if (candidate->kind == entry.kind && FoldedAbsolutePath(candidate->path) == folded &&
                !Existing(candidate->path)) {
                return true;
            }
        }
        return false;
    }

    // A previous entry kept: it is now one of the current entries.
    void Add(const UninstallLogEntry& entry) {
        m_exact.insert(ExactKey(entry));
        if (IsPerKind(entry)) {
            return;
        }
        if (m_itemsIndexed) {
            if (const auto item = Existing(entry.path)) {
                m_items.insert({entry.kind, *item});
            }
        }
        if (m_foldedIndexed) {
            m_folded[FoldedPathHash(entry.path)].push_back(&entry);
        }
    }

private:
    // Logs list many files of few folders: each folder is read once and answers for its files.
    // Paths not in plain absolute form are asked about directly.
    std::optional<ItemId> Existing(const std::string& path) {
        const auto slash = path.rfind('/');
        const bool plain = slash != std::string::npos && slash != 0 && slash + 1 < path.size() &&
                           path.front() == '/' && path.find("//") == std::string::npos &&
                           path.find("/.") == std::string::npos;
        if (!plain) {
            return ExistingItem(path);
        }
        const std::string_view folder = std::string_view(path).substr(0, slash);
        auto listing = m_folders.find(folder);
        if (listing == m_folders.end()) {
            listing = m_folders.emplace(std::string(folder), FolderListing(std::string(folder))).first;
        }
        return listing->second.Find(folder, std::string_view(path).substr(slash + 1));
    }

    void IndexItems() {
        if (m_itemsIndexed) {
            return;
        }
        m_itemsIndexed = true;
        for (const auto& entry : m_current) {
            if (!IsPerKind(entry)) {
                if (const auto item = Existing(entry.path)) {
                    m_items.insert({entry.kind, *item});
                }
            }
        }
    }

    void IndexFoldedPaths() {
        if (m_foldedIndexed) {
            return;
        }
        m_foldedIndexed = true;
        for (const auto& entry : m_current) {
            if (!IsPerKind(entry)) {
                m_folded[FoldedPathHash(entry.path)].push_back(&entry);
            }
        }
    }

    const std::list<UninstallLogEntry>& m_current;
    std::unordered_set<EntryKey, EntryKeyHash> m_exact;
    bool m_itemsIndexed = false;
    std::unordered_set<ItemKey, ItemKeyHash> m_items;
    bool m_foldedIndexed = false;
    // Current entries by the hash of their folded path; a hit is confirmed on the full text, and
    // whether the item is still missing is asked only then.
    std::unordered_map<std::uint64_t, std::vector<const UninstallLogEntry*>> m_folded;
    std::unordered_map<std::string, FolderListing, FolderListing::NameHash, std::equal_to<>> m_folders;
};

}  // namespace

// Exact path matches are found first; file-system identities are computed only when a path has
// no exact match, so an update over the same paths costs no file-system call.
void MergePreviousEntries(std::list<UninstallLogEntry>& previous, std::list<UninstallLogEntry>& current) {
    CurrentEntries index(current);
    while (!previous.empty()) {
        auto old = std::prev(previous.end());
        if (index.HasExact(*old) || (!IsPerKind(*old) && index.HasSameItem(*old))) {
            previous.erase(old);
            continue;
        }
        current.splice(current.begin(), previous, old);
        index.Add(current.front());
    }
}

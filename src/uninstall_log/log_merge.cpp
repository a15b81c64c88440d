#include "uninstall_log/log_merge.hpp"

#include "uninstall_log/flat_hash_index.hpp"
#include "uninstall_log/same_item.hpp"

#include <optional>
#include <string>
#include <vector>

namespace {

// Entries of kinds 2 to 7 stand for one thing each; folders and files are told apart by the item
// their path names.
bool IsPerKind(const UninstallLogEntry& entry) {
    return entry.kind > UninstallLogEntry::File;
}

std::uint64_t KindHash(EntryKind kind) {
    return (KindNumber(kind) + 1ULL) * 0x9E3779B97F4A7C15ULL;
}

// Kind and path, the path left out for the kinds that stand for one thing.
std::uint64_t ExactHash(const UninstallLogEntry& entry) {
    return IsPerKind(entry) ? KindHash(entry.kind) : HashText(entry.path) ^ KindHash(entry.kind);
}

bool ExactMatch(const UninstallLogEntry& a, const UninstallLogEntry& b) {
    return a.kind == b.kind && (IsPerKind(a) || a.path == b.path);
}

struct ItemKey {
    EntryKind kind = EntryKind::Folder;
    ItemId item;
    bool operator==(const ItemKey&) const = default;
};

std::uint64_t ItemHash(const ItemKey& key) {
    return key.item.inode ^ (key.item.device * 0xC2B2AE3D27D4EB4FULL) ^ KindHash(key.kind);
}

// What is known about a previous folder or file entry's path once its match has been looked for,
// so that adding the entry afterwards computes nothing again.
struct PathFacts {
    std::optional<ItemId> item;
    std::optional<std::uint64_t> foldedHash;
};

// The entries of the current list, indexed three ways. Exact paths cost nothing; items are compared
// only for paths without an exact match, and the items of the current entries are looked up only
// once an existing previous item needs them; the normalised forms only once a missing one does.
// The indexes point into the entries: list nodes never move, so no path is copied.
class CurrentEntries {
public:
    CurrentEntries(const std::list<UninstallLogEntry>& current, std::size_t incoming)
        : m_current(current),
          m_originalBegin(current.begin()),
          m_capacity(current.size() + incoming),
          m_exact(m_capacity) {
        for (const auto& entry : current) {
            m_exact.Insert(ExactHash(entry), &entry);
        }
    }

    // The paths of the folder and file entries the list began with, in the order IndexItems takes
    // them, and what a lookup made together with the previous paths already learnt of them.
    void AppendOriginalPaths(std::vector<const std::string*>& paths) const {
        for (auto it = m_originalBegin; it != m_current.end(); ++it) {
            if (!IsPerKind(*it)) {
                paths.push_back(&it->path);
            }
        }
    }
    void KeepOriginalAnswers(std::vector<ItemAnswer> answers) { m_originalAnswers = std::move(answers); }

    // `hash` is ExactHash(entry), which the caller keeps for the entry's later steps.
    bool HasExact(const UninstallLogEntry& entry, std::uint64_t hash) const {
        return m_exact.Any(hash, [&](const UninstallLogEntry* e) { return ExactMatch(*e, entry); });
    }

    // Whether a current entry stands for the same thing as `entry`, a folder or file entry whose
    // item facts.item is.
    bool HasSameItem(const UninstallLogEntry& entry, PathFacts& facts) {
        if (facts.item) {
            IndexItems();
            const ItemKey key{entry.kind, *facts.item};
            return m_items.Any(ItemHash(key), [&](const ItemKey& other) { return other == key; });
        }
        IndexFoldedPaths();
        facts.foldedHash = FoldedPathHash(entry.path);
        std::optional<std::string> folded;  // made on the first hash hit only
        return m_folded.Any(*facts.foldedHash, [&](const UninstallLogEntry* candidate) {
            if (candidate->kind != entry.kind) {
                return false;
            }
            if (!folded) {
                folded = FoldedAbsolutePath(entry.path);
            }
            return FoldedAbsolutePath(candidate->path) == *folded && !ExistingItem(candidate->path);
        });
    }

    // A previous entry kept: it is now one of the current entries. Its item, when it has one, is
    // known already and goes into the item index at once.
    void Add(const UninstallLogEntry& entry, std::uint64_t hash, const PathFacts& facts) {
        m_exact.Insert(hash, &entry);
        if (IsPerKind(entry)) {
            return;
        }
        if (facts.item) {
            const ItemKey key{entry.kind, *facts.item};
            m_items.Insert(ItemHash(key), key);
        }
        if (m_foldedIndexed) {
            m_folded.Insert(facts.foldedHash ? *facts.foldedHash : FoldedPathHash(entry.path), &entry);
        }
    }

private:
    // The items of the entries the list began with; the kept ones are added as they come.
    void IndexItems() {
        if (m_itemsIndexed) {
            return;
        }
        m_itemsIndexed = true;
        std::vector<const UninstallLogEntry*> entries;
        for (auto it = m_originalBegin; it != m_current.end(); ++it) {
            if (!IsPerKind(*it)) {
                entries.push_back(&*it);
            }
        }
        m_originalAnswers.resize(entries.size());
        std::vector<const std::string*> paths;
        std::vector<std::size_t> unknown;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!m_originalAnswers[i].known) {
                paths.push_back(&entries[i]->path);
                unknown.push_back(i);
            }
        }
        const auto answers = ExistingItems(paths, paths.size());
        for (std::size_t k = 0; k < unknown.size(); ++k) {
            m_originalAnswers[unknown[k]] = answers[k];
        }
        m_items.Reserve(m_capacity);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (const auto& item = m_originalAnswers[i].item) {
                const ItemKey key{entries[i]->kind, *item};
                m_items.Insert(ItemHash(key), key);
            }
        }
    }

    void IndexFoldedPaths() {
        if (m_foldedIndexed) {
            return;
        }
        m_foldedIndexed = true;
        m_folded.Reserve(m_capacity);
        for (const auto& entry : m_current) {
            if (!IsPerKind(entry)) {
                m_folded.Insert(FoldedPathHash(entry.path), &entry);
            }
        }
    }

    const std::list<UninstallLogEntry>& m_current;
    // Kept entries go in front of this one, so it stays the first of the entries the list began with.
    const std::list<UninstallLogEntry>::const_iterator m_originalBegin;
    const std::size_t m_capacity;  // the most entries the list can come to hold
    FlatHashIndex<const UninstallLogEntry*> m_exact;
    bool m_itemsIndexed = false;
    std::vector<ItemAnswer> m_originalAnswers;
    FlatHashIndex<ItemKey> m_items;
    // Current entries by the hash of their folded path; a hit is confirmed on the full text, and
    // whether the item is still missing is asked only then.
    bool m_foldedIndexed = false;
    FlatHashIndex<const UninstallLogEntry*> m_folded;
};

}  // namespace

// Exact path matches are found first; file-system identities are looked up only for paths without
// one, so an update over the same paths costs no file-system call.
void MergePreviousEntries(std::list<UninstallLogEntry>& previous, std::list<UninstallLogEntry>& current) {
    CurrentEntries index(current, previous.size());
    // The items at the previous paths that may need them, looked up together, folder by folder; the
    // current entries' items are learnt on the way wherever they share a folder with those.
    std::vector<std::uint64_t> hashes;
    hashes.reserve(previous.size());
    std::vector<const std::string*> paths;
    for (const auto& entry : previous) {
        hashes.push_back(ExactHash(entry));
        if (!IsPerKind(entry) && !index.HasExact(entry, hashes.back())) {
            paths.push_back(&entry.path);
        }
    }
    const std::size_t previousPaths = paths.size();
    std::vector<ItemAnswer> answers;
    if (previousPaths > 0) {
        index.AppendOriginalPaths(paths);
        answers = ExistingItems(paths, previousPaths);
        index.KeepOriginalAnswers({answers.begin() + static_cast<std::ptrdiff_t>(previousPaths), answers.end()});
    }
    std::size_t unmatched = previousPaths;  // entries are taken from the last: so are their items
    while (!previous.empty()) {
        auto old = std::prev(previous.end());
        const std::uint64_t hash = hashes[previous.size() - 1];
        PathFacts facts;
        bool known = false;
        if (unmatched > 0 && paths[unmatched - 1] == &old->path) {
            facts.item = answers[--unmatched].item;
            known = true;
        }
        bool matched = index.HasExact(*old, hash);
        if (!matched && !IsPerKind(*old)) {
            if (!known) {
                // Not reached: an entry left out above had an exact match from the start.
                facts.item = ExistingItem(old->path);
            }
            matched = index.HasSameItem(*old, facts);
        }
        if (matched) {
            previous.erase(old);
            continue;
        }
        current.splice(current.begin(), previous, old);
        index.Add(current.front(), hash, facts);
    }
}

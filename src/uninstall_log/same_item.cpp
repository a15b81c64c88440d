#include "uninstall_log/same_item.hpp"

#include "platform/text/utf_convert.hpp"
#include "uninstall_log/flat_hash_index.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

// The absolute form of a path with "." and ".." resolved and repeated separators dropped.
std::string NormalAbsolute(const std::string& path) {
    std::string text = path;
    if (text.empty() || text.front() != '/') {
        boost::system::error_code ec;
        text = boost::filesystem::current_path(ec).string() + "/" + text;
    }
    std::vector<std::string_view> parts;
    std::string_view rest(text);
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    std::string normal;
    for (const auto part : parts) {
        normal += '/';
        normal += part;
    }
    return normal;
}

// One folder as a single read of it reports its entries: regular files by inode, so that a folder
// of many files needs no query per file. Links, folders and entries of unknown type are asked about
// one by one, since only a query follows a link or sees a mount point.
class FolderListing {
public:
    explicit FolderListing(const std::string& folder);
    // The same answer ExistingItem gives for the entry `name` of this folder.
    std::optional<ItemId> Find(std::string_view folder, std::string_view name) const;

private:
    struct Entry {
        std::uint32_t offset = 0;  // of the name in m_names
        std::uint32_t length = 0;
        std::uint64_t inode = 0;
        bool regularFile = false;
    };
    const Entry* Lookup(std::string_view name) const;

    bool m_exists = false;
    bool m_unreadable = false;  // every name is asked about
    std::uint64_t m_device = 0;
    std::string m_names;  // all names one after the other: one allocation, not one per name
    std::vector<Entry> m_entries;
    FlatHashIndex<std::uint32_t> m_byName;  // index into m_entries
};

}  // namespace

std::optional<ItemId> ExistingItem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return ItemId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

namespace {

FolderListing::FolderListing(const std::string& folder) {
    const auto item = ExistingItem(folder);
    DIR* dir = item ? ::opendir(folder.c_str()) : nullptr;
    if (dir == nullptr) {
        m_exists = item.has_value();
        m_unreadable = m_exists;
        return;
    }
    m_exists = true;
    m_device = item->device;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        m_entries.push_back({static_cast<std::uint32_t>(m_names.size()), static_cast<std::uint32_t>(name.size()),
                             static_cast<std::uint64_t>(entry->d_ino), entry->d_type == DT_REG});
        m_names += name;
    }
    ::closedir(dir);
    m_byName.Reserve(m_entries.size());
    for (std::uint32_t i = 0; i < m_entries.size(); ++i) {
        m_byName.Insert(HashText(std::string_view(m_names).substr(m_entries[i].offset, m_entries[i].length)), i);
    }
}

const FolderListing::Entry* FolderListing::Lookup(std::string_view name) const {
    const Entry* found = nullptr;
    m_byName.Any(HashText(name), [&](std::uint32_t index) {
        const Entry& entry = m_entries[index];
        if (std::string_view(m_names).substr(entry.offset, entry.length) != name) {
            return false;
        }
        found = &entry;
        return true;
    });
    return found;
}

std::optional<ItemId> FolderListing::Find(std::string_view folder, std::string_view name) const {
    if (!m_exists) {
        return std::nullopt;
    }
    const Entry* entry = m_unreadable ? nullptr : Lookup(name);
    if (entry && entry->regularFile) {
        return ItemId{m_device, entry->inode};
    }
    if (entry || m_unreadable) {
        std::string path(folder);
        path += '/';
        path += name;
        return ExistingItem(path);
    }
    return std::nullopt;
}

// The folder part of a path in plain absolute form ("/a/b/name": "/a/b"); empty for any other
// path, which is asked about directly.
std::string_view PlainFolderOf(std::string_view path) {
    const auto slash = path.rfind('/');
    const bool plain = slash != std::string_view::npos && slash != 0 && slash + 1 < path.size() &&
                       path.front() == '/' && path.find("//") == std::string_view::npos &&
                       path.find("/.") == std::string_view::npos;
    return plain ? path.substr(0, slash) : std::string_view{};
}

}  // namespace

std::vector<std::optional<ItemId>> ExistingItems(const std::vector<const std::string*>& paths) {
    std::vector<std::optional<ItemId>> items(paths.size());
    // Each path's folder as a group number, then the paths ordered by group.
    std::vector<std::string_view> folders;
    FlatHashIndex<std::uint32_t> folderIndex;
    std::vector<std::uint32_t> groupOf(paths.size());
    constexpr std::uint32_t direct = UINT32_MAX;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string_view folder = PlainFolderOf(*paths[i]);
        if (folder.empty()) {
            groupOf[i] = direct;
            items[i] = ExistingItem(*paths[i]);
            continue;
        }
        const std::uint64_t hash = HashText(folder);
        std::uint32_t group = direct;
        folderIndex.Any(hash, [&](std::uint32_t g) {
            if (folders[g] != folder) {
                return false;
            }
            group = g;
            return true;
        });
        if (group == direct) {
            group = static_cast<std::uint32_t>(folders.size());
            folders.push_back(folder);
            folderIndex.Insert(hash, group);
        }
        groupOf[i] = group;
    }
    std::vector<std::uint32_t> start(folders.size() + 1, 0);
    for (const std::uint32_t group : groupOf) {
        if (group != direct) {
            ++start[group + 1];
        }
    }
    for (std::size_t g = 0; g < folders.size(); ++g) {
        start[g + 1] += start[g];
    }
    std::vector<std::uint32_t> order(start.back());
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (std::uint32_t i = 0; i < groupOf.size(); ++i) {
        if (groupOf[i] != direct) {
            order[fill[groupOf[i]]++] = i;
        }
    }
    for (std::size_t g = 0; g < folders.size(); ++g) {
        const FolderListing listing{std::string(folders[g])};
        for (std::uint32_t k = start[g]; k < start[g + 1]; ++k) {
            const std::string_view path = *paths[order[k]];
            items[order[k]] = listing.Find(folders[g], path.substr(folders[g].size() + 1));
        }
    }
    return items;
}

std::string FoldedAbsolutePath(const std::string& path) {
    return platform::text::fold_case(NormalAbsolute(path));
}

std::uint64_t FoldedPathHash(const std::string& path) {
    // FNV-1a over the bytes of the folded absolute path.
    std::uint64_t hash = 1469598103934665603ULL;
    auto feed = [&hash](unsigned char c) {
        hash ^= c;
        hash *= 1099511628211ULL;
    };
    const bool ascii =
        std::all_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const bool normal = !path.empty() && path.front() == '/' && path.back() != '/' &&
                        path.find("//") == std::string::npos && path.find("/.") == std::string::npos;
    if (ascii && normal) {
        // Already in normal form: folding is lowering the ASCII letters, done as the bytes are fed.
        for (const char c : path) {
            feed(static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
        }
        return hash;
    }
    for (const char c : FoldedAbsolutePath(path)) {
        feed(static_cast<unsigned char>(c));
    }
    return hash;
}

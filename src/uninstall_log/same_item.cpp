#include "uninstall_log/same_item.hpp"

#include "platform/shell/path_functions.hpp"
#include "platform/text/case_fold.hpp"
#include "platform/text/utf_convert.hpp"
#include "uninstall_log/flat_hash_index.hpp"

#include <boost/filesystem/operations.hpp>

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
    for (const std::string_view part : platform::shell::path_elements(text)) {
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (part != ".") {
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
    // `item` is the folder's own, as ExistingItem gives it.
    FolderListing(const std::string& folder, const std::optional<ItemId>& item);
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
    return platform::kernel::identity_of(path);
}

namespace {

FolderListing::FolderListing(const std::string& folder, const std::optional<ItemId>& item) {
    const auto add = [this](const platform::kernel::folder_entry& entry) {
        m_entries.push_back({static_cast<std::uint32_t>(m_names.size()), static_cast<std::uint32_t>(entry.name.size()),
                             entry.inode, entry.regular_file});
        m_names += entry.name;
    };
    if (!item || !platform::kernel::list_folder(folder, add)) {
        m_exists = item.has_value();
        m_unreadable = m_exists;
        return;
    }
    m_exists = true;
    m_device = item->device;
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

// Absolute, with no empty, "." or ".." element (nor any name beginning with a dot) and no trailing
// separator: a path that needs no normalising.
bool IsPlainAbsolute(std::string_view path) {
    if (path.size() < 2 || path.front() != '/' || path.back() == '/') {
        return false;
    }
    for (auto at = path.find('/'); at != std::string_view::npos && at + 1 < path.size(); at = path.find('/', at + 1)) {
        if (path[at + 1] == '/' || path[at + 1] == '.') {
            return false;
        }
    }
    return true;
}

// The folder part of a plain absolute path below a folder ("/a/b/name": "/a/b"); empty for any
// other path, which is asked about directly.
std::string_view PlainFolderOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash != 0 && IsPlainAbsolute(path) ? path.substr(0, slash) : std::string_view{};
}

}  // namespace

std::vector<ItemAnswer> ExistingItems(const std::vector<const std::string*>& paths, std::size_t required) {
    std::vector<ItemAnswer> answers(paths.size());
    // Each path's folder as a group number, then the paths ordered by group.
    std::vector<std::string_view> folders;
    FlatHashIndex<std::uint32_t> folderIndex;
    constexpr std::uint32_t none = UINT32_MAX;
    std::vector<std::uint32_t> groupOf(paths.size(), none);
    const auto groupFor = [&](std::size_t i, bool create) {
        const std::string_view folder = PlainFolderOf(*paths[i]);
        if (folder.empty()) {
            return false;
        }
        const std::uint64_t hash = HashText(folder);
        folderIndex.Any(hash, [&](std::uint32_t g) {
            if (folders[g] != folder) {
                return false;
            }
            groupOf[i] = g;
            return true;
        });
        if (groupOf[i] == none && create) {
            groupOf[i] = static_cast<std::uint32_t>(folders.size());
            folders.push_back(folder);
            folderIndex.Insert(hash, groupOf[i]);
        }
        return true;
    };
    for (std::size_t i = 0; i < required; ++i) {
        if (!groupFor(i, true)) {
            answers[i] = {true, ExistingItem(*paths[i])};
        }
    }
    std::vector<std::optional<ItemId>> folderItems(folders.size());
    bool anyFolder = false;
    for (std::size_t g = 0; g < folders.size(); ++g) {
        folderItems[g] = ExistingItem(std::string(folders[g]));
        anyFolder = anyFolder || folderItems[g].has_value();
    }
    // The other paths ride along only where a folder will be read.
    for (std::size_t i = required; anyFolder && i < paths.size(); ++i) {
        groupFor(i, false);
    }
    std::vector<std::uint32_t> start(folders.size() + 1, 0);
    for (const std::uint32_t group : groupOf) {
        if (group != none) {
            ++start[group + 1];
        }
    }
    for (std::size_t g = 0; g < folders.size(); ++g) {
        start[g + 1] += start[g];
    }
    std::vector<std::uint32_t> order(start.back());
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (std::uint32_t i = 0; i < groupOf.size(); ++i) {
        if (groupOf[i] != none) {
            order[fill[groupOf[i]]++] = i;
        }
    }
    for (std::size_t g = 0; g < folders.size(); ++g) {
        const FolderListing listing(std::string(folders[g]), folderItems[g]);
        for (std::uint32_t k = start[g]; k < start[g + 1]; ++k) {
            const std::string_view path = *paths[order[k]];
            answers[order[k]] = {true, listing.Find(folders[g], path.substr(folders[g].size() + 1))};
        }
    }
    return answers;
}

std::string FoldedAbsolutePath(const std::string& path) {
    return platform::text::fold_case(NormalAbsolute(path));
}

std::uint64_t FoldedPathHash(const std::string& path) {
    // A plain ASCII path is its own normal form: folding it is lowering its letters.
    char lowered[256];
    if (path.size() <= sizeof lowered && IsPlainAbsolute(path)) {
        unsigned char bits = 0;
        for (std::size_t i = 0; i < path.size(); ++i) {
            const auto c = static_cast<unsigned char>(path[i]);
            bits |= c;
            lowered[i] = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 'a' - 'A' : 0));
        }
        if (bits < 0x80) {
            return HashText(std::string_view(lowered, path.size()));
        }
    }
    return HashText(FoldedAbsolutePath(path));
}

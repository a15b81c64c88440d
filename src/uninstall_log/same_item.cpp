#include "uninstall_log/same_item.hpp"

#include "platform/text/utf_convert.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
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

}  // namespace

std::optional<ItemId> ExistingItem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return ItemId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

FolderListing::FolderListing(const std::string& folder) {
    const auto item = ExistingItem(folder);
    DIR* dir = item ? ::opendir(folder.c_str()) : nullptr;
    if (dir == nullptr) {
        m_exists = item.has_value();
        if (m_exists) {
            m_others.insert("");  // unreadable: every name is asked about
        }
        return;
    }
    m_exists = true;
    m_device = item->device;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_type == DT_REG) {
            m_files.emplace(entry->d_name, static_cast<std::uint64_t>(entry->d_ino));
        } else {
            m_others.insert(entry->d_name);
        }
    }
    ::closedir(dir);
}

std::optional<ItemId> FolderListing::Find(std::string_view folder, std::string_view name) const {
    if (!m_exists) {
        return std::nullopt;
    }
    if (const auto file = m_files.find(name); file != m_files.end()) {
        return ItemId{m_device, file->second};
    }
    if (m_others.contains(name) || m_others.contains(std::string_view{})) {
        std::string path(folder);
        path += '/';
        path += name;
        return ExistingItem(path);
    }
    return std::nullopt;
}

std::string FoldedAbsolutePath(const std::string& path) { return platform::text::fold_case(NormalAbsolute(path)); }

std::uint64_t FoldedPathHash(const std::string& path) {
    // FNV-1a over the bytes of the folded absolute path.
    std::uint64_t hash = 1469598103934665603ULL;
    auto feed = [&hash](unsigned char c) {
        hash ^= c;
        hash *= 1099511628211ULL;
    };
    const bool ascii = std::all_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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

#include "support/machine_snapshot.hpp"

#include "support/sandbox_machine.hpp"

#include "platform/registry/hive.hpp"
#include "platform/registry/key.hpp"

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <boost/crc.hpp>
#include <boost/filesystem/operations.hpp>

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

namespace fs = boost::filesystem;
namespace reg = platform::registry;

namespace test_support {
namespace {

using crc64 = boost::crc_optimal<64, 0x42F0E1EBA9EA3693ULL, ~0ULL, ~0ULL, true, true>;

std::uint64_t content_hash(const fs::path& file) {
    std::ifstream in(file.string(), std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    crc64 crc;
    std::vector<char> block(1 << 16);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        crc.process_bytes(block.data(), static_cast<std::size_t>(in.gcount()));
    }
    return crc.checksum();
}

std::vector<std::string> xattr_names(const fs::path& path) {
    const ssize_t size = ::llistxattr(path.c_str(), nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::vector<char> list(static_cast<std::size_t>(size));
    const ssize_t got = ::llistxattr(path.c_str(), list.data(), list.size());
    std::vector<std::string> names;
    for (std::size_t at = 0; got > 0 && at < static_cast<std::size_t>(got);) {
        names.emplace_back(list.data() + at);
        at += names.back().size() + 1;
    }
    return names;
}

std::map<std::string, std::string> xattrs_of(const fs::path& path) {
    std::map<std::string, std::string> xattrs;
    for (const auto& name : xattr_names(path)) {
        if (name.rfind("system.posix_acl_", 0) == 0) {
            continue;  // read as ACL text
        }
        const ssize_t size = ::lgetxattr(path.c_str(), name.c_str(), nullptr, 0);
        std::string data(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
        const ssize_t got = size > 0 ? ::lgetxattr(path.c_str(), name.c_str(), data.data(), data.size()) : 0;
        data.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        xattrs[name] = data;
    }
    return xattrs;
}

struct acl_deleter {
    void operator()(void* p) const { acl_free(p); }
};

std::string acl_text(const fs::path& path, acl_type_t type) {
    std::unique_ptr<struct __acl_ext, acl_deleter> acl(acl_get_file(path.c_str(), type));
    if (!acl) {
        return {};
    }
    // The minimal access ACL repeats the mode bits; an empty default ACL is no default ACL.
    if (type == ACL_TYPE_ACCESS ? acl_equiv_mode(acl.get(), nullptr) == 0 : acl_entries(acl.get()) <= 0) {
        return {};
    }
    std::unique_ptr<char, acl_deleter> text(acl_to_any_text(acl.get(), nullptr, ',', TEXT_ABBREVIATE));
    return text ? text.get() : "";
}

file_state state_of(const fs::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        throw std::runtime_error("cannot inspect " + path.string());
    }
    file_state state;
    state.mode = status.st_mode & 07777;
    state.owner = status.st_uid;
    state.group = status.st_gid;
    state.xattrs = xattrs_of(path);
    if (S_ISREG(status.st_mode)) {
        state.type = 'f';
        state.size = static_cast<std::uintmax_t>(status.st_size);
        state.content_hash = content_hash(path);
    } else if (S_ISDIR(status.st_mode)) {
        state.type = 'd';
        state.default_acl = acl_text(path, ACL_TYPE_DEFAULT);
    } else if (S_ISLNK(status.st_mode)) {
        state.type = 'l';
        state.link_target = fs::read_symlink(path).string();
        return state;  // ACLs belong to the target
    } else {
        state.type = 'o';
    }
    state.access_acl = acl_text(path, ACL_TYPE_ACCESS);
    return state;
}

bool excluded(const fs::path& path, const std::vector<fs::path>& exclusions) {
    for (const auto& e : exclusions) {
        if (path == e) {
            return true;
        }
    }
    return false;
}

void add_tree(std::map<std::string, file_state>& files, const fs::path& base, const fs::path& top,
              const std::vector<fs::path>& exclusions) {
    files[fs::relative(top, base).generic_string()] = state_of(top);
    for (fs::recursive_directory_iterator it(top), end; it != end; ++it) {
        if (excluded(it->path(), exclusions)) {
            it.disable_recursion_pending();
            continue;
        }
        files[it->path().lexically_relative(base).generic_string()] = state_of(it->path());
    }
}

void add_hive(registry_state& state, reg::hive h) {
    auto tree = reg::Key::root(h).read_tree();
    if (!tree) {
        throw std::runtime_error("cannot read " + reg::hive_name(h) + ": " + tree.error().message());
    }
    const auto names = reg::tree_key_names(*tree, reg::hive_name(h));
    for (std::size_t i = 0; i < tree->size(); ++i) {
        auto& values = state[names[i]];
        for (const auto& v : (*tree)[i].values) {
            values[v.name] = v.value;
        }
    }
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + '"';
}

// The fields of a state, by name, as text.
std::map<std::string, std::string> fields_of(const file_state& s) {
    char text[64];
    std::map<std::string, std::string> fields;
    fields["type"] = s.type == 'f' ? "file" : s.type == 'd' ? "folder" : s.type == 'l' ? "link" : "other";
    if (s.type == 'f') {
        fields["size"] = std::to_string(s.size);
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(s.content_hash));
        fields["content hash"] = text;
    }
    std::snprintf(text, sizeof text, "%04o", s.mode);
    fields["mode"] = text;
    fields["owner"] = std::to_string(s.owner) + ":" + std::to_string(s.group);
    if (s.type == 'l') {
        fields["target"] = s.link_target;
    }
    for (const auto& [name, data] : s.xattrs) {
        fields["xattr " + name] = quoted(data);
    }
    if (!s.access_acl.empty()) {
        fields["acl"] = s.access_acl;
    }
    if (!s.default_acl.empty()) {
        fields["default acl"] = s.default_acl;
    }
    return fields;
}

std::string joined(const std::map<std::string, std::string>& fields) {
    std::string out;
    for (const auto& [name, text] : fields) {
        out += (out.empty() ? "" : ", ") + name + " " + text;
    }
    return out;
}

std::string changed_fields(const file_state& before, const file_state& after) {
    const auto was = fields_of(before);
    const auto is = fields_of(after);
    std::map<std::string, bool> names;
    for (const auto& [name, text] : was) {
        names[name] = true;
    }
    for (const auto& [name, text] : is) {
        names[name] = true;
    }
    std::string out;
    for (const auto& [name, unused] : names) {
        const auto a = was.find(name);
        const auto b = is.find(name);
        const std::string from = a == was.end() ? "(none)" : a->second;
        const std::string to = b == is.end() ? "(none)" : b->second;
        if (from != to) {
            out += (out.empty() ? "" : ", ") + name + " " + from + " -> " + to;
        }
    }
    return out;
}

// Walks two sorted maps together, calling added, removed or changed for each key that differs.
template <class Map, class Added, class Removed, class Changed>
void compare_maps(const Map& before, const Map& after, Added added, Removed removed, Changed changed) {
    auto a = before.begin();
    auto b = after.begin();
    while (a != before.end() || b != after.end()) {
        if (b == after.end() || (a != before.end() && a->first < b->first)) {
            removed(*a++);
        } else if (a == before.end() || b->first < a->first) {
            added(*b++);
        } else {
            if (!(a->second == b->second)) {
                changed(*a, *b);
            }
            ++a;
            ++b;
        }
    }
}

std::string value_label(const std::string& name) {
    return name.empty() ? "(default)" : "\"" + name + "\"";
}

}  // namespace

machine_snapshot machine_snapshot::take(const sandbox_machine& machine) {
    machine_snapshot snapshot;
    const std::vector<fs::path> exclusions{reg::hive_file(reg::hive::local_machine).parent_path(),
                                           reg::hive_file(reg::hive::current_user).parent_path()};
    add_tree(snapshot.files, machine.folder(), machine.root(), exclusions);
    add_tree(snapshot.files, machine.folder(), machine.home(), exclusions);
    add_hive(snapshot.registry, reg::hive::local_machine);
    add_hive(snapshot.registry, reg::hive::current_user);
    return snapshot;
}

std::string difference(const machine_snapshot& before, const machine_snapshot& after) {
    std::string out;
    auto line = [&out](const std::string& text) { out += text + '\n'; };
    compare_maps(
        before.files, after.files,
        [&](const auto& added) { line("+ " + added.first + ": " + joined(fields_of(added.second))); },
        [&](const auto& removed) { line("- " + removed.first + ": " + joined(fields_of(removed.second))); },
        [&](const auto& was, const auto& is) {
            line("~ " + was.first + ": " + changed_fields(was.second, is.second));
        });
    compare_maps(
        before.registry, after.registry,
        [&](const auto& added) {
            line("+ [" + added.first + "]");
            for (const auto& [name, v] : added.second) {
                line("+ [" + added.first + "] " + value_label(name) + " = " + reg::describe(v));
            }
        },
        [&](const auto& removed) {
            line("- [" + removed.first + "]");
            for (const auto& [name, v] : removed.second) {
                line("- [" + removed.first + "] " + value_label(name) + " = " + reg::describe(v));
            }
        },
        [&](const auto& was, const auto& is) {
            const std::string key = "[" + was.first + "] ";
            compare_maps(
                was.second, is.second,
                [&](const auto& v) { line("+ " + key + value_label(v.first) + " = " + reg::describe(v.second)); },
                [&](const auto& v) { line("- " + key + value_label(v.first) + " = " + reg::describe(v.second)); },
                [&](const auto& a, const auto& b) {
                    line("~ " + key + value_label(a.first) + " = " + reg::describe(a.second) + " -> " +
                         reg::describe(b.second));
                });
        });
    return out;
}

testing::AssertionResult same_machine(const machine_snapshot& before, const machine_snapshot& after) {
    if (before == after) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "the machine changed:\n" << difference(before, after);
}

void PrintTo(const machine_snapshot& snapshot, std::ostream* out) {
    *out << "machine with " << snapshot.files.size() << " files and folders, " << snapshot.registry.size()
         << " registry keys";
}

}  // namespace test_support

// A registry key a step changes without a log entry of its own: kept in memory as it was, and given
// back by a rollback, or deleted with the keys made on its way when it was not there.
#include "platform/registry/key.hpp"
#include "uninstall_log/undo_notes.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <optional>

namespace reg = platform::registry;

namespace {

// "A\B\C" -> {"A\B", "C"}; a path of one name has the hive's root as its parent.
std::pair<std::string, std::string> SplitLast(const std::string& path) {
    const auto separator = path.rfind('\\');
    if (separator == std::string::npos) {
        return {std::string(), path};
    }
    return {path.substr(0, separator), path.substr(separator + 1)};
}

reg::result<reg::Key> OpenPath(reg::hive hive, const std::string& path) {
    return path.empty() ? reg::result<reg::Key>(reg::Key::root(hive)) : reg::Key::open(hive, path);
}

// The outermost key on the path that does not exist, or empty when the whole path does.
std::string OutermostMissing(reg::hive hive, const std::string& path) {
    std::string partial;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('\\', start), path.size());
        partial = path.substr(0, end);
        if (!reg::Key::open(hive, partial)) {
            return partial;
        }
        start = end + 1;
    }
    return {};
}

std::error_code DeleteKey(reg::hive hive, const std::string& path) {
    const auto [parentPath, name] = SplitLast(path);
    auto parent = OpenPath(hive, parentPath);
    if (!parent) {
        return parent.error();
    }
    const std::error_code failure = parent->delete_tree(name);
    return failure == reg::errc::file_not_found ? std::error_code() : failure;
}

// Puts the tree back over what the key holds now: the key keeps its name, the rest is the tree's.
std::error_code RestoreTree(reg::hive hive, const std::string& path, const reg::key_tree& tree) {
    std::error_code firstFailure = DeleteKey(hive, path);
    const std::vector<std::string> names = reg::tree_key_names(tree, path);
    for (std::size_t i = 0; i < tree.size(); ++i) {
        auto key = reg::Key::create(hive, names[i]);
        if (!key) {
            firstFailure = firstFailure ? firstFailure : key.error();
            continue;
        }
        for (const auto& value : tree[i].values) {
            const std::error_code failure = key->key.set_value(value.name, value.value);
            firstFailure = firstFailure ? firstFailure : failure;
        }
    }
    return firstFailure;
}

void Report(std::string_view what, const std::string& path, const std::error_code& failure) {
    if (failure) {
        NoteUndoFailure(what, path, failure);
    } else {
        NoteUndoStep(std::string(what) + " done", path);
    }
}

}  // namespace

void UninstallLog::RecordKeyState(reg::hive hive, const std::string& path) {
    std::optional<reg::key_tree> before;
    if (auto key = reg::Key::open(hive, path)) {
        if (auto tree = key->read_tree()) {
            before = std::move(*tree);
        } else {
            return;  // a key that cannot be read cannot be put back: a rollback leaves it as it is
        }
    }
    const std::string created = before ? std::string() : OutermostMissing(hive, path);
    RecordUnlisted([hive, path, before = std::move(before), created] {
        if (before) {
            auto now = reg::Key::open(hive, path);
            auto tree = now ? now->read_tree() : reg::result<reg::key_tree>(reg::errc::file_not_found);
            if (!tree || *tree != *before) {
                Report("Restoring the registry key", path, RestoreTree(hive, path, *before));
            }
        } else if (!created.empty()) {
            Report("Deleting the registry key", created, DeleteKey(hive, created));
        }
    });
}

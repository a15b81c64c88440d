#include "platform/registry/store.hpp"

#include "platform/registry/names.hpp"
#include "platform/registry/sqlite_db.hpp"
#include "platform/system/user_file_rights.hpp"

#include <boost/filesystem/operations.hpp>

#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <system_error>
#include <tuple>

namespace platform::registry::detail {
namespace {

namespace fs = boost::filesystem;

// Ids are never reused (AUTOINCREMENT), so a Key held across the deletion of its key can never reach a
// key created later in its place.
constexpr const char* schema_sql = R"(
CREATE TABLE IF NOT EXISTS keys (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER,
    name TEXT NOT NULL,
    folded TEXT NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS keys_by_name ON keys(parent, folded);
CREATE TABLE IF NOT EXISTS key_values (
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE (key, folded));
INSERT OR IGNORE INTO keys (id, parent, name, folded) VALUES (1, NULL, '', '');
)";

constexpr const char* subtree_cte =
    "WITH RECURSIVE subtree(id) AS (SELECT ?1 UNION ALL "
    "SELECT keys.id FROM keys JOIN subtree ON keys.parent = subtree.id) ";

[[noreturn]] void fail(errc e) {
    throw store_failure{make_error_code(e)};
}

// Each operation on the user's hive, which lies in the user's folders, runs with the rights of the
// user the installer works for, so that its files (and their journals) stay the user's.
template <class Operation>
auto guarded(hive h, Operation&& operation) -> decltype(operation()) {
    std::optional<platform::system::user_file_rights> rights;
    try {
        rights.emplace(h == hive::current_user);
    } catch (const std::system_error& refused) {
        return refused.code();
    }
    try {
        return operation();
    } catch (const store_failure& failure) {
        return failure.code;
    }
}

void require_key(const sqlite_db& db, key_id key) {
    statement s(db, "SELECT 1 FROM keys WHERE id = ?1");
    s.bind(1, key);
    if (!s.step()) {
        fail(errc::key_deleted);
    }
}

// What a hive without a database has: its root key and nothing else.
void require_key_without_database(key_id key) {
    if (key != store::root_id) {
        fail(errc::key_deleted);
    }
}

std::optional<key_id> find_child(const sqlite_db& db, key_id parent, std::string_view name) {
    statement s(db, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
    s.bind(1, parent).bind(2, folded(name));
    return s.step() ? std::optional<key_id>(s.integer(0)) : std::nullopt;
}

key_id find_path(const sqlite_db& db, key_id from, const std::vector<std::string>& names) {
    key_id id = from;
    for (const auto& name : names) {
        const auto child = find_child(db, id, name);
        if (!child) {
            fail(errc::file_not_found);
        }
        id = *child;
    }
    return id;
}

// The two inserts a change makes, prepared once for all the keys and values of a restore.
class row_writer {
public:
    explicit row_writer(const sqlite_db& db)
        : m_db(db),
          m_key(db, "INSERT INTO keys (parent, name, folded) VALUES (?1, ?2, ?3)"),
          m_value(db,
                  "INSERT INTO key_values (key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
                  "ON CONFLICT (key, folded) DO UPDATE SET type = excluded.type, data = excluded.data") {}

    key_id add_key(key_id parent, std::string_view name) {
        m_key.reset();
        m_key.bind(1, parent).bind(2, name).bind(3, folded(name));
        m_key.step();
        return sqlite3_last_insert_rowid(m_db.handle());
    }

    void set_value(key_id key, const named_value& v) {
        m_value.reset();
        m_value.bind(1, key).bind(2, v.name).bind(3, folded(v.name));
        m_value.bind(4, static_cast<std::int64_t>(v.value.type)).bind(5, v.value.data);
        m_value.step();
    }

private:
    const sqlite_db& m_db;
    statement m_key;
    statement m_value;
};

std::vector<named_value> values_of(const sqlite_db& db, key_id key) {
    statement s(db, "SELECT name, type, data FROM key_values WHERE key = ?1 ORDER BY rowid");
    s.bind(1, key);
    std::vector<named_value> values;
    while (s.step()) {
        values.push_back({s.text(0), {static_cast<value_type>(s.integer(1)), s.blob(2)}});
    }
    return values;
}

std::vector<std::pair<key_id, std::string>> children_of(const sqlite_db& db, key_id key) {
    statement s(db, "SELECT id, name FROM keys WHERE parent = ?1 ORDER BY folded");
    s.bind(1, key);
    std::vector<std::pair<key_id, std::string>> children;
    while (s.step()) {
        children.emplace_back(s.integer(0), s.text(1));
    }
    return children;
}

// Removes the values and keys of the subtree rooted at `top` (itself included).
void delete_subtree(const sqlite_db& db, key_id top) {
    statement values(db, std::string(subtree_cte) + "DELETE FROM key_values WHERE key IN (SELECT id FROM subtree)");
    values.bind(1, top);
    values.step();
    statement keys(db, std::string(subtree_cte) + "DELETE FROM keys WHERE id IN (SELECT id FROM subtree)");
    keys.bind(1, top);
    keys.step();
}

void make_folder(const fs::path& folder, mode_t mode) {
    boost::system::error_code ec;
    fs::create_directories(folder.parent_path(), ec);
    if (::mkdir(folder.c_str(), mode) != 0 && errno != EEXIST) {
        fail(errno == EACCES || errno == EPERM || errno == EROFS ? errc::access_denied : errc::cantwrite);
    }
}

}  // namespace

store::store(hive h) : m_hive(h), m_file(hive_file(h)) {}

store::~store() = default;

sqlite_db* store::reading() {
    if (!m_db) {
        boost::system::error_code ec;
        if (!fs::exists(m_file, ec)) {
            return nullptr;
        }
        m_db = std::make_unique<sqlite_db>(m_file, false);
    }
    if (!m_schema_ready) {
        // A database another process has just created may not have its tables yet: it is still empty.
        statement s(*m_db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'key_values'");
        m_schema_ready = s.step();
    }
    return m_schema_ready ? m_db.get() : nullptr;
}

sqlite_db& store::writing() {
    if (!m_db) {
        // The user's hive is private to the user; the machine's is readable by every account.
        make_folder(m_file.parent_path(), m_hive == hive::current_user ? 0700 : 0755);
        m_db = std::make_unique<sqlite_db>(m_file, true);
    }
    if (!m_schema_ready) {
        transaction t(*m_db, transaction::kind::write);
        m_db->exec(schema_sql);
        t.commit();
        m_schema_ready = true;
    }
    return *m_db;
}

result<key_id> store::find(key_id from, const std::vector<std::string>& names) {
    return guarded(m_hive, [&]() -> result<key_id> {
        sqlite_db* db = reading();
        if (!db) {
            require_key_without_database(from);
            return names.empty() ? result<key_id>(from) : result<key_id>(errc::file_not_found);
        }
        transaction t(*db, transaction::kind::read);
        require_key(*db, from);
        return find_path(*db, from, names);
    });
}

result<std::pair<key_id, bool>> store::create(key_id from, const std::vector<std::string>& names) {
    return guarded(m_hive, [&]() -> result<std::pair<key_id, bool>> {
        sqlite_db& db = writing();
        transaction t(db, transaction::kind::write);
        require_key(db, from);
        key_id id = from;
        bool created = false;
        for (const auto& name : names) {
            const auto child = find_child(db, id, name);
            created = !child;
            id = child ? *child : row_writer(db).add_key(id, name);
        }
        t.commit();
        return std::pair{id, created};
    });
}

result<std::vector<std::string>> store::subkey_names(key_id key) {
    return guarded(m_hive, [&]() -> result<std::vector<std::string>> {
        sqlite_db* db = reading();
        if (!db) {
            require_key_without_database(key);
            return std::vector<std::string>{};
        }
        transaction t(*db, transaction::kind::read);
        require_key(*db, key);
        std::vector<std::string> names;
        for (auto& child : children_of(*db, key)) {
            names.push_back(std::move(child.second));
        }
        return names;
    });
}

std::error_code store::delete_tree(key_id from, const std::vector<std::string>& names) {
    if (names.empty()) {
        return errc::invalid_parameter;
    }
    return guarded(m_hive, [&]() -> std::error_code {
        if (!reading()) {
            require_key_without_database(from);
            return errc::file_not_found;
        }
        sqlite_db& db = writing();
        transaction t(db, transaction::kind::write);
        require_key(db, from);
        delete_subtree(db, find_path(db, from, names));
        t.commit();
        return {};
    });
}

std::error_code store::set_value(key_id key, std::string_view name, const value& v) {
    return guarded(m_hive, [&]() -> std::error_code {
        sqlite_db& db = writing();
        transaction t(db, transaction::kind::write);
        require_key(db, key);
        row_writer(db).set_value(key, {std::string(name), v});
        t.commit();
        return {};
    });
}

result<value> store::get_value(key_id key, std::string_view name) {
    return guarded(m_hive, [&]() -> result<value> {
        sqlite_db* db = reading();
        if (!db) {
            require_key_without_database(key);
            return errc::file_not_found;
        }
        transaction t(*db, transaction::kind::read);
        require_key(*db, key);
        statement s(*db, "SELECT type, data FROM key_values WHERE key = ?1 AND folded = ?2");
        s.bind(1, key).bind(2, folded(name));
        if (!s.step()) {
            return errc::file_not_found;
        }
        return value{static_cast<value_type>(s.integer(0)), s.blob(1)};
    });
}

result<std::vector<named_value>> store::values(key_id key) {
    return guarded(m_hive, [&]() -> result<std::vector<named_value>> {
        sqlite_db* db = reading();
        if (!db) {
            require_key_without_database(key);
            return std::vector<named_value>{};
        }
        transaction t(*db, transaction::kind::read);
        require_key(*db, key);
        return values_of(*db, key);
    });
}

std::error_code store::delete_value(key_id key, std::string_view name) {
    return guarded(m_hive, [&]() -> std::error_code {
        if (!reading()) {
            require_key_without_database(key);
            return errc::file_not_found;
        }
        sqlite_db& db = writing();
        transaction t(db, transaction::kind::write);
        require_key(db, key);
        statement s(db, "DELETE FROM key_values WHERE key = ?1 AND folded = ?2");
        s.bind(1, key).bind(2, folded(name));
        s.step();
        if (sqlite3_changes(db.handle()) == 0) {
            return errc::file_not_found;
        }
        t.commit();
        return {};
    });
}

result<key_tree> store::read_tree(key_id key) {
    return guarded(m_hive, [&]() -> result<key_tree> {
        sqlite_db* db = reading();
        if (!db) {
            require_key_without_database(key);
            return key_tree{tree_key{}};
        }
        transaction t(*db, transaction::kind::read);
        require_key(*db, key);
        key_tree tree;
        // Depth first, children in name order: (id, index of the parent in the tree, name).
        std::vector<std::tuple<key_id, std::size_t, std::string>> pending{{key, 0, std::string()}};
        while (!pending.empty()) {
            auto [id, parent, name] = std::move(pending.back());
            pending.pop_back();
            const std::size_t index = tree.size();
            tree.push_back({std::move(name), parent, values_of(*db, id)});
            auto children = children_of(*db, id);
            for (auto child = children.rbegin(); child != children.rend(); ++child) {
                pending.emplace_back(child->first, index, std::move(child->second));
            }
        }
        return tree;
    });
}

std::error_code store::replace_tree(key_id key, const key_tree& tree) {
    if (tree.empty()) {
        return errc::invalid_parameter;
    }
    for (std::size_t i = 1; i < tree.size(); ++i) {
        if (tree[i].parent >= i) {
            return errc::invalid_parameter;
        }
    }
    return guarded(m_hive, [&]() -> std::error_code {
        sqlite_db& db = writing();
        transaction t(db, transaction::kind::write);
        require_key(db, key);
        for (const auto& [child, name] : children_of(db, key)) {
            delete_subtree(db, child);
        }
        statement own_values(db, "DELETE FROM key_values WHERE key = ?1");
        own_values.bind(1, key);
        own_values.step();

        row_writer writer(db);
        std::vector<key_id> ids{key};
        for (std::size_t i = 0; i < tree.size(); ++i) {
            if (i > 0) {
                ids.push_back(writer.add_key(ids[tree[i].parent], tree[i].name));
            }
            for (const auto& v : tree[i].values) {
                writer.set_value(ids[i], v);
            }
        }
        t.commit();
        return {};
    });
}

}  // namespace platform::registry::detail

// One hive's database: keys as rows linked to their parent, values as rows of their key. Every change is
// one transaction; reads that look at several rows run in one read transaction, so they see a single
// state even while other processes write.
//
// The database is created, with its folder, by the first change; reads of a hive that has no database
// yet find only its empty root key and create nothing.
#pragma once

#include "platform/registry/hive.hpp"
#include "platform/registry/key_tree.hpp"
#include "platform/registry/result.hpp"
#include "platform/registry/value.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry::detail {

class sqlite_db;

using key_id = std::int64_t;

class store {
public:
    static constexpr key_id root_id = 1;

    explicit store(hive h);
    ~store();
    store(const store&) = delete;
    store& operator=(const store&) = delete;

    result<key_id> find(key_id from, const std::vector<std::string>& names);
    // The key and whether this call created it (the last name; missing keys on the way are created too).
    result<std::pair<key_id, bool>> create(key_id from, const std::vector<std::string>& names);
    result<std::vector<std::string>> subkey_names(key_id key);
    // Removes the named key with everything below it.
    std::error_code delete_tree(key_id from, const std::vector<std::string>& names);

    std::error_code set_value(key_id key, std::string_view name, const value& v);
    result<value> get_value(key_id key, std::string_view name);
    result<std::vector<named_value>> values(key_id key);
    std::error_code delete_value(key_id key, std::string_view name);

    result<key_tree> read_tree(key_id key);
    // Replaces the key's values and subkeys by those of the tree; the key itself and its name stay.
    std::error_code replace_tree(key_id key, const key_tree& tree);

private:
    // The connection for reading, or null when the hive has no database yet.
    sqlite_db* reading();
    sqlite_db& writing();

    hive m_hive;
    boost::filesystem::path m_file;
    std::unique_ptr<sqlite_db> m_db;
    bool m_schema_ready = false;
};

}  // namespace platform::registry::detail

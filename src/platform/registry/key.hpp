// Registry keys: create (with disposition), open, set and query typed values, enumerate, delete values
// and trees, save a key's subtree to a file and restore it. Stands in for RegCreateKeyExW,
// RegOpenKeyExW, RegSetValueExW, RegQueryValueExW, RegGetValueW, RegEnumKeyExW, RegEnumValueW,
// RegDeleteValueW, RegDeleteTreeW/SHDeleteKeyW, RegSaveKeyW, RegRestoreKeyW, RegCloseKey and
// SHGetValueW.
//
// Key paths are backslash-separated; key and value names ignore case and keep the case they were
// created with. Every change is one transaction of the hive's database, so other processes see it
// whole or not at all, and a process killed in the middle leaves the key as it was.
//
// A Key is an open handle: it stays valid while its key exists (operations on a key deleted meanwhile
// fail with key_deleted) and closes when the last copy goes. A Key is used by one thread at a time.
#pragma once

#include "platform/registry/error.hpp"
#include "platform/registry/hive.hpp"
#include "platform/registry/key_tree.hpp"
#include "platform/registry/result.hpp"
#include "platform/registry/value.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform::registry {

namespace detail {
class store;
}

enum class disposition : std::uint32_t {
    created_new_key = 1,      // REG_CREATED_NEW_KEY
    opened_existing_key = 2,  // REG_OPENED_EXISTING_KEY
};

struct created_key;

class Key {
public:
    // An empty handle: every operation fails with invalid_handle.
    Key() = default;

    // The hive's root key (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER); always there.
    static Key root(registry::hive h);
    static result<Key> open(registry::hive h, std::string_view path);
    static result<created_key> create(registry::hive h, std::string_view path);

    bool is_open() const { return m_store != nullptr; }

    // A subkey by its path below this key; an empty path is this key again.
    result<Key> open(std::string_view path) const;
    // Opens the subkey, creating it and any missing key on the way.
    result<created_key> create(std::string_view path) const;
    // Subkey names in name order.
    result<std::vector<std::string>> subkeys() const;
    // Deletes the subkey with all its values and subkeys.
    std::error_code delete_tree(std::string_view path) const;

    // Creates or replaces a value; the empty name is the key's default value.
    std::error_code set_value(std::string_view name, const value& v) const;
    // A string with its terminating null counted in the size.
    std::error_code set_string(std::string_view name, std::string_view utf8, value_type type = value_type::sz) const;
    std::error_code set_dword(std::string_view name, std::uint32_t number) const;

    result<value> query(std::string_view name) const;
    result<value_info> query_info(std::string_view name) const;
    // Copies the data into the buffer; more_data (and nothing copied) when it does not fit.
    result<value_info> query_into(std::string_view name, std::span<std::uint8_t> buffer) const;
    // The text of a REG_SZ or REG_EXPAND_SZ value (not expanded); unsupported_type for another type,
    // invalid_data for an odd byte size.
    result<std::string> query_string(std::string_view name) const;
    // unsupported_type for another type than REG_DWORD, datatype_mismatch for a size other than 4.
    result<std::uint32_t> query_dword(std::string_view name) const;
    // Values in the order they were created.
    result<std::vector<named_value>> values() const;
    std::error_code delete_value(std::string_view name) const;

    // The key with everything below it, read in one consistent step.
    result<key_tree> read_tree() const;

    // Writes the key's subtree to a new file (already_exists if there is one). Needs
    // SeBackupPrivilege enabled in the process token, else privilege_not_held.
    std::error_code save(const boost::filesystem::path& file) const;
    // Replaces the key's values and subkeys by those saved in the file, in one transaction; the key
    // keeps its name. Needs SeRestorePrivilege enabled, else privilege_not_held; a file that is not a
    // saved key gives registry_corrupt and changes nothing.
    std::error_code restore(const boost::filesystem::path& file) const;

private:
    Key(std::shared_ptr<detail::store> store, std::int64_t id) : m_store(std::move(store)), m_id(id) {}

    std::shared_ptr<detail::store> m_store;
    std::int64_t m_id = 0;
};

struct created_key {
    Key key;
    registry::disposition disposition;
};

// Opens the key, reads the value and closes the key (SHGetValueW).
result<value> get_value(hive h, std::string_view path, std::string_view name);

}  // namespace platform::registry

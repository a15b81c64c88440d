#include "platform/registry/key.hpp"

#include "platform/registry/key_file.hpp"
#include "platform/registry/names.hpp"
#include "platform/registry/privilege_check.hpp"
#include "platform/registry/store.hpp"

#include <algorithm>

namespace platform::registry {

Key Key::root(registry::hive h) {
    return Key(std::make_shared<detail::store>(h), detail::store::root_id);
}

result<Key> Key::open(registry::hive h, std::string_view path) {
    return root(h).open(path);
}

result<created_key> Key::create(registry::hive h, std::string_view path) {
    return root(h).create(path);
}

result<Key> Key::open(std::string_view path) const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    auto names = detail::split_key_path(path);
    if (!names) {
        return names.error();
    }
    auto id = m_store->find(m_id, *names);
    if (!id) {
        return id.error();
    }
    return Key(m_store, *id);
}

result<created_key> Key::create(std::string_view path) const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    auto names = detail::split_key_path(path);
    if (!names) {
        return names.error();
    }
    auto made = m_store->create(m_id, *names);
    if (!made) {
        return made.error();
    }
    return created_key{Key(m_store, made->first),
                       made->second ? disposition::created_new_key : disposition::opened_existing_key};
}

result<std::vector<std::string>> Key::subkeys() const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    return m_store->subkey_names(m_id);
}

std::error_code Key::delete_tree(std::string_view path) const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    auto names = detail::split_key_path(path);
    if (!names) {
        return names.error();
    }
    return m_store->delete_tree(m_id, *names);
}

std::error_code Key::set_value(std::string_view name, const value& v) const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    if (const auto ec = detail::check_value_name(name)) {
        return ec;
    }
    return m_store->set_value(m_id, name, v);
}

std::error_code Key::set_string(std::string_view name, std::string_view utf8, value_type type) const {
    return set_value(name, string_value(utf8, type));
}

std::error_code Key::set_dword(std::string_view name, std::uint32_t number) const {
    return set_value(name, dword_value(number));
}

result<value> Key::query(std::string_view name) const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    if (const auto ec = detail::check_value_name(name)) {
        return ec;
    }
    return m_store->get_value(m_id, name);
}

result<value_info> Key::query_info(std::string_view name) const {
    auto v = query(name);
    if (!v) {
        return v.error();
    }
    return value_info{v->type, static_cast<std::uint32_t>(v->data.size())};
}

result<value_info> Key::query_into(std::string_view name, std::span<std::uint8_t> buffer) const {
    auto v = query(name);
    if (!v) {
        return v.error();
    }
    if (v->data.size() > buffer.size()) {
        return errc::more_data;
    }
    std::copy(v->data.begin(), v->data.end(), buffer.begin());
    return value_info{v->type, static_cast<std::uint32_t>(v->data.size())};
}

result<std::string> Key::query_string(std::string_view name) const {
    auto v = query(name);
    if (!v) {
        return v.error();
    }
    if (v->type != value_type::sz && v->type != value_type::expand_sz) {
        return errc::unsupported_type;
    }
    if (v->data.size() % 2 != 0) {
        return errc::invalid_data;
    }
    return *as_string(*v);
}

result<std::uint32_t> Key::query_dword(std::string_view name) const {
    auto v = query(name);
    if (!v) {
        return v.error();
    }
    if (v->type != value_type::dword) {
        return errc::unsupported_type;
    }
    if (const auto number = as_dword(*v)) {
        return *number;
    }
    return errc::datatype_mismatch;
}

result<std::vector<named_value>> Key::values() const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    return m_store->values(m_id);
}

std::error_code Key::delete_value(std::string_view name) const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    if (const auto ec = detail::check_value_name(name)) {
        return ec;
    }
    return m_store->delete_value(m_id, name);
}

result<key_tree> Key::read_tree() const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    return m_store->read_tree(m_id);
}

std::error_code Key::save(const boost::filesystem::path& file) const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    if (!privilege_enabled("SeBackupPrivilege")) {
        return errc::privilege_not_held;
    }
    // Read first, so that a key that cannot be read leaves no file.
    auto tree = m_store->read_tree(m_id);
    if (!tree) {
        return tree.error();
    }
    return detail::write_key_file(file, *tree);
}

std::error_code Key::restore(const boost::filesystem::path& file) const {
    if (!m_store) {
        return errc::invalid_handle;
    }
    if (!privilege_enabled("SeRestorePrivilege")) {
        return errc::privilege_not_held;
    }
    auto tree = detail::read_key_file(file);
    if (!tree) {
        return tree.error();
    }
    return m_store->replace_tree(m_id, *tree);
}

result<value> get_value(hive h, std::string_view path, std::string_view name) {
    auto key = Key::open(h, path);
    if (!key) {
        return key.error();
    }
    return key->query(name);
}

}  // namespace platform::registry

// vnreg: shows what the registry holds.
//
//   vnreg query KEY [VALUE]   the key's values and subkeys, or one value
//   vnreg dump [KEY]          the key and everything below it (both hives without KEY)
//
// KEY is a full key name: HKEY_LOCAL_MACHINE\Software\Vintrel, or HKLM\..., HKEY_CURRENT_USER\...,
// HKCU\.... Exit code 0 when found, 1 when not found, 2 for wrong usage, 3 when the registry cannot be
// read.
#include "platform/registry/key.hpp"

#include <iostream>
#include <string>
#include <string_view>

namespace reg = platform::registry;

namespace {

enum exit_code { found = 0, not_found = 1, usage = 2, failed = 3 };

int print_usage() {
    std::cerr << "usage: vnreg query KEY [VALUE]\n"
                 "       vnreg dump [KEY]\n"
                 "KEY: HKEY_LOCAL_MACHINE\\..., HKLM\\..., HKEY_CURRENT_USER\\... or HKCU\\...\n";
    return usage;
}

int report(const std::string& what, const std::error_code& ec) {
    std::cerr << "vnreg: " << what << ": " << ec.message() << " (" << ec.value() << ")\n";
    return ec == reg::errc::file_not_found ? not_found : failed;
}

std::string value_line(const reg::named_value& v) {
    const std::string name = v.name.empty() ? "(default)" : "\"" + v.name + "\"";
    return "    " + name + " = " + reg::describe(v.value);
}

// The canonical spelling of the hive followed by the path as given.
std::string full_name(const reg::full_key_name& key) {
    return reg::hive_name(key.hive) + (key.path.empty() ? "" : "\\" + key.path);
}

int query(const reg::full_key_name& name, const std::string* value_name) {
    const auto key = reg::Key::open(name.hive, name.path);
    if (!key) {
        return report(full_name(name), key.error());
    }
    if (value_name) {
        const auto v = key->query(*value_name);
        if (!v) {
            return report(full_name(name) + " value \"" + *value_name + "\"", v.error());
        }
        std::cout << full_name(name) << '\n' << value_line({*value_name, *v}) << '\n';
        return found;
    }
    const auto values = key->values();
    const auto subkeys = key->subkeys();
    if (!values || !subkeys) {
        return report(full_name(name), values ? subkeys.error() : values.error());
    }
    std::cout << full_name(name) << '\n';
    for (const auto& v : *values) {
        std::cout << value_line(v) << '\n';
    }
    for (const auto& subkey : *subkeys) {
        std::cout << full_name(name) << '\\' << subkey << '\n';
    }
    return found;
}

int dump(const reg::full_key_name& name) {
    const auto key = reg::Key::open(name.hive, name.path);
    if (!key) {
        return report(full_name(name), key.error());
    }
    const auto tree = key->read_tree();
    if (!tree) {
        return report(full_name(name), tree.error());
    }
    const auto names = reg::tree_key_names(*tree, full_name(name));
    for (std::size_t i = 0; i < tree->size(); ++i) {
        std::cout << names[i] << '\n';
        for (const auto& v : (*tree)[i].values) {
            std::cout << value_line(v) << '\n';
        }
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    const auto key = argc > 2 ? reg::parse_full_key_name(argv[2]) : std::nullopt;
    if (command == "query" && key && argc <= 4) {
        const std::string value_name = argc == 4 ? argv[3] : "";
        return query(*key, argc == 4 ? &value_name : nullptr);
    }
    if (command == "dump" && argc == 2) {
        const int machine = dump({reg::hive::local_machine, ""});
        const int user = dump({reg::hive::current_user, ""});
        return std::max(machine, user);
    }
    if (command == "dump" && key && argc == 3) {
        return dump(*key);
    }
    return print_usage();
}

#include "file_type_registration.hpp"

#include "identity/product_identity.hpp"
#include "platform/kernel/atomic_file.hpp"
#include "platform/registry/key.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/program_icon.hpp"
#include "platform/shell/shell_link.hpp"
#include "platform/shell/theme_icons.hpp"

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <span>
#include <utility>

namespace quillon {

namespace {

namespace fs = boost::filesystem;
namespace reg = platform::registry;

constexpr const char* classes_path = "Software\\Classes";
constexpr const char* association_name = "vintrel-quillon7";

fs::path shared_data_folder() {
    // The all-users Start menu is the machine-wide XDG data folder, where desktops look for
    // applications and MIME packages.
    if (auto folder = platform::shell::special_folder(platform::shell::csidl::common_startmenu)) {
        return *folder;
    }
    throw std::runtime_error("the machine-wide data folder is unknown");
}

std::string describe(const std::string& what, std::error_code ec) {
    return what + ": " + ec.message() + " (" + std::to_string(ec.value()) + ")";
}

std::string xml_escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// A desktop entry value: backslashes are the one escape a path can need; a line break cannot be
// written at all.
std::string desktop_value(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\n' || c == '\r') {
            throw std::invalid_argument("a line break cannot be part of a desktop entry");
        }
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return escaped;
}

std::string mime_package_text() {
    return std::string(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"") +
           document_mime_type +
           "\">\n"
           "    <comment>Quillon document</comment>\n"
           "    <generic-icon name=\"x-office-document\"/>\n"
           "    <glob pattern=\"*" +
           xml_escaped(document_extension) +
           "\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string desktop_entry_text(const fs::path& program, bool with_icon) {
    return "[Desktop Entry]\nType=Application\nVersion=1.4\nName=Quillon\n"
           "Exec=" +
           desktop_value(platform::shell::quote_exec_argument(program.string()) + " %f") + "\n" +
           (with_icon ? "Icon=" + platform::shell::program_icon_name(program) + "\n" : std::string()) +
           "MimeType=" + document_mime_type + ";\n" +
           "Categories=Office;WordProcessor;\n"
           "StartupWMClass=" +
           std::string(kProductWindowClass) +
           "\n"
           "NoDisplay=true\nTerminal=false\n";
}

// The icon name a desktop entry of ours gives, when it names one of ours: made of lower-case
// letters, digits and '-' (a name with a folder in it is nobody's icon to remove).
std::optional<std::string> entry_icon_name(const fs::path& entry) {
    std::ifstream in(entry.string());
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("Icon=", 0) != 0) {
            continue;
        }
        const std::string name = line.substr(5);
        const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
        });
        return plain ? std::optional<std::string>(name) : std::nullopt;
    }
    return std::nullopt;
}

std::error_code write_whole_file(const fs::path& file, const std::string& text) {
    boost::system::error_code fs_error;
    fs::create_directories(file.parent_path(), fs_error);
    if (fs_error) {
        return {fs_error.value(), std::generic_category()};
    }
    platform::kernel::atomic_file out(file);
    out.set_permissions(0644);  // every user's desktop reads the file type
    out.write(std::as_bytes(std::span(text.data(), text.size())));
    if (!out.commit()) {
        return out.error() ? out.error() : std::make_error_code(std::errc::io_error);
    }
    return {};
}

std::error_code remove_file_if_present(const fs::path& file) {
    boost::system::error_code fs_error;
    fs::remove(file, fs_error);
    return fs_error ? std::error_code(fs_error.value(), std::generic_category()) : std::error_code();
}

}  // namespace

fs::path mime_package_file() {
    return shared_data_folder() / "mime" / "packages" / (std::string(association_name) + ".xml");
}

fs::path desktop_entry_file() {
    return shared_data_folder() / "applications" / (std::string(association_name) + ".desktop");
}

fs::path icon_theme() {
    return platform::shell::hicolor_theme(shared_data_folder());
}

std::string document_icon_name() {
    std::string name = document_mime_type;
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}

std::string version_text(std::uint64_t packed) {
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(packed >> 48),
                  static_cast<unsigned>((packed >> 32) & 0xFFFF), static_cast<unsigned>((packed >> 16) & 0xFFFF),
                  static_cast<unsigned>(packed & 0xFFFF));
    return text;
}

std::vector<std::string> register_file_type(const fs::path& program, std::optional<std::uint64_t> previous_version) {
    std::vector<std::string> failures;
    const std::string class_path = std::string(classes_path) + "\\" + document_class;
    const std::string quoted = "\"" + program.string() + "\"";

    auto class_key = reg::Key::create(reg::hive::local_machine, class_path);
    if (!class_key) {
        failures.push_back(describe("HKEY_LOCAL_MACHINE\\" + class_path, class_key.error()));
        return failures;
    }
    const reg::Key& key = class_key->key;
    auto set = [&failures](const reg::Key& k, const std::string& where, const std::string& name,
                           const std::string& text) {
        if (const std::error_code ec = k.set_string(name, text)) {
            failures.push_back(describe(where, ec));
        }
    };
    set(key, class_path, "", "Quillon document");
    if (previous_version) {
        set(key, class_path, previous_version_value, version_text(*previous_version));
    }
    for (const auto& [sub, text] : {std::pair<std::string, std::string>{"DefaultIcon", program.string() + ",0"},
                                    {"shell\\open\\command", quoted + " \"%1\""}}) {
        auto sub_key = key.create(sub);
        if (!sub_key) {
            failures.push_back(describe(class_path + "\\" + sub, sub_key.error()));
            continue;
        }
        set(sub_key->key, class_path + "\\" + sub, "", text);
    }

    const std::string extension_path = std::string(classes_path) + "\\" + document_extension;
    if (auto extension = reg::Key::create(reg::hive::local_machine, extension_path)) {
        set(extension->key, extension_path, "", document_class);
    } else {
        failures.push_back(describe("HKEY_LOCAL_MACHINE\\" + extension_path, extension.error()));
    }

    try {
        if (const std::error_code ec = write_whole_file(mime_package_file(), mime_package_text())) {
            failures.push_back(describe(mime_package_file().string(), ec));
        }
        // The program's first icon stands for the program and for its documents.
        const auto pictures = platform::shell::first_icon_pictures(program);
        for (const auto& [context, name] :
             {std::pair{platform::shell::apps_icon_context, platform::shell::program_icon_name(program)},
              std::pair{platform::shell::mime_icon_context, document_icon_name()}}) {
            if (pictures.empty()) {
                break;
            }
            if (const std::error_code ec = platform::shell::install_theme_icon(icon_theme(), pictures, context, name)) {
                failures.push_back(describe(icon_theme().string() + ": " + name, ec));
            }
        }
        if (const std::error_code ec =
                write_whole_file(desktop_entry_file(), desktop_entry_text(program, !pictures.empty()))) {
            failures.push_back(describe(desktop_entry_file().string(), ec));
        }
    } catch (const std::exception& e) {
        failures.push_back(e.what());
    }
    return failures;
}

std::vector<std::string> unregister_file_type() {
    std::vector<std::string> failures;
    auto classes = reg::Key::open(reg::hive::local_machine, classes_path);
    if (classes) {
        const std::error_code ec = classes->delete_tree(document_class);
        if (ec && ec != reg::errc::file_not_found) {
            failures.push_back(describe(std::string(classes_path) + "\\" + document_class, ec));
        }
        if (auto extension = classes->open(document_extension)) {
            auto owner = extension->query_string("");
            if (owner && *owner == document_class) {
                const std::error_code removed = classes->delete_tree(document_extension);
                if (removed && removed != reg::errc::file_not_found) {
                    failures.push_back(describe(std::string(classes_path) + "\\" + document_extension, removed));
                }
            }
        }
    } else if (classes.error() != reg::errc::file_not_found) {
        failures.push_back(describe(classes_path, classes.error()));
    }

    try {
        std::vector<std::pair<std::string_view, std::string>> icons = {
            {platform::shell::mime_icon_context, document_icon_name()}};
        if (const auto name = entry_icon_name(desktop_entry_file())) {
            icons.emplace_back(platform::shell::apps_icon_context, *name);
        }
        for (const auto& [context, name] : icons) {
            if (const std::error_code ec = platform::shell::remove_theme_icon(icon_theme(), context, name)) {
                failures.push_back(describe(icon_theme().string() + ": " + name, ec));
            }
        }
        for (const fs::path& file : {mime_package_file(), desktop_entry_file()}) {
            if (const std::error_code ec = remove_file_if_present(file)) {
                failures.push_back(describe(file.string(), ec));
            }
        }
    } catch (const std::exception& e) {
        failures.push_back(e.what());
    }
    return failures;
}

}  // namespace quillon

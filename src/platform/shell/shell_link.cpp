#include "platform/shell/shell_link.hpp"

#include "platform/kernel/path_walk.hpp"
#include "platform/kernel/temp_files.hpp"
#include "platform/kernel/unique_fd.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/shell/program_icon.hpp"
#include "platform/shell/theme_icons.hpp"

#include <sys/stat.h>
#include <unicode/utf8.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace platform::shell {
namespace {

namespace kernel = platform::kernel;

// Characters that make an Exec argument need quotes.
constexpr std::string_view exec_reserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters escaped with a backslash inside a quoted Exec argument.
constexpr std::string_view exec_quoted_escapes = "\"`$\\";

// The escapes every string value gets; a leading blank is kept by "\s".
std::string escape_value(std::string_view value) {
    std::string escaped;
    for (std::size_t i = 0; i < value.size(); ++i) {
        switch (const char c = value[i]) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case ' ':
                escaped += i == 0 ? "\\s" : " ";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// Desktop entries are UTF-8 and have no way to hold other control characters.
bool is_writable_text(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0 || ((c < 0x20 && c != '\n' && c != '\t' && c != '\r') || c == 0x7F)) {
            return false;
        }
    }
    return true;
}

// Category names are ASCII words; a ';' or a line end would break the list.
bool is_category(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

std::string entry_name(const boost::filesystem::path& link_file) {
    std::string name = link_file.filename().string();
    if (name.size() >= link_extension.size() &&
        name.compare(name.size() - link_extension.size(), link_extension.size(), link_extension) == 0) {
        name.resize(name.size() - link_extension.size());
    }
    return name;
}

}  // namespace

std::string quote_exec_argument(std::string_view argument) {
    const bool quoted = argument.empty() || argument.find_first_of(exec_reserved) != std::string_view::npos;
    std::string text = quoted ? "\"" : "";
    for (const char c : argument) {
        if (c == '%') {
            text += "%%";
            continue;
        }
        if (quoted && exec_quoted_escapes.find(c) != std::string_view::npos) {
            text += '\\';
        }
        text += c;
    }
    if (quoted) {
        text += '"';
    }
    return text;
}

void shell_link::set_icon_location(const boost::filesystem::path& icon, int) {
    m_icon = icon;
}

std::string shell_link::desktop_entry(const boost::filesystem::path& link_file) const {
    std::string exec = quote_exec_argument(m_target.string());
    for (const auto& argument : m_arguments) {
        exec += ' ';
        exec += quote_exec_argument(argument);
    }
    std::string text = "[Desktop Entry]\nType=Application\nVersion=1.4\n";
    text += "Name=" + escape_value(entry_name(link_file)) + "\n";
    if (!m_description.empty()) {
        text += "Comment=" + escape_value(m_description) + "\n";
    }
    text += "Exec=" + escape_value(exec) + "\n";
    if (!m_working_folder.empty()) {
        text += "Path=" + escape_value(m_working_folder.string()) + "\n";
    }
    if (!m_icon.empty()) {
        text += "Icon=" + escape_value(m_icon.string()) + "\n";
    } else if (!first_icon_pictures(m_target).empty()) {
        text += "Icon=" + program_icon_name(m_target) + "\n";
    }
    if (!m_window_class.empty()) {
        text += "StartupWMClass=" + escape_value(m_window_class) + "\n";
    }
    if (!m_categories.empty()) {
        text += "Categories=";
        for (const std::string& category : m_categories) {
            text += category + ";";
        }
        text += "\n";
    }
    text += "Terminal=false\n";
    return text;
}

boost::filesystem::path shell_link::icon_theme(const boost::filesystem::path& link_file) {
    const auto machine = special_folder(csidl::common_startmenu);
    if (machine) {
        const std::string inner = canonicalize(link_file.string());
        const std::string outer = canonicalize(machine->string());
        if (common_prefix(inner, outer) == outer) {
            return hicolor_theme(*machine);
        }
    }
    return hicolor_theme(special_folder(csidl::startmenu).value_or(boost::filesystem::path()));
}

std::vector<boost::filesystem::path> shell_link::icon_files(const boost::filesystem::path& link_file) const {
    if (!m_icon.empty() || m_target.empty()) {
        return {};
    }
    return theme_icon_files(icon_theme(link_file), first_icon_pictures(m_target), apps_icon_context,
                            program_icon_name(m_target));
}

std::error_code shell_link::save(const boost::filesystem::path& link_file) const {
    if (m_target.empty() || entry_name(link_file).empty()) {
        return kernel::fail_with(kernel::win32::invalid_parameter);
    }
    bool writable = is_writable_text(entry_name(link_file)) && is_writable_text(m_working_folder.string()) &&
                    is_writable_text(m_description) && is_writable_text(m_icon.string()) &&
                    is_writable_text(m_target.string());
    for (const auto& argument : m_arguments) {
        writable = writable && is_writable_text(argument);
    }
    writable = writable && is_writable_text(m_window_class);
    if (!writable) {
        return kernel::fail_with(kernel::win32::no_unicode_translation);
    }
    if (!std::all_of(m_categories.begin(), m_categories.end(), is_category)) {
        return kernel::fail_with(kernel::win32::invalid_parameter);
    }
    if (m_icon.empty()) {
        if (const auto pictures = first_icon_pictures(m_target); !pictures.empty()) {
            const std::error_code error =
                install_theme_icon(icon_theme(link_file), pictures, apps_icon_context, program_icon_name(m_target));
            if (error) {
                return error;
            }
        }
    }

    // The folder may be a user's own (the desktop): it is held open, and the entry written and renamed
    // relative to it.
    kernel::held_entry place;
    if (const int walk_error = kernel::hold_entry(link_file, place)) {
        return kernel::fail_with_errno(walk_error, link_file);
    }
    std::error_code error;
    std::string temporary;
    kernel::unique_fd file = kernel::create_unique_file_at(place.folder.get(), ".vn", ".tmp", temporary, error);
    if (!file) {
        return error;
    }
    int failure = kernel::write_all(file.get(), desktop_entry(link_file));
    if (!failure && ::fchmod(file.get(), 0755) != 0) {
        failure = errno;
    }
    if (!failure && ::fdatasync(file.get()) != 0) {
        failure = errno;
    }
    if (!failure) {
        failure = file.close();
    }
    if (!failure && ::renameat(place.folder.get(), temporary.c_str(), place.folder.get(), place.name.c_str()) != 0) {
        failure = errno;
    }
    if (failure) {
        ::unlinkat(place.folder.get(), temporary.c_str(), 0);
        return kernel::fail_with_errno(failure, link_file);
    }
    return {};
}

}  // namespace platform::shell

// Shell links written as freedesktop desktop entries (Type=Application). Stands in for the shell link
// object's IShellLinkW (SetPath, SetArguments, SetWorkingDirectory, SetDescription, SetIconLocation)
// and IPersistFile::Save.
//
// The entry's Name is the link file's name without ".desktop"; the target becomes Exec, quoted as the
// desktop entry standard requires, the working folder Path, the description Comment, the icon
// Icon, the window class StartupWMClass, the categories Categories. The file is written to an
// exclusive temporary file beside it and renamed into place, so it is never written through a
// symbolic link and a reader never sees half of it.
//
// Without an icon location the shell shows the target's first icon (program_icon.hpp): saving
// installs it into the hicolor theme of the link's side of the machine (the machine's data folder
// for a link under it, the user's data home otherwise) and names it in Icon. A target without an
// icon gets no Icon line.
#pragma once

#include <boost/filesystem/path.hpp>

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform::shell {

// The platform's extension for link files.
inline constexpr std::string_view link_extension = ".desktop";

class shell_link {
public:
    void set_path(const boost::filesystem::path& target) { m_target = target; }
    // Arguments are given already split, one per element, and quoted here.
    void set_arguments(std::vector<std::string> arguments) { m_arguments = std::move(arguments); }
    void set_working_directory(const boost::filesystem::path& folder) { m_working_folder = folder; }
    void set_description(std::string description) { m_description = std::move(description); }
    // Desktop entries name one icon; the index into an icon resource has no counterpart and is not kept.
    void set_icon_location(const boost::filesystem::path& icon, int index = 0);
    // The class of the windows the target opens, by which desktops tie them to the entry.
    void set_window_class(std::string window_class) { m_window_class = std::move(window_class); }
    // Menu categories of the desktop menu standard ("Office", ...).
    void set_categories(std::vector<std::string> categories) { m_categories = std::move(categories); }

    const boost::filesystem::path& path() const { return m_target; }
    const boost::filesystem::path& working_directory() const { return m_working_folder; }

    // The desktop entry text for a link saved as `link_file`.
    std::string desktop_entry(const boost::filesystem::path& link_file) const;

    // The theme files that saving as `link_file` writes for the target's first icon, so that a caller
    // can record them first; empty with an icon location or for a target without an icon.
    std::vector<boost::filesystem::path> icon_files(const boost::filesystem::path& link_file) const;
    // The hicolor theme the target's icon goes to for a link saved as `link_file`.
    static boost::filesystem::path icon_theme(const boost::filesystem::path& link_file);

    // Writes the link to `link_file` (replacing an existing file), readable by everyone and executable,
    // as file managers launch desktop entries outside the menu folders only when they are.
    // ERROR_INVALID_PARAMETER without a target, ERROR_NO_UNICODE_TRANSLATION when a text is not UTF-8,
    // or the error of writing the target's icon (the entry is then not written).
    std::error_code save(const boost::filesystem::path& link_file) const;

private:
    boost::filesystem::path m_target;
    std::vector<std::string> m_arguments;
    boost::filesystem::path m_working_folder;
    std::string m_description;
    boost::filesystem::path m_icon;
    std::string m_window_class;
    std::vector<std::string> m_categories;
};

// One argument of an Exec line, quoted where the desktop entry standard requires it, with '%'
// doubled (before the string escapes that every value gets).
std::string quote_exec_argument(std::string_view argument);

}  // namespace platform::shell

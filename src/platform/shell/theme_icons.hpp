// Icons installed by name into the hicolor icon theme, the theme every desktop falls back to, as
// "<data>/icons/hicolor/<N>x<N>/<context>/<name>.png" under an XDG data folder (the machine's
// R/usr/local/share or the user's data home). Desktop entries and MIME types then name the icon.
//
// Files are written through atomic_file: never through a symbolic link, never seen half written,
// readable by every user. The theme's icon cache (icon-theme.cache, which GTK reads instead of the
// folders) is brought up to date where one exists; none is made where there is none, as the folders
// are read then, and a cache of ours would outlive our icons.
#pragma once

#include "platform/shell/program_icon.hpp"

#include <boost/filesystem/path.hpp>

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform::shell {

inline constexpr std::string_view apps_icon_context = "apps";
inline constexpr std::string_view mime_icon_context = "mimetypes";

// The theme name of a program's first icon: the file name in lower case, letters and digits only
// kept, and a hash of the whole path, so that copies in other folders never share or remove each
// other's icon ("quillon-1b2c3d4e").
std::string program_icon_name(const boost::filesystem::path& program);

// <data>/icons/hicolor.
boost::filesystem::path hicolor_theme(const boost::filesystem::path& data_folder);

// The theme's files for the pictures, one per size, in the order of `pictures`.
std::vector<boost::filesystem::path> theme_icon_files(const boost::filesystem::path& theme,
                                                      const std::vector<icon_picture>& pictures,
                                                      std::string_view context, std::string_view name);

boost::filesystem::path icon_cache_file(const boost::filesystem::path& theme);

// Writes every picture as the icon `name`, replacing files there and creating the missing folders.
// The first failure ends the writing and is returned; the cache is refreshed either way.
std::error_code install_theme_icon(const boost::filesystem::path& theme, const std::vector<icon_picture>& pictures,
                                   std::string_view context, std::string_view name);

// Deletes the icon `name` of `context` at every size the theme has, then each folder of its way
// that is left empty, up to the theme's "icons" folder, and refreshes the cache. A missing icon is
// no failure; the first other failure is returned.
std::error_code remove_theme_icon(const boost::filesystem::path& theme, std::string_view context,
                                  std::string_view name);

// Runs gtk-update-icon-cache on the theme when it has a cache and the tool is installed.
void refresh_icon_cache(const boost::filesystem::path& theme);

}  // namespace platform::shell

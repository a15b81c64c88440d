// The Quillon document type (".qln"): its class under HKEY_LOCAL_MACHINE\Software\Classes, and the
// freedesktop MIME type and desktop entry that make Linux desktops open such files with the program.
// The main program writes it in its registration run; the uninstaller removes it.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

inline constexpr const char* document_extension = ".qln";
inline constexpr const char* document_class = "Vintrel.Quillon7";
inline constexpr const char* document_mime_type = "application/x-vintrel-quillon";
// Under HKLM\Software\Classes\<document_class>: the packed version an update replaced.
inline constexpr const char* previous_version_value = "PreviousVersion";

// The files outside the registry that carry the association, under the all-users Start menu's data
// folder (R/usr/local/share): mime/packages/<name>.xml and applications/<name>.desktop, and the
// program's first icon in that folder's hicolor theme, as the program's icon and as the icon of the
// document type ("application-x-vintrel-quillon").
boost::filesystem::path mime_package_file();
boost::filesystem::path desktop_entry_file();
boost::filesystem::path icon_theme();
std::string document_icon_name();

// "7.2.1.5" for 0x0007000200010005.
std::string version_text(std::uint64_t packed);

// Writes the class, the extension's link to it, the icon and the open command naming `program`,
// the previous version when given, then the MIME package and the desktop entry. Returns what
// failed, one line each; empty on success.
std::vector<std::string> register_file_type(const boost::filesystem::path& program,
                                            std::optional<std::uint64_t> previous_version);

// Removes what register_file_type wrote: the class with everything below it, the extension key
// while it still names the class (another program may have taken it over), the icons (the program's
// found by the name the desktop entry gives), the MIME package and the desktop entry. Missing parts are not failures.
// Returns what could not be removed.
std::vector<std::string> unregister_file_type();

}  // namespace quillon

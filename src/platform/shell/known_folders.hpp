// The shell's special folders by their Windows identifiers (CSIDL values), placed on Linux: machine-wide
// folders under the system root, the user's under HOME and the XDG folders. Stands in for
// SHGetFolderPathW and SHGetSpecialFolderPathW (SHGFP_TYPE_CURRENT, never CSIDL_FLAG_CREATE) and
// SHGetKnownFolderPath for FOLDERID_Documents.
//
// A lookup gives the folder's place whether or not it exists yet and never creates it; the installer
// creates what it needs. The places Linux has no equivalent for (common documents, common desktop)
// and identifiers outside the table fail, as a failed lookup on Windows does.
#pragma once

#include <boost/filesystem/path.hpp>

#include <optional>

namespace platform::shell {

namespace csidl {
inline constexpr int desktop = 0x00;  // the desktop's file-system folder, as SHGetSpecialFolderPathW gives
inline constexpr int programs = 0x02;
inline constexpr int personal = 0x05;
inline constexpr int startmenu = 0x0B;
inline constexpr int desktopdirectory = 0x10;
inline constexpr int common_startmenu = 0x16;
inline constexpr int common_programs = 0x17;
inline constexpr int common_desktopdirectory = 0x19;
inline constexpr int appdata = 0x1A;
inline constexpr int local_appdata = 0x1C;
inline constexpr int common_appdata = 0x23;
inline constexpr int windows = 0x24;
inline constexpr int system = 0x25;
inline constexpr int program_files = 0x26;
inline constexpr int program_files_common = 0x2B;
inline constexpr int common_documents = 0x2E;
}  // namespace csidl

// The folder for a CSIDL value; nothing for an unknown value or a place this system lacks.
std::optional<boost::filesystem::path> special_folder(int csidl);

// FOLDERID_Documents: the xdg user-dirs documents folder, else HOME/Documents.
std::optional<boost::filesystem::path> documents_folder();

// The xdg user-dirs desktop folder, else HOME/Desktop.
std::optional<boost::filesystem::path> desktop_folder();

}  // namespace platform::shell

// Telling the desktop about changes. Stands in for SHChangeNotify, always synchronous (SHCNF_FLUSH)
// and with paths as items (SHCNF_PATHW).
//
// Linux desktops watch their folders themselves; what they do not redo on their own are the caches
// built from desktop entries and MIME packages. So a change of file associations rebuilds the desktop
// entry and MIME databases of the installer's places (the machine-wide ones under the system root and
// the user's XDG data folder), and a change below one of their applications folders rebuilds that
// folder's desktop entry database when it has one (none is made for it). Without the tools (update-desktop-database,
// update-mime-database) nothing is done; a failing tool is ignored: a notification never fails the caller.
#pragma once

#include <boost/filesystem/path.hpp>

namespace platform::shell {

namespace shcne {
inline constexpr long renameitem = 0x00000001;
inline constexpr long create = 0x00000002;
inline constexpr long delete_item = 0x00000004;
inline constexpr long mkdir = 0x00000008;
inline constexpr long rmdir = 0x00000010;
inline constexpr long updatedir = 0x00001000;
inline constexpr long updateitem = 0x00002000;
inline constexpr long renamefolder = 0x00020000;
inline constexpr long assocchanged = 0x08000000;
}  // namespace shcne

// `event` is one or more SHCNE_ values; `item` and `second_item` are the paths the event names
// (a rename names both), or empty.
void change_notify(long event, const boost::filesystem::path& item = {},
                   const boost::filesystem::path& second_item = {}) noexcept;

}  // namespace platform::shell

// The numbers of the texts the wizard shows (French numbers; LoadText picks the current language's).
#pragma once

#include <cstdint>

namespace wizard_text {

inline constexpr std::uint32_t Installer = 1000;
inline constexpr std::uint32_t Ok = 1001;
inline constexpr std::uint32_t Cancel = 1002;
inline constexpr std::uint32_t About = 1003;  // "About '%1'"
inline constexpr std::uint32_t Exit = 1004;
inline constexpr std::uint32_t Back = 1005;
inline constexpr std::uint32_t Next = 1006;
inline constexpr std::uint32_t Install = 1007;
inline constexpr std::uint32_t Browse = 1008;
inline constexpr std::uint32_t StartMenu = 1009;
inline constexpr std::uint32_t FolderSelection = 1010;
inline constexpr std::uint32_t SelectLanguage = 1014;
inline constexpr std::uint32_t InstallationMethod = 1015;
inline constexpr std::uint32_t QuickInstallation = 1016;
inline constexpr std::uint32_t AdvancedInstallation = 1017;
inline constexpr std::uint32_t ProductInstallation = 1100;  // "'%1' Installation."
inline constexpr std::uint32_t UpdateFromTo = 1101;
inline constexpr std::uint32_t AlreadyInstalled = 1102;
inline constexpr std::uint32_t NewerInstalled = 1103;
inline constexpr std::uint32_t ConfirmReinstallation = 1104;
inline constexpr std::uint32_t ContinueOrExit = 1105;
inline constexpr std::uint32_t ClickToContinue = 1106;
inline constexpr std::uint32_t ClickToExit = 1107;
inline constexpr std::uint32_t ClickToInstall = 1108;
inline constexpr std::uint32_t StartPageNotice = 1109;
inline constexpr std::uint32_t ConfirmExit = 1110;
inline constexpr std::uint32_t SelectFolder = 1111;
inline constexpr std::uint32_t MenuShortcut = 1112;
inline constexpr std::uint32_t DesktopShortcut = 1113;
inline constexpr std::uint32_t InstallationComplete = 1120;
inline constexpr std::uint32_t InstallationOptions = 1122;
inline constexpr std::uint32_t InstallationFolderLine = 1123;
inline constexpr std::uint32_t MenuShortcutLine = 1124;
inline constexpr std::uint32_t DesktopShortcutLine = 1125;

}  // namespace wizard_text

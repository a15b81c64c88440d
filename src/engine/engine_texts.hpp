// The texts the installation shows, by their French numbers (the catalogue picks the language).
#pragma once

#include <cstdint>

namespace engine_text {

inline constexpr std::uint32_t kNext = 1006;
inline constexpr std::uint32_t kOk = 1011;
inline constexpr std::uint32_t kFailed = 1012;
inline constexpr std::uint32_t kUninstallShortcutName = 1013;  // "Uninstall %1"
inline constexpr std::uint32_t kSamplesFolder = 1018;          // "%1 Examples"
inline constexpr std::uint32_t kClickToContinue = 1106;        // "Click on '%1' to continue."
inline constexpr std::uint32_t kPreparing = 1114;
inline constexpr std::uint32_t kCopyingFile = 1115;  // "Copying File  %1..."
inline constexpr std::uint32_t kShortcutsCreation = 1117;
inline constexpr std::uint32_t kRegistryWriting = 1118;
inline constexpr std::uint32_t kInstallationDataWriting = 1119;
inline constexpr std::uint32_t kInstallationFailed = 1121;  // "Installation failed (Error Code %1)."
inline constexpr std::uint32_t kDirectXUpdate = 1131;

}  // namespace engine_text

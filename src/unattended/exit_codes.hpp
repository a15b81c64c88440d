// The exit codes of an unattended run (documented in --help and the README). With a person at the
// screen the wizard's own exit code stands.
#pragma once

namespace exit_code {

inline constexpr int kInstalled = 0;
inline constexpr int kFailed = 1;  // the installation failed and was rolled back
inline constexpr int kUsage = 2;
inline constexpr int kInstallerRunning = 3;
inline constexpr int kNotAdministrator = 4;
inline constexpr int kProductRunning = 5;
inline constexpr int kNewerInstalled = 6;
inline constexpr int kStartupFailure = 7;  // locale, processor, resources, the log file, the installer mutex

}  // namespace exit_code

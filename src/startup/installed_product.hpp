// Where the previous installation is: the installed main program, which every installation records
// in the registry, the language it recorded, and the uninstall log it left. The wizard's start-up and
// the command line's query both find the previous installation through these functions.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

class UninstallLog;

// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon 7.
std::string UninstallKeyPath();

// The installed main program recorded under HKEY_LOCAL_MACHINE\Software\Vintrel, when the recorded
// path names something that exists; empty otherwise, also when the registry cannot be read.
std::string LookUpInstalledProduct();

// The same, but a registry that cannot be read (any failure other than a missing key or value, or a
// value that is not text) sets `error` and gives an empty path. `error` is cleared otherwise.
std::string LookUpInstalledProduct(std::error_code& error);

// The product language the previous installation recorded (VnLanguage under the Uninstall key), when
// it is one of the product's languages; nothing when absent, unreadable or not one of them.
std::optional<std::uint32_t> RecordedProductLanguage();

// The previous "Uninstall.ulog": beside the uninstaller that the Uninstall key names, else beside
// this program, else beside the installed main program; the first that exists. Empty when none
// does.
boost::filesystem::path FindUninstallLog(const std::string& installedProgram);

// Reads the log FindUninstallLog finds into `log` and answers true; without one only the log's two
// paths are emptied and the answer is false. A log that is rejected while reading keeps what was
// read before the fault (UninstallLog::Read).
bool ReadPreviousUninstallLog(const std::string& installedProgram, UninstallLog& log);

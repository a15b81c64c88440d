// Where the previous installation is: the installed main program, which every installation records
// in the registry, and the uninstall log it left.
#pragma once

#include <boost/filesystem/path.hpp>

#include <string>

// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon 7.
std::string UninstallKeyPath();

// The installed main program recorded under HKEY_LOCAL_MACHINE\Software\Vintrel, when the recorded
// path names something that exists; empty otherwise, also when the registry cannot be read.
std::string LookUpInstalledProduct();

// The previous "Uninstall.ulog": beside the uninstaller that the Uninstall key names, else beside
// this program, else beside the installed main program; the first that exists. Empty when none
// does.
boost::filesystem::path FindUninstallLog(const std::string& installedProgram);

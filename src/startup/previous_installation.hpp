// Compares the installed copy of the product with the version this installer carries, to decide
// between a first installation, an update, a reinstallation and a refusal.
#pragma once

#include "startup/version_info.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <string>

enum PreviousInstallStatus : std::int32_t {
    PreviousNewer = -1,  // a more recent version is installed
    PreviousNone = 0,    // no installed product found
    PreviousSame = 1,    // the same version is installed: reinstall
    PreviousOlder = 2,   // an older version is installed: update
};

struct PreviousInstallation {
    PreviousInstallStatus status = PreviousNone;
    std::string versionText;          // display text of the installed version; Newer and Older only
    std::uint64_t versionNumber = 0;  // its packed version; Older only
};

// An installed file without fixed version information counts as the same version. The packed
// versions compare as unsigned 64-bit numbers, so the major and minor numbers decide first.
PreviousInstallation ComparePreviousVersion(const VersionInfo& installed);

// The status of the installed main program; an empty path (no installed product) gives PreviousNone.
PreviousInstallation ComparePreviousInstallation(const boost::filesystem::path& installedProgram);

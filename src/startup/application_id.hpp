// The name of the program family under which its named objects live: the installer and the product
// it installs share it, so the installer can see the product running.
#pragma once

#include "startup/version_info.hpp"

#include <boost/filesystem/path.hpp>

#include <string>

// The version resource's "ApplicationId"; else its "ProductName"; else the program file's base name.
std::string ApplicationIdOf(const VersionInfo& version, const boost::filesystem::path& programFile);

// The id of this process, computed from its own resources on first use and kept for its life.
const std::string& GetApplicationId();

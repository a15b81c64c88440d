#include "startup/previous_installation.hpp"

#include "identity/product_identity.hpp"

PreviousInstallation ComparePreviousVersion(const VersionInfo& installed) {
    if (!installed.HasFixedInfo()) {
        return {PreviousSame, {}, 0};
    }
    const std::uint64_t version = installed.GetVersionNumber();
    if (version > kProductPackedVersion) {
        return {PreviousNewer, installed.GetDisplayText(), 0};
    }
    if (version == kProductPackedVersion) {
        return {PreviousSame, {}, 0};
    }
    return {PreviousOlder, installed.GetDisplayText(), version};
}

PreviousInstallation ComparePreviousInstallation(const boost::filesystem::path& installedProgram) {
    if (installedProgram.empty()) {
        return {};
    }
    return ComparePreviousVersion(VersionInfo::FromFile(installedProgram));
}

#include "unattended/program_version.hpp"

#include "identity/product_identity.hpp"
#include "startup/version_info.hpp"

std::string ProgramVersionText() {
    const VersionInfo version = VersionInfo::FromOwnResource();
    std::string text = version.GetProductName();
    const std::string productVersion = version.GetProductVersion();
    if (!productVersion.empty()) {
        text += (text.empty() ? "" : " ") + productVersion;
    }
    if (version.HasFixedInfo()) {
        text += (text.empty() ? "" : " ") + std::string("(file version ") +
                FormatVersionNumber(version.GetVersionNumber()) + ")";
    }
    return text.empty() ? "unknown version" : text;
}

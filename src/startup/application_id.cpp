#include "startup/application_id.hpp"

#include <boost/filesystem/operations.hpp>
#include <boost/system/error_code.hpp>

std::string ApplicationIdOf(const VersionInfo& version, const boost::filesystem::path& programFile) {
    if (std::string id = version.GetString("ApplicationId"); !id.empty()) {
        return id;
    }
    if (std::string name = version.GetProductName(); !name.empty()) {
        return name;
    }
    return programFile.stem().string();
}

const std::string& GetApplicationId() {
    static const std::string id = [] {
        boost::system::error_code error;
        const boost::filesystem::path self = boost::filesystem::read_symlink("/proc/self/exe", error);
        return ApplicationIdOf(VersionInfo::FromOwnResource(), self);
    }();
    return id;
}

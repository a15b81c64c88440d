// A whole installation and the product's uninstallation leave none of the installer's or the
// product's named objects under R/run once their processes have ended.
#include "installation_fixture.hpp"
#include "platform/sync/object_namespace.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

#include <cstdlib>
#include <string>
#include <vector>

namespace fs = boost::filesystem;

namespace {

class InstallationObjects : public InstallationTest {};

std::vector<std::string> ObjectFiles() {
    std::vector<std::string> names;
    boost::system::error_code error;
    for (fs::directory_iterator it(platform::sync::objects_folder(), error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

TEST_F(InstallationObjects, NoneIsLeftAfterInstallingAndUninstalling) {
    ASSERT_TRUE(Install());  // runs the installed program once to register it
    const std::string uninstall = "'" + (InstallFolder() / "uninstall").string() + "' </dev/null >/dev/null";
    ASSERT_EQ(std::system(uninstall.c_str()), 0);
    EXPECT_EQ(ObjectFiles().size(), 1u) << "only the mutex this installer still holds";
    app.reset();
    EXPECT_TRUE(fs::is_empty(machine.root() / "run/lock"));
}

}  // namespace

// A whole installation and the product's uninstallation leave none of the installer's or the
// product's named objects under R/run once their processes have ended.
#include "installation_fixture.hpp"
#include "platform/sync/object_namespace.hpp"
#include "support/named_object_files.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

#include <cstdlib>
#include <string>
#include <vector>

namespace fs = boost::filesystem;

namespace {

class InstallationObjects : public InstallationTest {};

TEST_F(InstallationObjects, NoneIsLeftAfterInstallingAndUninstalling) {
    ASSERT_TRUE(Install());  // runs the installed program once to register it
    const std::string uninstall = "'" + (InstallFolder() / "uninstall").string() + "' --yes </dev/null >/dev/null";
    ASSERT_EQ(std::system(uninstall.c_str()), 0);
    EXPECT_EQ(test_support::named_object_files().size(), 1u) << "only the mutex this installer still holds";
    app.reset();
    EXPECT_TRUE(fs::is_empty(machine.root() / "run/lock"));
}

}  // namespace

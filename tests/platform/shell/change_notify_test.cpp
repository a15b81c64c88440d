#include "platform/shell/change_notify.hpp"

#include "platform/scratch_folder.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

namespace shell = platform::shell;
namespace fs = boost::filesystem;
using test_support::read_file;
using test_support::scoped_env;
using test_support::write_file;

namespace {

bool have_tools() {
    return std::system(
               "command -v update-desktop-database >/dev/null 2>&1 && "
               "command -v update-mime-database >/dev/null 2>&1") == 0;
}

void write_entry(const fs::path& applications, const std::string& name, const std::string& mime_type) {
    fs::create_directories(applications);
    write_file(applications / name,
               "[Desktop Entry]\nType=Application\nName=Q\nExec=/opt/q %f\nMimeType=" + mime_type + ";\n");
}

void write_mime_package(const fs::path& mime) {
    fs::create_directories(mime / "packages");
    write_file(mime / "packages" / "quillon.xml",
               "<?xml version=\"1.0\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"application/x-quillon\"><glob pattern=\"*.qln\"/></mime-type>\n"
               "</mime-info>\n");
}

// A machine under a scratch root with its own home: the tools may only touch what is inside.
struct moved_machine {
    test_support::scratch_folder scratch;
    scoped_env root{"SETUP_SYSTEM_ROOT", (scratch / "root").c_str()};
    scoped_env home{"HOME", (scratch / "home").c_str()};
    scoped_env data{"XDG_DATA_HOME", nullptr};
    fs::path common_share = scratch / "root/usr/local/share";
    fs::path user_share = scratch / "home/.local/share";
};

}  // namespace

TEST(ChangeNotify, AssociationChangeRebuildsDesktopAndMimeDatabases) {
    if (!have_tools()) {
        GTEST_SKIP() << "update-desktop-database or update-mime-database is not installed";
    }
    moved_machine machine;
    write_entry(machine.common_share / "applications", "quillon.desktop", "application/x-quillon");
    write_entry(machine.user_share / "applications", "viewer.desktop", "image/x-quillon");
    write_mime_package(machine.common_share / "mime");
    write_mime_package(machine.user_share / "mime");

    shell::change_notify(shell::shcne::assocchanged);

    EXPECT_NE(read_file(machine.common_share / "applications/mimeinfo.cache").find("application/x-quillon=quillon"),
              std::string::npos);
    EXPECT_NE(read_file(machine.user_share / "applications/mimeinfo.cache").find("image/x-quillon=viewer"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(machine.common_share / "mime/mime.cache"));
    EXPECT_TRUE(fs::exists(machine.user_share / "mime/mime.cache"));
}

TEST(ChangeNotify, ItemChangesRefreshOnlyAnExistingDatabaseOfTheApplicationsFolderTheyTouch) {
    if (!have_tools()) {
        GTEST_SKIP() << "update-desktop-database is not installed";
    }
    moved_machine machine;
    const fs::path common = machine.common_share / "applications";
    const fs::path user = machine.user_share / "applications";
    write_entry(common / "Vintrel", "quillon.desktop", "application/x-quillon");
    write_entry(user, "viewer.desktop", "image/x-quillon");

    // A database made for a shortcut would outlive everything the installation wrote.
    shell::change_notify(shell::shcne::mkdir, common / "Vintrel");
    EXPECT_FALSE(fs::exists(common / "mimeinfo.cache"));

    const std::string stale = "[MIME Cache]\n";
    write_file(common / "mimeinfo.cache", stale);
    write_file(user / "mimeinfo.cache", stale);
    shell::change_notify(shell::shcne::mkdir, machine.scratch / "root/opt/Vintrel");
    EXPECT_EQ(read_file(common / "mimeinfo.cache"), stale);
    EXPECT_EQ(read_file(user / "mimeinfo.cache"), stale);

    shell::change_notify(shell::shcne::mkdir, common / "Vintrel");
    EXPECT_NE(read_file(common / "mimeinfo.cache").find("application/x-quillon=Vintrel-quillon.desktop"),
              std::string::npos);
    EXPECT_EQ(read_file(user / "mimeinfo.cache"), stale);

    // A rename names two items; either inside a folder counts.
    shell::change_notify(shell::shcne::renameitem, machine.scratch / "elsewhere", user / "viewer.desktop");
    EXPECT_NE(read_file(user / "mimeinfo.cache").find("image/x-quillon=viewer.desktop"), std::string::npos);
}

TEST(ChangeNotify, WithoutTheToolsNothingHappensAndNothingFails) {
    moved_machine machine;
    write_entry(machine.common_share / "applications", "quillon.desktop", "application/x-quillon");
    scoped_env path("PATH", (machine.scratch / "no-tools").c_str());
    shell::change_notify(shell::shcne::assocchanged);
    shell::change_notify(shell::shcne::create, machine.common_share / "applications/quillon.desktop");
    EXPECT_FALSE(fs::exists(machine.common_share / "applications/mimeinfo.cache"));
}

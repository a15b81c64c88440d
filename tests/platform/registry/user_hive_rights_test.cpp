// Run for a user (through pkexec or sudo), the installer writes the user's hive with that user's
// rights: the database and its folder are the user's, the machine's hive stays root's.
#include "platform/registry/hive.hpp"
#include "platform/registry/key.hpp"
#include "platform/system/invoking_user.hpp"
#include "support/scoped_env.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

namespace fs = boost::filesystem;
namespace reg = platform::registry;

namespace {

constexpr uid_t kNobody = 65534;

long OwnerOf(const fs::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? static_cast<long>(status.st_uid) : -1;
}

int WriteBothHives() {
    const auto nobody = platform::system::look_up_account(kNobody);
    if (!nobody) {
        return 10;
    }
    platform::system::act_for_user(*nobody);
    for (const reg::hive h : {reg::hive::current_user, reg::hive::local_machine}) {
        auto made = reg::Key::create(h, "Software\\Vintrel");
        if (!made || made->key.set_dword("value", 1)) {
            return 11;
        }
    }
    const fs::path user = reg::hive_file(reg::hive::current_user);
    if (OwnerOf(user) != kNobody || OwnerOf(user.parent_path()) != kNobody) {
        return 12;
    }
    return OwnerOf(reg::hive_file(reg::hive::local_machine)) == 0 ? 0 : 13;
}

}  // namespace

TEST(UserHiveRights, TheUsersHiveIsWrittenAsTheUserTheMachinesAsRoot) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root works for another user";
    }
    char pattern[] = "/tmp/vn-hive-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path base = pattern;
    ::chmod(pattern, 0755);
    fs::create_directories(base / "home");
    ASSERT_EQ(::chown((base / "home").c_str(), kNobody, kNobody), 0);
    test_support::scoped_env home("HOME", (base / "home").c_str());
    test_support::scoped_env config("XDG_CONFIG_HOME", nullptr);
    test_support::scoped_env root("SETUP_SYSTEM_ROOT", (base / "root").c_str());
    EXPECT_EXIT(_exit(WriteBothHives()), testing::ExitedWithCode(0), "");
    fs::remove_all(base);
}

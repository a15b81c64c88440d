// A local user may create files where the machine's named objects live, before root's installer
// comes. Nothing planted there may keep root from its objects, nor lead root to another file; only a
// live process that holds an object counts.
#include "platform/kernel/win32_error.hpp"
#include "platform/process/probe.hpp"
#include "platform/sync/named_mutex.hpp"
#include "platform/sync/named_semaphore.hpp"
#include "platform/sync/object_namespace.hpp"
#include "support/file_content.hpp"
#include "support/planted_traps.hpp"

#include <sys/stat.h>

#include <optional>

namespace objects = platform::sync;
namespace win32 = platform::kernel::win32;
namespace fs = boost::filesystem;
using objects::wait_result;
using namespace std::chrono_literals;

namespace {

const std::string mutex_name = "Global\\Quillon7.{5ead623c-dfcd-474d-8e3c-e6978cac039e}";
const std::string counter_name = "Global\\Quillon7.{a3526b56-ca7c-4e16-8a26-da7758a378fd}";
const auto everyone = objects::object_security::everyone(objects::generic_all);

std::string result_text(wait_result result) {
    return std::to_string(static_cast<std::uint32_t>(result));
}

struct stat stat_of(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info;
}

class PlantedObjects : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        account = test_support::EnsureSecondAccount(why);
        ASSERT_TRUE(account) << why;
    }

    std::optional<test_support::SecondAccount> account;
};

TEST_F(PlantedObjects, NeitherBlockRootNorLeadItElsewhere) {
    for (const bool counter : {false, true}) {
        const std::string& name = counter ? counter_name : mutex_name;
        for (const auto& trap : test_support::PlantedTraps()) {
            SCOPED_TRACE(std::string(trap.what) + (counter ? ", counter" : ", mutex"));
            probe::sandbox machine;
            test_support::OpenLikeTheSystem(machine.root(), machine.root());
            const fs::path decoy_file = machine.root() / "precious";
            const fs::path decoy_folder = machine.root() / "precious-folder";
            ASSERT_TRUE(test_support::write_file(decoy_file, "root's"));
            fs::create_directory(decoy_folder);
            const fs::path folder = objects::objects_folder();
            const std::string file = objects::object_file_name(name);

            std::optional<objects::named_mutex> other;  // keeps root's folder there while the account plants
            if (trap.inRootsFolder) {
                other = objects::named_mutex::create("Global\\other", false, everyone);
                ASSERT_TRUE(*other);
            }
            ASSERT_EQ(test_support::Plant(*account, trap, folder, file, decoy_file, decoy_folder), 0);

            objects::named_mutex mutex;
            objects::named_semaphore semaphore;
            if (counter) {
                semaphore = objects::named_semaphore::create(name, 0, 0x7FFFFFFF, everyone);
                ASSERT_EQ(semaphore.last_error(), win32::success);
                ASSERT_TRUE(semaphore.release(1));
            } else {
                mutex = objects::named_mutex::create(name, false, everyone);
                ASSERT_EQ(mutex.last_error(), win32::success);
                ASSERT_EQ(mutex.wait(0ms), wait_result::object_0);
            }

            // Another process finds the same object under the name.
            const std::string report = machine.file("report"), until = machine.file("until");
            auto second = probe::start((counter ? "hold-count " : "hold-mutex ") + name + " " + report + " " + until +
                                       (counter ? "" : " release"));
            EXPECT_EQ(probe::await_report(report),
                      (std::vector<std::string>{"183", counter ? "0" : result_text(wait_result::timeout)}));
            probe::signal(until);
            second.wait();

            const struct stat folder_info = stat_of(folder);
            EXPECT_TRUE(S_ISDIR(folder_info.st_mode));
            EXPECT_EQ(folder_info.st_uid, 0u);
            EXPECT_EQ(folder_info.st_mode & 07777, 01777u);
            const struct stat object_info = stat_of(folder / file);
            EXPECT_TRUE(S_ISREG(object_info.st_mode));
            EXPECT_EQ(object_info.st_uid, 0u);
            EXPECT_EQ(object_info.st_nlink, 1u);
            EXPECT_EQ(test_support::read_file(decoy_file), "root's");
            EXPECT_EQ(stat_of(decoy_file).st_mode & 07777, 0644u);
            EXPECT_TRUE(fs::is_empty(decoy_folder));
        }
    }
}

// The account's installer, alive and holding the mutex in the folder it made, still keeps root's
// out, until it lets go.
TEST_F(PlantedObjects, ALiveHolderOfAnotherAccountStillCounts) {
    probe::sandbox machine;
    test_support::OpenLikeTheSystem(machine.root(), machine.root());
    const fs::path drop = machine.root() / "drop";
    fs::create_directory(drop);
    fs::permissions(drop, fs::perms::all_all);
    const std::string report = (drop / "report").string(), until = (drop / "until").string();
    auto holder = probe::start("as-user " + std::to_string(account->uid) + " hold-mutex " + mutex_name + " " + report +
                               " " + until + " release");
    ASSERT_EQ(probe::await_report(report), (std::vector<std::string>{"0", result_text(wait_result::object_0)}));
    EXPECT_EQ(stat_of(objects::objects_folder()).st_uid, account->uid);

    auto mine = objects::named_mutex::create(mutex_name, false, everyone);
    EXPECT_EQ(mine.last_error(), win32::already_exists);
    EXPECT_EQ(mine.wait(0ms), wait_result::timeout);
    EXPECT_EQ(stat_of(objects::objects_folder()).st_uid, 0u) << "taken over";
    probe::signal(until);
    ASSERT_EQ(holder.wait(10000ms), wait_result::object_0);
    EXPECT_EQ(mine.wait(10000ms), wait_result::object_0);
    EXPECT_TRUE(mine.release());
}

}  // namespace

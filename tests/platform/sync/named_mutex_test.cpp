#include "platform/sync/named_mutex.hpp"

#include "platform/kernel/win32_error.hpp"
#include "platform/process/probe.hpp"
#include "platform/sync/named_semaphore.hpp"
#include "platform/sync/object_namespace.hpp"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

namespace objects = platform::sync;
namespace win32 = platform::kernel::win32;
namespace fs = boost::filesystem;
using objects::wait_result;
using namespace std::chrono_literals;

namespace {

const std::string mutex_name = "Global\\QuillonTest.{5ead623c-dfcd-474d-8e3c-e6978cac039e}";
const objects::object_security everyone = objects::object_security::everyone(objects::mutex_all_access);

std::string result_text(wait_result result) {
    return std::to_string(static_cast<std::uint32_t>(result));
}

std::thread::id other_thread_result(const std::function<void()>& body) {
    std::thread worker(body);
    const auto id = worker.get_id();
    worker.join();
    return id;
}

}  // namespace

TEST(NamedMutex, OwnershipNestsAndBelongsToOneThread) {
    probe::sandbox machine;
    auto mutex = objects::named_mutex::create(mutex_name, false, everyone);
    ASSERT_TRUE(mutex);
    EXPECT_EQ(mutex.last_error(), win32::success);
    auto again = objects::named_mutex::create(mutex_name, true, everyone);  // exists: not taken
    EXPECT_EQ(again.last_error(), win32::already_exists);

    EXPECT_EQ(mutex.wait(0ms), wait_result::object_0);
    EXPECT_EQ(again.wait(0ms), wait_result::object_0);  // same object, same thread: nested
    other_thread_result([&] {
        EXPECT_EQ(again.wait(0ms), wait_result::timeout);
        EXPECT_FALSE(mutex.release());
    });
    EXPECT_TRUE(mutex.release());
    other_thread_result([&] { EXPECT_EQ(mutex.wait(0ms), wait_result::timeout); });  // still owned once
    EXPECT_TRUE(again.release());
    EXPECT_FALSE(mutex.release());

    // A waiting thread takes it as soon as the owner lets go.
    ASSERT_EQ(mutex.wait(0ms), wait_result::object_0);
    std::thread waiter([&] {
        EXPECT_EQ(again.wait(10000ms), wait_result::object_0);
        EXPECT_TRUE(again.release());
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(mutex.release());
    waiter.join();

    objects::named_mutex empty;
    EXPECT_EQ(empty.wait(0ms), wait_result::failed);
    EXPECT_FALSE(empty.release());
}

TEST(NamedMutex, AnotherProcessKeepsItUntilItReleasesOrEnds) {
    enum class ending { release, exit_owning, killed };
    const struct {
        ending how;
        const char* mode;
        wait_result expected;
    } cases[] = {
        {ending::release, "release", wait_result::object_0},
        {ending::exit_owning, "keep", wait_result::abandoned},
        {ending::killed, "keep", wait_result::abandoned},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode + std::string(c.how == ending::killed ? " (killed)" : ""));
        probe::sandbox machine;
        auto mine = objects::named_mutex::create(mutex_name, false, everyone);
        ASSERT_EQ(mine.last_error(), win32::success);
        const std::string report = machine.file("report"), until = machine.file("until");
        auto holder = probe::start("hold-mutex " + mutex_name + " " + report + " " + until + " " + c.mode);
        ASSERT_EQ(probe::await_report(report), (std::vector<std::string>{"183", result_text(wait_result::object_0)}));

        EXPECT_EQ(mine.wait(0ms), wait_result::timeout);
        EXPECT_EQ(mine.wait(30ms), wait_result::timeout);
        EXPECT_EQ(objects::named_mutex::create(mutex_name, false, everyone).last_error(), win32::already_exists);

        if (c.how == ending::killed) {
            ::kill(holder.id(), SIGKILL);
        } else {
            probe::signal(until);
        }
        ASSERT_EQ(holder.wait(10000ms), wait_result::object_0);
        EXPECT_EQ(mine.wait(10000ms), c.expected);
        EXPECT_TRUE(mine.release());
        EXPECT_EQ(mine.wait(0ms), wait_result::object_0);  // released properly this time
        EXPECT_TRUE(mine.release());
    }
}

TEST(NamedMutex, WaiterGetsItWhenAnotherProcessReleases) {
    probe::sandbox machine;
    auto mine = objects::named_mutex::create(mutex_name, true, everyone);
    ASSERT_EQ(mine.last_error(), win32::success);
    const std::string report = machine.file("report"), until = machine.file("until");
    // Owned from its creation: the other process finds it taken.
    auto other = probe::start("hold-mutex " + mutex_name + " " + report + " " + until + " keep");
    EXPECT_EQ(probe::await_report(report), (std::vector<std::string>{"183", result_text(wait_result::timeout)}));
    other.wait();
    EXPECT_TRUE(mine.release());
}

// As with a kernel object, the mutex is gone once no process has it open, so an owner that was
// killed while nobody else held it leaves nothing behind.
TEST(NamedMutex, StartsAfreshOnceNoProcessHasItOpen) {
    probe::sandbox machine;
    const std::string report = machine.file("report"), until = machine.file("until");
    auto holder = probe::start("hold-mutex " + mutex_name + " " + report + " " + until + " keep");
    ASSERT_EQ(probe::await_report(report), (std::vector<std::string>{"0", result_text(wait_result::object_0)}));
    ::kill(holder.id(), SIGKILL);
    holder.wait();

    {
        auto mutex = objects::named_mutex::create(mutex_name, false, everyone);
        EXPECT_EQ(mutex.last_error(), win32::success);
        EXPECT_EQ(mutex.wait(0ms), wait_result::object_0);
        EXPECT_TRUE(mutex.release());
    }
    EXPECT_FALSE(fs::exists(objects::objects_folder())) << "the folder goes with the last object";
}

// Its file goes with the last handle of the last process that has the object open, and the folder
// with the last object.
TEST(NamedObjects, TheLastToCloseRemovesTheObjectsFile) {
    probe::sandbox machine;
    const std::string counter_name = "Global\\QuillonTest.counter";
    const fs::path mutex_file = objects::objects_folder() / objects::object_file_name(mutex_name);
    {
        auto mutex = objects::named_mutex::create(mutex_name, true, everyone);
        auto again = objects::named_mutex::create(mutex_name, false, everyone);
        auto counter = objects::named_semaphore::create(counter_name, 0, 1, everyone);
        ASSERT_TRUE(mutex && again && counter);
        EXPECT_TRUE(counter.release(1));
        mutex = objects::named_mutex();
        EXPECT_TRUE(fs::exists(mutex_file)) << "another handle of this process keeps it";
    }
    EXPECT_FALSE(fs::exists(objects::objects_folder())) << "the folder goes with the last object";

    const std::string report = machine.file("report"), until = machine.file("until");
    auto holder = probe::start("hold-mutex " + mutex_name + " " + report + " " + until + " release");
    ASSERT_EQ(probe::await_report(report).size(), 2u);
    EXPECT_EQ(objects::named_mutex::create(mutex_name, false, everyone).last_error(), win32::already_exists);
    EXPECT_TRUE(fs::exists(mutex_file)) << "the other process keeps it";
    probe::signal(until);
    ASSERT_EQ(holder.wait(10000ms), wait_result::object_0);
    EXPECT_FALSE(fs::exists(objects::objects_folder())) << "the folder goes with the last object";
}

// Processes that open, take and close one mutex over and over remove and create its file again and
// again; they must still exclude each other, none of them ever using a file already removed.
TEST(NamedObjects, ObjectsOpenedAndClosedOverAndOverStillExclude) {
    probe::sandbox machine;
    std::vector<platform::process::process_handle> processes;
    for (int i = 0; i < 4; ++i) {
        processes.push_back(
            probe::start("churn-mutex " + mutex_name + " " + machine.file("inside") + " 500 " + machine.file("go")));
    }
    std::this_thread::sleep_for(100ms);  // all started, so that they run at the same time
    probe::signal(machine.file("go"));
    for (auto& process : processes) {
        ASSERT_EQ(process.wait(60000ms), wait_result::object_0);
        EXPECT_EQ(process.exit_code(), 0) << "3: two owners at once";
    }
    EXPECT_FALSE(fs::exists(objects::objects_folder())) << "the folder goes with the last object";
}

TEST(NamedObjects, MutexesAndSemaphoresShareOneNameSpace) {
    probe::sandbox machine;
    const std::string report = machine.file("report"), until = machine.file("until");
    auto holder = probe::start("hold-mutex " + mutex_name + " " + report + " " + until + " release");
    ASSERT_EQ(probe::await_report(report).size(), 2u);
    auto clash = objects::named_semaphore::create(mutex_name, 0, 1, everyone);
    EXPECT_FALSE(clash);
    EXPECT_EQ(clash.last_error(), win32::invalid_handle);

    auto mutex = objects::named_mutex::create(mutex_name, false, everyone);  // this process's own state
    EXPECT_EQ(objects::named_semaphore::create(mutex_name, 0, 1, everyone).last_error(), win32::invalid_handle);
    probe::signal(until);
    holder.wait();
}

TEST(NamedObjects, AccessFollowsTheDescriptor) {
    probe::sandbox machine;
    const struct {
        const char* name;
        bool semaphore;
        objects::object_security security;
        mode_t expected_mode;
    } cases[] = {
        {"everyone", false, objects::object_security::everyone(objects::mutex_all_access), 0666},
        {"everyone-generic", false, objects::object_security::everyone(objects::generic_all), 0666},
        {"everyone-wait-only", false, objects::object_security::everyone(objects::synchronize), 0600},
        {"private", false, {}, 0600},
        {"counter", true, objects::object_security::everyone(objects::semaphore_all_access), 0666},
        {"private-counter", true, {}, 0600},
    };
    std::vector<objects::named_mutex> mutexes;
    std::vector<objects::named_semaphore> semaphores;
    for (const auto& c : cases) {
        if (c.semaphore) {
            semaphores.push_back(objects::named_semaphore::create(std::string("Global\\") + c.name, 0, 1, c.security));
            ASSERT_TRUE(semaphores.back());
        } else {
            mutexes.push_back(objects::named_mutex::create(std::string("Global\\") + c.name, false, c.security));
            ASSERT_TRUE(mutexes.back());
        }
        struct stat info {};
        ASSERT_EQ(lstat((objects::objects_folder() / c.name).c_str(), &info), 0) << c.name;
        EXPECT_TRUE(S_ISREG(info.st_mode));
        EXPECT_EQ(info.st_mode & 07777, c.expected_mode) << c.name;
    }
    struct stat folder {};
    ASSERT_EQ(lstat(objects::objects_folder().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 07777, 01777u);

    if (geteuid() != 0) {
        GTEST_SKIP() << "using the objects from another account needs root";
    }
    // Another account: the sandbox root is readable by all, reports go to a folder all may write.
    const fs::path drop = machine.root() / "drop";
    fs::create_directories(drop);
    fs::permissions(drop, fs::perms::all_all);
    for (const char* name : {"everyone", "private"}) {
        const std::string report = (drop / name).string(), until = (drop / "until").string();
        auto other = probe::start(std::string("as-user 65534 hold-mutex Global\\") + name + " " + report + " " + until +
                                  " release");
        const auto fields = probe::await_report(report);
        const bool shared = std::string(name) == "everyone";
        EXPECT_EQ(fields, (std::vector<std::string>{shared ? "183" : "5",
                                                    result_text(shared ? wait_result::object_0 : wait_result::failed)}))
            << name;
        probe::signal(until);
        other.wait();
        EXPECT_EQ(other.exit_code(), 0);
    }
}

// Another account may place files in the shared folder; an installer running as root must not be
// led to change a file elsewhere through them, nor be kept from its object: a link is no object, and
// it is taken away (never its target).
TEST(NamedObjects, LinksUnderAnObjectsNameAreTakenAway) {
    probe::sandbox machine;
    const fs::path target = machine.root() / "precious";
    probe::signal(target.string());
    const auto first = objects::named_mutex::create("Global\\first", false, everyone);  // makes the folder
    ASSERT_EQ(first.last_error(), win32::success);

    fs::create_symlink(target, objects::objects_folder() / "symbolic");
    fs::create_hard_link(target, objects::objects_folder() / "hard");
    for (const char* name : {"symbolic", "hard"}) {
        auto mutex = objects::named_mutex::create(std::string("Global\\") + name, false, everyone);
        EXPECT_EQ(mutex.last_error(), win32::success) << name;
        EXPECT_EQ(mutex.wait(0ms), wait_result::object_0) << name;
        EXPECT_EQ(fs::hard_link_count(objects::objects_folder() / name), 1u) << name;
    }
    EXPECT_EQ(fs::file_size(target), 1u);
    EXPECT_EQ(fs::hard_link_count(target), 1u);
}

TEST(NamedObjects, RootTakesOverAFolderAnotherAccountCreated) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root";
    }
    probe::sandbox machine;
    fs::create_directories(objects::objects_folder());
    fs::permissions(objects::objects_folder(), fs::perms::all_all | fs::perms::sticky_bit);
    ASSERT_EQ(chown(objects::objects_folder().c_str(), 65534, 65534), 0);

    const auto mutex = objects::named_mutex::create(mutex_name, false, everyone);
    EXPECT_TRUE(mutex);
    struct stat folder {};
    ASSERT_EQ(lstat(objects::objects_folder().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_uid, 0u);
    EXPECT_EQ(folder.st_mode & 07777, 01777u);
}

#include "platform/sync/named_semaphore.hpp"

#include "platform/process/probe.hpp"
#include "platform/process/win32_error.hpp"

#include <signal.h>

namespace objects = platform::sync;
namespace proc = platform::process;
using objects::wait_result;
using namespace std::chrono_literals;

namespace {

const std::string counter_name = "Global\\QuillonTest.{a3526b56-ca7c-4e16-8a26-da7758a378fd}";
const objects::object_security everyone = objects::object_security::everyone(objects::semaphore_all_access);

// How the installer counts the running processes of the product: add one, read the count before,
// take the extra one back.
std::int32_t running_instances(objects::named_semaphore& counter) {
    const auto added = counter.release(1);
    EXPECT_TRUE(added) << added.error;
    EXPECT_EQ(counter.wait(0ms), wait_result::object_0);
    return added.previous_count;
}

}  // namespace

TEST(NamedSemaphore, CountsStayWithinTheMaximum) {
    probe::sandbox machine;
    auto counter = objects::named_semaphore::create(counter_name, 2, 3, everyone);
    ASSERT_TRUE(counter);
    EXPECT_EQ(counter.last_error(), proc::error_success);

    const auto added = counter.release(1);
    EXPECT_TRUE(added);
    EXPECT_EQ(added.previous_count, 2);
    EXPECT_EQ(counter.release(1).error, proc::error_too_many_posts);
    EXPECT_EQ(counter.release(0).error, proc::error_invalid_parameter);
    EXPECT_EQ(counter.release(-1).error, proc::error_invalid_parameter);

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(counter.wait(0ms), wait_result::object_0) << i;
    }
    EXPECT_EQ(counter.wait(0ms), wait_result::timeout);
    EXPECT_EQ(counter.wait(20ms), wait_result::timeout);

    // Opening keeps the counts and the maximum of the existing semaphore.
    auto again = objects::named_semaphore::create(counter_name, 1, 10, everyone);
    EXPECT_EQ(again.last_error(), proc::error_already_exists);
    EXPECT_EQ(again.release(3).previous_count, 0);
    EXPECT_EQ(again.release(1).error, proc::error_too_many_posts);
    EXPECT_EQ(counter.wait(0ms), wait_result::object_0);

    for (auto [initial, maximum] : {std::pair{2, 1}, {0, 0}, {-1, 5}}) {
        auto invalid = objects::named_semaphore::create("Global\\QuillonTest.invalid", initial, maximum, everyone);
        EXPECT_FALSE(invalid);
        EXPECT_EQ(invalid.last_error(), proc::error_invalid_parameter);
    }
    objects::named_semaphore empty;
    EXPECT_EQ(empty.wait(0ms), wait_result::failed);
    EXPECT_FALSE(empty.release(1));
}

TEST(NamedSemaphore, AnotherProcessCountsOnlyWhileItRuns) {
    for (const bool killed : {false, true}) {
        SCOPED_TRACE(killed ? "killed" : "ends normally");
        probe::sandbox machine;
        auto counter = objects::named_semaphore::create(counter_name, 0, 0x7FFFFFFF, everyone);
        ASSERT_TRUE(counter.release(1));  // this process runs
        EXPECT_EQ(running_instances(counter), 1);

        const std::string report = machine.file("report"), until = machine.file("until");
        auto other = probe::start("hold-count " + counter_name + " " + report + " " + until);
        ASSERT_EQ(probe::await_report(report), (std::vector<std::string>{"183", "0"}));
        EXPECT_EQ(running_instances(counter), 2);
        EXPECT_EQ(running_instances(counter), 2);  // counting leaves the count as it was

        if (killed) {
            ::kill(other.id(), SIGKILL);  // no chance to take its count back
        } else {
            probe::signal(until);
        }
        ASSERT_EQ(other.wait(10000ms), wait_result::object_0);
        EXPECT_EQ(running_instances(counter), 1);
    }
}

TEST(NamedSemaphore, WaiterTakesACountAnotherProcessAdds) {
    probe::sandbox machine;
    auto counter = objects::named_semaphore::create(counter_name, 0, 5, everyone);
    const std::string report = machine.file("report"), until = machine.file("until");
    auto other = probe::start("hold-count " + counter_name + " " + report + " " + until);
    EXPECT_EQ(counter.wait(10000ms), wait_result::object_0);
    EXPECT_EQ(counter.wait(0ms), wait_result::timeout);
    probe::signal(until);
    other.wait();
}

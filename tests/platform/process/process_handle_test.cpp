#include "platform/process/process_handle.hpp"

#include "platform/process/win32_error.hpp"
#include "probe.hpp"

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <boost/filesystem/operations.hpp>

#include <cstdlib>

namespace proc = platform::process;
namespace fs = boost::filesystem;
using platform::sync::wait_result;
using namespace std::chrono_literals;

namespace {

// Restores the current folder at the end of the scope.
class scoped_current_folder {
public:
    explicit scoped_current_folder(const fs::path& folder) : m_old(fs::current_path()) { fs::current_path(folder); }
    ~scoped_current_folder() { fs::current_path(m_old); }

private:
    fs::path m_old;
};

}  // namespace

TEST(Process, ChildGetsItsArgumentsFolderAndEnvironment) {
    probe::sandbox machine;
    const fs::path folder = machine.root() / "work folder";
    fs::create_directories(folder);
    const std::string report = machine.file("report");
    test_support::scoped_env mark("QUILLON_PROBE_MARK", "inherited");
    const int stray = dup(STDIN_FILENO);  // without close-on-exec, yet it must not reach the child
    ASSERT_GE(stray, 3);

    const std::string tail = R"( a\\b d"e f"g a\\\"b "x""y" "" /update=0007000200010005)";
    auto child = proc::process_handle::start({probe::command("report " + report) + tail, folder, {}});
    ASSERT_TRUE(child) << child.start_error();
    ASSERT_EQ(child.wait(), wait_result::object_0);
    EXPECT_EQ(child.exit_code(), 0);
    close(stray);

    const auto fields = probe::await_report(report);
    ASSERT_EQ(fields.size(), 13u);
    EXPECT_EQ(fields[0], folder.string());
    EXPECT_EQ(fields[2], "inherited");
    EXPECT_EQ(fields[3], "0");
    const std::vector<std::string> argv(fields.begin() + 4, fields.end());
    EXPECT_EQ(argv, (std::vector<std::string>{probe::program(), "report", report, R"(a\\b)", "de fg", R"(a\"b)",
                                              R"(x"y)", "", "/update=0007000200010005"}));
}

// The program is found the same way whatever folder the child starts in.
TEST(Process, ProgramIsFoundFromTheCallersFolder) {
    probe::sandbox machine;
    const fs::path bin = machine.root() / "Program Files" / "bin";
    fs::create_directories(bin);
    fs::create_symlink(probe::program(), bin / "quillon probe");
    fs::create_symlink(probe::program(), bin / "qprobe");
    const fs::path elsewhere = machine.root() / "elsewhere";
    fs::create_directories(elsewhere);
    const scoped_current_folder caller(machine.root());
    test_support::scoped_env path("PATH", (std::string("/nonexistent:relative:") + bin.string()).c_str());

    const struct {
        std::string program_part;
        std::string expected_argv0;
    } cases[] = {
        {"\"" + (bin / "quillon probe").string() + "\"", (bin / "quillon probe").string()},
        {"\"Program Files/bin/quillon probe\"", "Program Files/bin/quillon probe"},
        {"qprobe", "qprobe"},
    };
    for (const auto& c : cases) {
        const std::string report = machine.file("report-" + std::to_string(&c - cases));
        auto child = proc::process_handle::start({c.program_part + " report " + report, elsewhere, {}});
        ASSERT_TRUE(child) << c.program_part << ": error " << child.start_error();
        child.wait();
        const auto fields = probe::await_report(report);
        ASSERT_GE(fields.size(), 5u);
        EXPECT_EQ(fields[0], elsewhere.string());
        EXPECT_EQ(fields[4], c.expected_argv0);
    }
}

TEST(Process, ExitCodeIsTheStatusReadAsSigned) {
    const struct {
        const char* code;
        std::int32_t expected;
    } cases[] = {{"0", 0}, {"1", 1}, {"-10", -10}, {"127", 127}, {"128", -128}, {"255", -1}, {"256", 0}};
    for (const auto& c : cases) {
        auto child = probe::start(std::string("exit ") + c.code);
        ASSERT_EQ(child.wait(), wait_result::object_0);
        EXPECT_EQ(child.exit_code(), c.expected) << "exit " << c.code;
        EXPECT_EQ(static_cast<std::uint32_t>(*child.exit_code()) == 0xFFFFFFF6, c.expected == -10);
    }
}

TEST(Process, WaitingTimesOutWhileTheProgramRunsAndEndsWithIt) {
    auto child = probe::start("sleep 60000");
    EXPECT_EQ(child.wait(0ms), wait_result::timeout);
    EXPECT_EQ(child.wait(30ms), wait_result::timeout);
    EXPECT_EQ(child.exit_code(), std::nullopt);

    ASSERT_EQ(::kill(child.id(), SIGKILL), 0);
    EXPECT_EQ(child.wait(), wait_result::object_0);
    // Killed: a failure code no exit status can produce.
    EXPECT_EQ(static_cast<std::uint32_t>(*child.exit_code()), proc::exit_code_signal_base + SIGKILL);
    EXPECT_EQ(child.wait(0ms), wait_result::object_0);  // ended stays ended

    proc::process_handle empty;
    EXPECT_EQ(empty.wait(0ms), wait_result::failed);
    EXPECT_EQ(empty.exit_code(), std::nullopt);
}

TEST(Process, ClosingTheHandleLeavesTheProgramRunning) {
    pid_t pid;
    {
        auto child = probe::start("sleep 300");
        pid = child.id();
    }
    EXPECT_EQ(::kill(pid, 0), 0);
    // Once it ends, it is collected: no zombie stays behind.
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (fs::exists("/proc/" + std::to_string(pid)) && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(fs::exists("/proc/" + std::to_string(pid)));
}

TEST(Process, CallerCanPumpWhileWaiting) {
    auto child = probe::start("sleep 200");
    int pumps = 0;
    EXPECT_EQ(child.wait_pumping(10ms, [&] { ++pumps; }), wait_result::object_0);
    EXPECT_GE(pumps, 5);
    EXPECT_EQ(child.exit_code(), 0);

    auto other = probe::start("exit 3");
    ASSERT_GE(other.pollable_descriptor(), 0);
    pollfd ended{other.pollable_descriptor(), POLLIN, 0};
    ASSERT_EQ(poll(&ended, 1, 10000), 1);
    EXPECT_EQ(other.exit_code(), 3);
}

TEST(Process, StartFailuresGiveWindowsErrorCodes) {
    probe::sandbox machine;
    const fs::path plain = machine.root() / "plain.txt";
    probe::signal(plain.string());
    fs::permissions(plain, fs::perms::owner_read | fs::perms::owner_write);

    const struct {
        std::string command_line;
        fs::path folder;
        std::uint32_t expected;
    } cases[] = {
        {(machine.root() / "missing").string(), {}, proc::error_file_not_found},
        {"quillon-no-such-program-anywhere", {}, proc::error_file_not_found},
        {"", {}, proc::error_file_not_found},
        {(plain / "below").string(), {}, proc::error_path_not_found},
        {plain.string(), {}, proc::error_access_denied},
        {machine.root().string(), {}, proc::error_access_denied},
        {probe::command("exit 0"), machine.root() / "no folder", proc::error_directory},
    };
    for (const auto& c : cases) {
        auto child = proc::process_handle::start({c.command_line, c.folder, {}});
        EXPECT_FALSE(child) << c.command_line;
        EXPECT_EQ(child.start_error(), c.expected) << c.command_line;
        EXPECT_EQ(child.wait(0ms), wait_result::failed);
    }
}

TEST(Process, HighPriorityLowersTheNiceValueWhenAllowed) {
    probe::sandbox machine;
    const std::string report = machine.file("report");
    auto child = proc::process_handle::start({probe::command("report " + report), {}, proc::priority_class::high});
    ASSERT_TRUE(child);
    child.wait();
    const auto fields = probe::await_report(report);
    ASSERT_GE(fields.size(), 2u);
    const int ours = getpriority(PRIO_PROCESS, 0);
    const int theirs = std::atoi(fields[1].c_str());
    if (geteuid() == 0) {
        EXPECT_EQ(theirs, std::max(ours - 10, -20));
    } else {
        EXPECT_LE(theirs, ours);  // an ordinary account may not raise priority: the start still succeeds
    }
}

#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/scratch_folder.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <boost/filesystem/operations.hpp>

#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

namespace diagnostics = platform::diagnostics;
namespace fs = boost::filesystem;

namespace {

std::vector<std::string> lines_of(const fs::path& file) {
    std::ifstream in(file.string());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

struct closed_at_end {
    ~closed_at_end() { diagnostics::close_log(); }
};

}  // namespace

TEST(DiagnosticLog, WritesTimestampedLinesAndAppendsToItsOwnFile) {
    test_support::scratch_folder folder;
    const fs::path log = folder / "install.log";
    closed_at_end closer;

    diagnostics::note("before any log: lost");
    ASSERT_FALSE(diagnostics::open_log(log));
    struct stat status {};
    ASSERT_EQ(::stat(log.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    diagnostics::note("Copied ", fs::path("/opt/Quillon/quillon"), " (", 4096u, " bytes, CRC ",
                      diagnostics::hex32{0xBEEFu}, ")");
    diagnostics::note_failure("Backing up", "/opt/Quillon/old", ENOSPC);
    diagnostics::close_log();
    diagnostics::note("after closing: lost");

    ASSERT_FALSE(diagnostics::open_log(log));
    diagnostics::note("second run");
    diagnostics::close_log();

    const auto lines = lines_of(log);
    ASSERT_EQ(lines.size(), 3u);
    const std::regex stamp(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z (.*))");
    std::vector<std::string> texts;
    for (const auto& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, stamp)) << line;
        texts.push_back(match[1]);
    }
    EXPECT_EQ(texts[0], "Copied /opt/Quillon/quillon (4096 bytes, CRC 0000BEEF)");
    EXPECT_EQ(texts[1], "FAILED Backing up: /opt/Quillon/old: No space left on device (errno 28)");
    EXPECT_EQ(texts[2], "second run");
}

// Root appends to the log: a name planted in a shared folder must not lead it to another file.
TEST(DiagnosticLog, RefusesFilesThatAreNotPlainlyItsOwn) {
    test_support::scratch_folder folder;
    const fs::path target = folder / "precious";
    std::ofstream(target.string()) << "keep\n";

    const fs::path link = folder / "link.log";
    fs::create_symlink(target, link);
    EXPECT_TRUE(diagnostics::open_log(link));
    const fs::path second_name = folder / "hard.log";
    fs::create_hard_link(target, second_name);
    EXPECT_TRUE(diagnostics::open_log(second_name));
    EXPECT_TRUE(diagnostics::open_log(folder.path()));
    if (::geteuid() == 0) {
        const fs::path foreign = folder / "foreign.log";
        std::ofstream(foreign.string()) << "theirs\n";
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_TRUE(diagnostics::open_log(foreign));
    }
    EXPECT_FALSE(diagnostics::log_open());
    diagnostics::note("must go nowhere");
    EXPECT_EQ(lines_of(target), std::vector<std::string>{"keep"});
}

TEST(DiagnosticLog, LinesOfSeveralThreadsStayWhole) {
    test_support::scratch_folder folder;
    const fs::path log = folder / "install.log";
    closed_at_end closer;
    ASSERT_FALSE(diagnostics::open_log(log));
    const std::string long_text(3000, 'x');
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                diagnostics::note(long_text);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    diagnostics::close_log();
    const auto lines = lines_of(log);
    ASSERT_EQ(lines.size(), 800u);
    for (const auto& line : lines) {
        ASSERT_EQ(line.substr(line.size() - long_text.size()), long_text);
        ASSERT_EQ(line.size(), 25 + long_text.size());
    }
}

// What an installation writes for all users can be read by all users, whatever umask the installer
// was started with (root's is often 077), and the desktop accepts its entries.
#include "installation_fixture.hpp"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <cstdio>
#include <cstdlib>

namespace fs = boost::filesystem;

namespace {

class SharedFileModes : public InstallationTest {
protected:
    // The files under `folder`, recursively.
    static std::vector<fs::path> FilesUnder(const fs::path& folder) {
        std::vector<fs::path> files;
        for (fs::recursive_directory_iterator it(folder), end; it != end; ++it) {
            if (fs::is_regular_file(it->symlink_status())) {
                files.push_back(it->path());
            }
        }
        return files;
    }

    // The files an ordinary account (nobody, uid 65534) cannot open for reading, each reached from
    // the machine's root folder, so that the private folders the sandbox lives in do not count.
    int UnreadableByOthers(const std::vector<fs::path>& files) const {
        const int root = ::open(machine.root().c_str(), O_PATH | O_DIRECTORY);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
                ::_exit(255);
            }
            int unreadable = 0;
            for (const auto& file : files) {
                const int fd = ::openat(root, file.lexically_relative(machine.root()).c_str(), O_RDONLY);
                if (fd < 0) {
                    std::fprintf(stderr, "not readable by others: %s\n", file.c_str());
                    ++unreadable;
                } else {
                    ::close(fd);
                }
            }
            ::_exit(unreadable > 254 ? 254 : unreadable);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(root);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
    }
};

TEST_F(SharedFileModes, EveryUserReadsWhatTheInstallationWroteForAll) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another account";
    }
    // The sandbox itself is private to the test; the machine inside it is what is checked.
    fs::permissions(machine.root().parent_path(),
                    fs::owner_all | fs::group_read | fs::group_exe | fs::others_read | fs::others_exe);
    const mode_t started = ::umask(077);
    const bool installed = Install();
    ::umask(started);
    ASSERT_TRUE(installed);

    std::vector<fs::path> files;
    for (const fs::path& folder : {machine.root() / "usr/local/share", InstallFolder(), CommonData()}) {
        const auto found = FilesUnder(folder);
        files.insert(files.end(), found.begin(), found.end());
    }
    ASSERT_GT(files.size(), 50u);
    EXPECT_EQ(UnreadableByOthers(files), 0);

    int entries = 0;
    for (const auto& file : files) {
        if (file.extension() == ".desktop") {
            ++entries;
            const std::string command = "desktop-file-validate '" + file.string() + "'";
            EXPECT_EQ(std::system(command.c_str()), 0) << file;
        }
    }
    EXPECT_GE(entries, 3);  // two menu entries and the document type's
}

}  // namespace

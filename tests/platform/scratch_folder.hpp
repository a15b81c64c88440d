// Test folders for the kernel and shell tests: a fresh folder removed with everything in it, and a
// small file system of its own (a tmpfs in a mount namespace private to the test process) for the
// conditions one disk cannot give: another file system, a full disk.
#pragma once

#include "platform/kernel/temp_files.hpp"
#include "platform/system/system_paths.hpp"
#include "support/file_content.hpp"

#include <sched.h>
#include <sys/mount.h>

#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>

#include <fstream>
#include <stdexcept>
#include <string>

namespace test_support {

class scratch_folder {
public:
    scratch_folder() {
        if (platform::kernel::create_temp_folder(platform::system::temp_folder(), "vn-test-", m_path)) {
            throw std::runtime_error("cannot create a scratch folder");
        }
    }
    ~scratch_folder() {
        boost::system::error_code ignored;
        boost::filesystem::remove_all(m_path, ignored);
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    const boost::filesystem::path& path() const { return m_path; }
    boost::filesystem::path operator/(const boost::filesystem::path& relative) const { return m_path / relative; }

private:
    boost::filesystem::path m_path;
};

// A tmpfs of `size` (mount's notation, "64k") at `folder`, seen by this process only. mounted() is
// false where the test may not mount (no privilege, no namespaces); such tests skip.
class private_tmpfs {
public:
    private_tmpfs(const boost::filesystem::path& folder, const char* size) : m_folder(folder) {
        boost::filesystem::create_directories(folder);
        const std::string options = std::string("size=") + size;
        m_mounted = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                    ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~private_tmpfs() {
        if (m_mounted) {
            ::umount2(m_folder.c_str(), MNT_DETACH);
        }
    }
    private_tmpfs(const private_tmpfs&) = delete;
    private_tmpfs& operator=(const private_tmpfs&) = delete;

    bool mounted() const { return m_mounted; }

private:
    boost::filesystem::path m_folder;
    bool m_mounted = false;
};

}  // namespace test_support

#include "support/sandbox_machine.hpp"

#include "support/machine_snapshot.hpp"

#include "platform/system/system_paths.hpp"

#include <boost/filesystem/operations.hpp>

#include <stdlib.h>
#include <sys/stat.h>

#include <stdexcept>
#include <string>

namespace fs = boost::filesystem;

namespace test_support {
namespace {

// The folders any machine has, so that a test sees only what the code under test creates.
const char* const root_folders[] = {"opt",       "usr/lib", "usr/local/lib", "usr/local/share/applications",
                                    "usr/share", "var/lib", "var/opt",       "run/lock",
                                    "etc/xdg"};
const char* const home_folders[] = {".config",      ".cache",  ".local/share/applications",
                                    ".local/state", "Desktop", "Documents"};

// A test may leave read-only folders behind; they must not stop the clean-up.
void make_removable(const fs::path& folder) {
    boost::system::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (fs::is_directory(it->symlink_status())) {
            ::chmod(it->path().c_str(), 0700);
        }
    }
}

}  // namespace

sandbox_machine::sandbox_machine() {
    std::string pattern = (platform::system::temp_folder() / "quillon-sandbox-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a sandbox folder from " + pattern);
    }
    m_folder = pattern;
    try {
        build();
    } catch (...) {
        boost::system::error_code ec;
        fs::remove_all(m_folder, ec);
        throw;
    }
}

void sandbox_machine::build() {
    m_root = m_folder / "root";
    m_home = m_folder / "home";
    m_temp = m_folder / "tmp";
    for (const char* folder : root_folders) {
        fs::create_directories(m_root / folder);
    }
    for (const char* folder : home_folders) {
        fs::create_directories(m_home / folder);
    }
    fs::create_directories(m_temp);
    fs::create_directories(m_folder / "runtime");
    ::chmod((m_folder / "runtime").c_str(), 0700);

    point("SETUP_SYSTEM_ROOT", m_root);
    point("HOME", m_home);
    point("TMPDIR", m_temp);
    point("XDG_CONFIG_HOME", m_home / ".config");
    point("XDG_DATA_HOME", m_home / ".local/share");
    point("XDG_CACHE_HOME", m_home / ".cache");
    point("XDG_STATE_HOME", m_home / ".local/state");
    point("XDG_RUNTIME_DIR", m_folder / "runtime");
    point("XDG_CONFIG_DIRS", m_root / "etc/xdg");
    point("XDG_DATA_DIRS", (m_root / "usr/local/share").string() + ":" + (m_root / "usr/share").string());
    // The real user's folder choices must not leak in.
    unset("XDG_DESKTOP_DIR");
    unset("XDG_DOCUMENTS_DIR");
}

sandbox_machine::~sandbox_machine() {
    while (!m_environment.empty()) {
        m_environment.pop_back();
    }
    make_removable(m_folder);
    boost::system::error_code ec;
    fs::remove_all(m_folder, ec);
}

void sandbox_machine::point(const char* variable, const fs::path& value) {
    m_environment.push_back(std::make_unique<scoped_env>(variable, value.c_str()));
}

void sandbox_machine::unset(const char* variable) {
    m_environment.push_back(std::make_unique<scoped_env>(variable, nullptr));
}

machine_snapshot sandbox_machine::snapshot() const {
    return machine_snapshot::take(*this);
}

}  // namespace test_support

// A fresh machine for one test: a system root, a home folder and a temporary folder under a unique
// folder of the real temporary folder, the environment (SETUP_SYSTEM_ROOT, HOME, TMPDIR, the XDG
// variables) pointed into it, and an empty registry. The destructor puts the environment back and
// removes everything.
#pragma once

#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/path.hpp>

#include <memory>
#include <vector>

namespace test_support {

class machine_snapshot;

class sandbox_machine {
public:
    // Throws std::runtime_error when the folders cannot be made.
    sandbox_machine();
    ~sandbox_machine();
    sandbox_machine(const sandbox_machine&) = delete;
    sandbox_machine& operator=(const sandbox_machine&) = delete;

    const boost::filesystem::path& folder() const { return m_folder; }  // holds the three below
    const boost::filesystem::path& root() const { return m_root; }      // SETUP_SYSTEM_ROOT
    const boost::filesystem::path& home() const { return m_home; }      // HOME
    const boost::filesystem::path& temp() const { return m_temp; }      // TMPDIR

    // Files, attributes and registry as they are now.
    machine_snapshot snapshot() const;

private:
    void build();
    void point(const char* variable, const boost::filesystem::path& value);
    void unset(const char* variable);

    boost::filesystem::path m_folder;
    boost::filesystem::path m_root;
    boost::filesystem::path m_home;
    boost::filesystem::path m_temp;
    std::vector<std::unique_ptr<scoped_env>> m_environment;
};

// A sandbox machine for every test of the fixture.
class sandbox_test : public testing::Test {
protected:
    sandbox_machine machine;
};

}  // namespace test_support

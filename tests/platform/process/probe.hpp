// Helpers for tests that start the process probe (tests/helpers/process_probe.cpp) as a real
// second process, and a private system root for each test.
#pragma once

#include "platform/process/process_handle.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>
#include <boost/filesystem/operations.hpp>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace probe {

namespace fs = boost::filesystem;

inline std::string program() {
    return QUILLON_BINARY_DIR "/bin/process-probe";
}

// A command line that runs the probe with the given arguments (which need no quoting).
inline std::string command(const std::string& arguments) {
    return "\"" + program() + "\" " + arguments;
}

inline platform::process::process_handle start(const std::string& arguments) {
    auto process = platform::process::process_handle::start({command(arguments), {}, {}});
    EXPECT_TRUE(process) << "probe did not start: error " << process.start_error();
    return process;
}

// A fresh folder, removed with everything in it at the end of the scope.
class temp_folder {
public:
    temp_folder() : m_path(fs::temp_directory_path() / fs::unique_path("quillon-test-%%%%-%%%%-%%%%")) {
        fs::create_directories(m_path);
    }
    ~temp_folder() {
        boost::system::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    temp_folder(const temp_folder&) = delete;
    temp_folder& operator=(const temp_folder&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// A private machine for one test: its own system root, and so its own named objects.
class sandbox {
public:
    sandbox() : m_root_variable("SETUP_SYSTEM_ROOT", m_root.path().c_str()) {}
    const fs::path& root() const { return m_root.path(); }
    // A file name in the sandbox for a probe's report or signal.
    std::string file(const std::string& name) const { return (m_root.path() / name).string(); }

private:
    temp_folder m_root;
    test_support::scoped_env m_root_variable;
};

// Waits for a report the probe writes, and returns its NUL-separated fields.
inline std::vector<std::string> await_report(const std::string& file) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(file) && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> fields;
    std::istringstream parts(text);
    for (std::string field; std::getline(parts, field, '\0');) {
        fields.push_back(field);
    }
    return fields;
}

// Creates the file a probe waits for before it goes on.
inline void signal(const std::string& file) {
    std::ofstream(file).put('\n');
}

}  // namespace probe

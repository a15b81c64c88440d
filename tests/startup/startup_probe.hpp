// Runs the start-up probe program as a second process of the installer's application id, in the
// sandbox machine the test has set up (the probe inherits the environment).
#pragma once

#include "platform/process/process_handle.hpp"
#include "platform/shell/path_functions.hpp"

#include <gtest/gtest.h>

#include <signal.h>

#include <boost/filesystem/operations.hpp>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace startup_probe {

inline std::string Program() {
    return QUILLON_BINARY_DIR "/bin/startup-probe";
}

inline platform::process::process_handle Start(const std::string& program, const std::string& arguments) {
    auto probe = platform::process::process_handle::start(
        {platform::shell::quote_spaces(program) + " " + arguments, {}, platform::process::priority_class::normal});
    EXPECT_TRUE(probe) << "start error " << probe.start_error();
    return probe;
}

// Waits until the probe has written the file (or has ended without it).
inline bool WaitFor(const boost::filesystem::path& file, platform::process::process_handle& probe) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!boost::filesystem::exists(file)) {
        if (probe.wait(std::chrono::milliseconds(0)) == platform::sync::wait_result::object_0 ||
            std::chrono::steady_clock::now() > deadline) {
            return boost::filesystem::exists(file);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline void Kill(platform::process::process_handle& probe) {
    ::kill(probe.id(), SIGKILL);
    probe.wait();
}

inline std::vector<std::string> ReadLines(const boost::filesystem::path& file) {
    std::ifstream in(file.string());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace startup_probe

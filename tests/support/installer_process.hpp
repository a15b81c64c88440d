// Runs an installer program as a separate process, as an administrator's script would: no display,
// standard input from /dev/null, standard error kept for the test.
#pragma once

#include "support/machine_snapshot.hpp"
#include "support/scoped_env.hpp"

#include <sys/wait.h>

#include <boost/filesystem/operations.hpp>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace test_support {

struct installer_result {
    int exit_code = -1;  // -1: ended by a signal
    std::string output;  // standard output
    std::string errors;  // standard error
};

// The environment of a machine without any window system.
class without_display {
    scoped_env m_display{"DISPLAY", nullptr};
    scoped_env m_wayland{"WAYLAND_DISPLAY", nullptr};
    scoped_env m_platform{"QT_QPA_PLATFORM", nullptr};
};

inline std::string single_quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs `prefix program arguments` through the shell; the two output files live in `scratch`.
inline installer_result run_installer(const boost::filesystem::path& program, const std::string& arguments,
                                      const boost::filesystem::path& scratch, const std::string& prefix = {}) {
    const auto output = scratch / "installer.out";
    const auto errors = scratch / "installer.err";
    const std::string command = prefix + " " + single_quoted(program.string()) + " " + arguments + " </dev/null >" +
                                single_quoted(output.string()) + " 2>" + single_quoted(errors.string());
    const int status = std::system(command.c_str());
    const auto read = [](const boost::filesystem::path& file) {
        std::ifstream in(file.string(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    installer_result result;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = read(output);
    result.errors = read(errors);
    boost::filesystem::remove(output);
    boost::filesystem::remove(errors);
    return result;
}

// The machine without the named objects' files: they belong to the object manager (a run folder),
// and every process that starts changes them.
inline machine_snapshot without_named_objects(machine_snapshot snapshot) {
    std::erase_if(snapshot.files, [](const auto& file) { return file.first.rfind("root/run/", 0) == 0; });
    return snapshot;
}

}  // namespace test_support

// Gives an installed main program another file version, as an installation of that version would
// have left it: its version resource replaced with the resource tool (ProductName "Quillon",
// ProductVersion "7.xx", U.S. English in Unicode). A failure of the tool fails the test.
#pragma once

#include "platform/resources/resource_table.hpp"
#include "platform/version/version_block.hpp"
#include "support/file_content.hpp"
#include "support/installer_process.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace test_support {

inline void set_program_version(const boost::filesystem::path& program, const boost::filesystem::path& scratch,
                                std::uint32_t ms, std::uint32_t ls) {
    platform::version::version_resource version;
    version.fixed.emplace();
    version.fixed->dwFileVersionMS = ms;
    version.fixed->dwFileVersionLS = ls;
    version.string_tables = {{"040904b0", {{"ProductName", "Quillon"}, {"ProductVersion", "7.xx"}}}};
    version.translations = {{0x0409, 1200}};
    const auto block = platform::version::build_version_block(version);
    const boost::filesystem::path file = scratch / "version.res";
    write_file(file, std::string(reinterpret_cast<const char*>(block.data()), block.size()));
    const std::string command = std::string(QUILLON_BINARY_DIR "/bin/vnres replace ") +
                                single_quoted(program.string()) + " " +
                                std::to_string(platform::resources::rt_version) + " 1 " + file.string();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    boost::filesystem::remove(file);
}

}  // namespace test_support

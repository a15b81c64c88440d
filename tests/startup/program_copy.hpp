// A copy of the built installer program in a temporary folder, whose resources a test replaces
// through the resource tool, as a product build does with a built program.
#pragma once

#include "platform/resources/resource_table.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <cstdlib>
#include <fstream>
#include <span>
#include <string>

class ProgramCopy {
public:
    ProgramCopy()
        : m_dir(boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("program-%%%%-%%%%")),
          m_file(m_dir / "program") {
        boost::filesystem::create_directories(m_dir);
        boost::filesystem::copy_file(QUILLON_BINARY_DIR "/bin/quillon-setup", m_file);
    }
    ~ProgramCopy() { boost::filesystem::remove_all(m_dir); }
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    const boost::filesystem::path& File() const { return m_file; }

    // Puts `data` into the copy as resource (type, id) with `vnres replace`.
    void Replace(std::uint32_t type, std::uint32_t id, std::span<const std::byte> data) {
        const auto input = m_dir / "resource";
        std::ofstream(input.string(), std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        const std::string command = std::string(QUILLON_BINARY_DIR "/bin/vnres replace ") + m_file.string() + " " +
                                    std::to_string(type) + " " + std::to_string(id) + " " + input.string();
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

private:
    boost::filesystem::path m_dir;
    boost::filesystem::path m_file;
};

#include "platform/version/file_version_info.hpp"

#include "platform/version/version_block.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <fstream>

namespace fs = boost::filesystem;
namespace ver = platform::version;

namespace {

std::string own_string(std::string_view key) {
    const auto value =
        ver::query_version_value(ver::own_version_info(), "\\StringFileInfo\\040904b0\\" + std::string(key));
    return value ? ver::version_value_text(*value) : "<none>";
}

}  // namespace

TEST(FileVersionInfo, TheProgramCarriesTheInstallersVersionResource) {
    const auto block = ver::own_version_info();
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(own_string("ApplicationId"), std::string("Quillon7\0", 9));
    EXPECT_EQ(own_string("ProductName"), std::string("Quillon\0", 8));
    EXPECT_EQ(own_string("ProductVersion"), std::string("7.02b\0", 6));
    EXPECT_EQ(own_string("CompanyName"), std::string("Vintrel\0", 8));
    const auto translations = ver::read_translations(*ver::query_version_value(block, "\\VarFileInfo\\Translation"));
    EXPECT_EQ(translations, (std::vector<ver::translation>{{0x0409, 1200}}));
    EXPECT_TRUE(ver::read_fixed_file_info(*ver::query_version_value(block, "\\")));
}

TEST(FileVersionInfo, ReadsAnotherProgramFilesBlock) {
    const auto own = ver::own_version_info();
    const std::uint32_t size = ver::file_version_info_size("/proc/self/exe");
    ASSERT_EQ(size, own.size());

    std::vector<std::byte> buffer(size);
    ASSERT_TRUE(ver::file_version_info("/proc/self/exe", buffer));
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), own.begin()));

    // A smaller buffer receives the start of the block.
    std::vector<std::byte> part(10, std::byte{0xAA});
    ASSERT_TRUE(ver::file_version_info("/proc/self/exe", part));
    EXPECT_TRUE(std::equal(part.begin(), part.end(), own.begin()));
}

TEST(FileVersionInfo, FilesWithoutAVersionBlockHaveNone) {
    const fs::path dir = fs::temp_directory_path() / fs::unique_path("version-%%%%-%%%%");
    fs::create_directories(dir);
    std::ofstream((dir / "text").string()) << "not a program";
    const fs::path files[] = {dir / "missing", dir / "text", dir, "/bin/true"};
    for (const auto& file : files) {
        EXPECT_EQ(ver::file_version_info_size(file), 0u) << file;
        std::vector<std::byte> buffer(4, std::byte{0x5A});
        EXPECT_FALSE(ver::file_version_info(file, buffer)) << file;
        EXPECT_EQ(buffer[0], std::byte{0x5A});
    }
    fs::remove_all(dir);
}

#include "platform/kernel/dynamic_library.hpp"

#include "support/scoped_env.hpp"
#include "support/security_fixtures.hpp"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/acl.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <boost/filesystem.hpp>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <span>
#include <string_view>
#include <vector>

namespace fs = boost::filesystem;
using platform::kernel::dynamic_library;

namespace {

// A real shared library of the system to load under other names: the one that holds acl_get_file.
fs::path system_library() {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&acl_get_file), &info);
    return info.dli_fname ? fs::canonical(info.dli_fname) : fs::path();
}

class DynamicLibrary : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(system_library().empty());
        fs::create_directories(m_folder.path() / "Sub");
        fs::copy_file(system_library(), m_folder.path() / "Sub" / "DSetup.dll");
        std::ofstream(m_folder.path() / "Sub" / "notalib.dll") << "plain text, not a library";
        dynamic_library::set_search_folder(m_folder.path() / "Sub");
    }
    void TearDown() override { dynamic_library::set_search_folder({}); }

    test_support::temp_folder m_folder;
};

TEST_F(DynamicLibrary, FindsFilesWhateverTheCaseOfTheirName) {
    const fs::path sub = m_folder.path() / "Sub";
    for (const fs::path& name : {fs::path("DSETUP.dll"), fs::path("dsetup.DLL"), m_folder.path() / "sub" / "dsetup.dll",
                                 m_folder.path() / "SUB" / "DSetup.dll"}) {
        std::error_code error;
        const dynamic_library library = dynamic_library::load(name, platform::kernel::search_default_dirs, error);
        ASSERT_TRUE(library) << name << ": " << error.message();
        EXPECT_EQ(library.file(), sub / "DSetup.dll");
        EXPECT_NE(library.entry_point("acl_get_file", error), nullptr);
    }
}

TEST_F(DynamicLibrary, PrefersTheExactNameThenTheFirstInByteOrder) {
    const fs::path sub = m_folder.path() / "Sub";
    std::ofstream(sub / "dsetup.dll") << "x";
    EXPECT_EQ(platform::kernel::find_file_ignoring_case(sub, "dsetup.dll"), sub / "dsetup.dll");
    EXPECT_EQ(platform::kernel::find_file_ignoring_case(sub, "DSETUP.DLL"), sub / "DSetup.dll");
    EXPECT_EQ(platform::kernel::find_file_ignoring_case(sub, "other.dll"), fs::path());
}

TEST_F(DynamicLibrary, ReportsWindowsErrorCodes) {
    const struct {
        fs::path name;
        std::uint32_t flags;
        int code;
    } cases[] = {
        {"missing.dll", platform::kernel::search_default_dirs, platform::kernel::error_mod_not_found},
        {m_folder.path() / "nowhere" / "DSetup.dll", 0, platform::kernel::error_mod_not_found},
        {"Sub", 0, platform::kernel::error_mod_not_found},  // a folder is no library
        {"notalib.dll", 0, platform::kernel::error_bad_exe_format},
        {"DSetup.dll", 0x8, platform::kernel::error_invalid_parameter},
    };
    for (const auto& c : cases) {
        std::error_code error;
        EXPECT_FALSE(dynamic_library::load(c.name, c.flags, error)) << c.name;
        EXPECT_EQ(error, std::error_code(c.code, platform::kernel::dynamic_library_category())) << c.name;
    }
}

TEST_F(DynamicLibrary, LooksUpOnlyTheLibrarysOwnExports) {
    std::error_code error;
    const dynamic_library library = dynamic_library::load("dsetup.dll", 0, error);
    ASSERT_TRUE(library);
    // malloc is reachable through the library's dependencies, but it is not one of its exports.
    for (const char* name : {"malloc", "NoSuchFunction"}) {
        EXPECT_EQ(library.entry_point(name, error), nullptr) << name;
        EXPECT_EQ(error.value(), platform::kernel::error_proc_not_found);
    }
    EXPECT_EQ(dynamic_library().entry_point("acl_get_file", error), nullptr);
    EXPECT_EQ(error.value(), platform::kernel::error_invalid_handle);
}

TEST_F(DynamicLibrary, FindsALoadedLibraryByNameOrPathAndKeepsItLoaded) {
    std::error_code error;
    EXPECT_FALSE(dynamic_library::find_loaded("DSetup.dll", error));
    EXPECT_EQ(error.value(), platform::kernel::error_mod_not_found);

    dynamic_library loaded = dynamic_library::load("DSetup.dll", 0, error);
    ASSERT_TRUE(loaded);
    void* address = loaded.entry_point("acl_get_file", error);
    const dynamic_library by_name = dynamic_library::find_loaded("DSETUP.DLL", error);
    const dynamic_library by_path = dynamic_library::find_loaded(m_folder.path() / "SUB" / "dsetup.dll", error);
    ASSERT_TRUE(by_name);
    ASSERT_TRUE(by_path);
    EXPECT_EQ(by_name.entry_point("acl_get_file", error), address);

    loaded = dynamic_library();  // the other handles hold their own references
    EXPECT_EQ(by_path.entry_point("acl_get_file", error), address);
}

TEST(DynamicLibrarySearch, DefaultDirectoriesAreTheProgramFolderThenTheSystemFolder) {
    test_support::temp_folder root;
    test_support::scoped_env system_root("SETUP_SYSTEM_ROOT", root.path().c_str());
    const auto folders = dynamic_library::search_folders(0);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0], fs::read_symlink("/proc/self/exe").parent_path());
    EXPECT_EQ(folders[1], root.path() / "usr/lib");
    EXPECT_EQ(dynamic_library::search_folders(platform::kernel::search_system32).size(), 1u);
}

}  // namespace

namespace {

std::vector<std::byte> file_bytes(const fs::path& file) {
    std::ifstream in(file.string(), std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    std::transform(chars.begin(), chars.end(), bytes.begin(), [](char c) { return std::byte(c); });
    return bytes;
}

std::span<const std::byte> text_bytes(std::string_view text) {
    return {reinterpret_cast<const std::byte*>(text.data()), text.size()};
}

TEST(DynamicLibraryFromMemory, IsFoundByItsNameAndCannotBeChanged) {
    const auto image = file_bytes(system_library());
    std::error_code error;
    const dynamic_library loaded = dynamic_library::load_from_memory("InMemory.dll", image, error);
    ASSERT_TRUE(loaded) << error.message();
    void* const address = loaded.entry_point("acl_get_file", error);
    ASSERT_NE(address, nullptr);

    const dynamic_library by_name = dynamic_library::find_loaded("INMEMORY.DLL", error);
    ASSERT_TRUE(by_name) << error.message();
    EXPECT_EQ(by_name.entry_point("acl_get_file", error), address);
    // The same name serves the same library again, whatever bytes come with it.
    const dynamic_library again = dynamic_library::load_from_memory("inmemory.dll", text_bytes("other"), error);
    ASSERT_TRUE(again) << error.message();
    EXPECT_EQ(again.entry_point("acl_get_file", error), address);

    const int fd = open(loaded.file().c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(fcntl(fd, F_GET_SEALS), F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL);
    EXPECT_EQ(pwrite(fd, "x", 1, 0), -1);
    EXPECT_NE(ftruncate(fd, 0), 0);
    close(fd);
}

TEST(DynamicLibraryFromMemory, RefusesWhatItCannotLoadAndForgetsIt) {
    struct refusal {
        std::string name;
        std::string image;
        int code;
    };
    const std::vector<refusal> cases = {
        {"Broken.dll", "plain text, not a library", platform::kernel::error_bad_exe_format},
        {"Empty.dll", "", platform::kernel::error_bad_exe_format},
        {"", "x", platform::kernel::error_invalid_parameter},
        {"sub/Named.dll", "x", platform::kernel::error_invalid_parameter},
    };
    for (const refusal& c : cases) {
        std::error_code error;
        EXPECT_FALSE(dynamic_library::load_from_memory(c.name, text_bytes(c.image), error)) << c.name;
        EXPECT_EQ(error, std::error_code(c.code, platform::kernel::dynamic_library_category())) << c.name;
        if (!c.name.empty()) {
            EXPECT_FALSE(dynamic_library::find_loaded(c.name, error)) << c.name;
        }
    }
}

}  // namespace

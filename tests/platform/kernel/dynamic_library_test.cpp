#include "platform/kernel/dynamic_library.hpp"

#include "support/scoped_env.hpp"
#include "support/security_fixtures.hpp"

#include <dlfcn.h>
#include <sys/acl.h>

#include <gtest/gtest.h>
#include <boost/filesystem.hpp>

#include <fstream>

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

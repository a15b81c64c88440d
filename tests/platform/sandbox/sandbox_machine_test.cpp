#include "support/sandbox_machine.hpp"

#include "support/machine_snapshot.hpp"

#include "platform/registry/key.hpp"
#include "platform/system/system_paths.hpp"
#include "support/file_content.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cstdlib>
#include <functional>

namespace fs = boost::filesystem;
namespace reg = platform::registry;

using test_support::sandbox_machine;
using test_support::write_file;

namespace {

void set_acl(const fs::path& path, acl_type_t type, const char* text) {
    acl_t acl = acl_from_text(text);
    ASSERT_NE(acl, nullptr);
    ASSERT_EQ(acl_set_file(path.c_str(), type, acl), 0) << path;
    acl_free(acl);
}

TEST(SandboxMachine, PointsTheEnvironmentInsideAndPutsEverythingBack) {
    const std::string home_before = std::getenv("HOME") ? std::getenv("HOME") : "";
    const fs::path real_temp = platform::system::temp_folder();
    fs::path folder;
    {
        sandbox_machine machine;
        folder = machine.folder();
        EXPECT_EQ(folder.parent_path(), real_temp.parent_path());
        EXPECT_EQ(platform::system::system_root(), machine.root());
        EXPECT_EQ(platform::system::home_folder(), machine.home());
        EXPECT_EQ(platform::system::temp_folder().string(), machine.temp().string() + "/");
        EXPECT_EQ(platform::system::xdg_data_home(), machine.home() / ".local/share");
        EXPECT_EQ(platform::system::xdg_config_home(), machine.home() / ".config");
        EXPECT_TRUE(fs::is_directory(machine.root() / "opt"));
        EXPECT_TRUE(fs::is_directory(machine.home() / "Desktop"));
        EXPECT_TRUE(reg::Key::root(reg::hive::local_machine).subkeys()->empty());
        EXPECT_TRUE(reg::Key::root(reg::hive::current_user).subkeys()->empty());

        // Whatever a test leaves behind, read-only folders included, goes with the sandbox.
        ASSERT_FALSE(reg::Key::create(reg::hive::local_machine, "Software\\Left")->key.set_dword("x", 1));
        fs::create_directories(machine.root() / "opt/locked/inner");
        write_file(machine.root() / "opt/locked/inner/file", "x");
        ::chmod((machine.root() / "opt/locked/inner").c_str(), 0500);
        ::chmod((machine.root() / "opt/locked").c_str(), 0500);
    }
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(std::getenv("HOME") ? std::getenv("HOME") : "", home_before);
    EXPECT_EQ(platform::system::temp_folder(), real_temp);

    // The next machine is fresh again.
    sandbox_machine next;
    EXPECT_EQ(reg::Key::open(reg::hive::local_machine, "Software\\Left").error(), reg::errc::file_not_found);
}

TEST(MachineSnapshot, SeesEveryKindOfChangeAndOnlyChanges) {
    using change = std::function<void(const sandbox_machine&)>;
    const struct {
        const char* what;
        change prepare;  // the state before
        change modify;
        const char* reported;
    } cases[] = {
        {"file content of the same size", [](auto& m) { write_file(m.root() / "opt/f", "abc"); },
         [](auto& m) { write_file(m.root() / "opt/f", "abd"); }, "~ root/opt/f: content hash"},
        {"file added", [](auto&) {}, [](auto& m) { write_file(m.home() / "Desktop/x.desktop", ""); },
         "+ home/Desktop/x.desktop: "},
        {"folder removed", [](auto&) {}, [](auto& m) { fs::remove(m.home() / "Documents"); }, "- home/Documents: "},
        {"read-only attribute",
         [](auto& m) {
             write_file(m.root() / "opt/f", "x");
             ::chmod((m.root() / "opt/f").c_str(), 0644);
         },
         [](auto& m) { ::chmod((m.root() / "opt/f").c_str(), 0444); }, "mode 0644 -> 0444"},
        {"extended attribute", [](auto& m) { write_file(m.root() / "opt/f", "x"); },
         [](auto& m) { ::setxattr((m.root() / "opt/f").c_str(), "user.attributes", "\x01\0", 2, 0); },
         "xattr user.attributes (none) -> \"\\x01\\x00\""},
        {"access ACL", [](auto& m) { write_file(m.root() / "opt/f", "x"); },
         [](auto& m) { set_acl(m.root() / "opt/f", ACL_TYPE_ACCESS, "u::rw-,g::r--,g:100:rw-,m::rw-,o::r--"); },
         "~ root/opt/f: acl (none) -> "},
        {"default ACL", [](auto&) {},
         [](auto& m) { set_acl(m.root() / "var/opt", ACL_TYPE_DEFAULT, "u::rwx,g::r-x,g:100:rwx,m::rwx,o::r-x"); },
         "~ root/var/opt: default acl (none) -> "},
        {"link target", [](auto& m) { fs::create_symlink("a", m.root() / "opt/l"); },
         [](auto& m) {
             fs::remove(m.root() / "opt/l");
             fs::create_symlink("b", m.root() / "opt/l");
         },
         "~ root/opt/l: target a -> b"},
        {"registry value",
         [](auto&) { ASSERT_FALSE(reg::Key::create(reg::hive::local_machine, "Software\\V")->key.set_dword("n", 1)); },
         [](auto&) { ASSERT_FALSE(reg::Key::open(reg::hive::local_machine, "Software\\V")->set_dword("n", 2)); },
         "~ [HKEY_LOCAL_MACHINE\\Software\\V] \"n\" = REG_DWORD 0x00000001 (1) -> REG_DWORD 0x00000002 (2)"},
        {"registry key", [](auto&) {},
         [](auto&) { ASSERT_TRUE(reg::Key::create(reg::hive::current_user, "Software")); },
         "+ [HKEY_CURRENT_USER\\Software]"},
        {"registry value type",
         [](auto&) { ASSERT_FALSE(reg::Key::root(reg::hive::current_user).set_string("", "1")); },
         [](auto&) {
             ASSERT_FALSE(reg::Key::root(reg::hive::current_user)
                              .set_value("", reg::binary_value(reg::utf16le_bytes("1", true))));
         },
         "~ [HKEY_CURRENT_USER] (default) = REG_SZ"},
    };
    for (const auto& c : cases) {
        sandbox_machine machine;
        c.prepare(machine);
        const auto before = machine.snapshot();
        EXPECT_TRUE(test_support::same_machine(before, machine.snapshot())) << c.what;
        c.modify(machine);
        const auto after = machine.snapshot();
        EXPECT_NE(before, after) << c.what;
        EXPECT_NE(test_support::difference(before, after).find(c.reported), std::string::npos)
            << c.what << ":\n"
            << test_support::difference(before, after);
    }
}

TEST(MachineSnapshot, TheRegistryIsComparedByWhatItHoldsNotByItsFiles) {
    sandbox_machine machine;
    const auto before = machine.snapshot();
    const reg::Key key = reg::Key::create(reg::hive::local_machine, "Software\\Temporary")->key;
    ASSERT_FALSE(key.set_dword("x", 1));
    ASSERT_FALSE(reg::Key::create(reg::hive::current_user, "Software")->key.set_dword("y", 1));
    ASSERT_FALSE(reg::Key::root(reg::hive::local_machine).delete_tree("Software"));
    ASSERT_FALSE(reg::Key::root(reg::hive::current_user).delete_tree("Software"));
    EXPECT_TRUE(test_support::same_machine(before, machine.snapshot()));
}

}  // namespace

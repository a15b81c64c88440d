#include "platform/registry/key.hpp"

#include "support/sandbox_machine.hpp"
#include "support/scoped_privileges.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

#include <sys/stat.h>

#include <fstream>

namespace fs = boost::filesystem;
namespace reg = platform::registry;

using reg::errc;
using test_support::scoped_privileges;

namespace {

const char* const backup = "SeBackupPrivilege";
const char* const restore = "SeRestorePrivilege";

class RegistrySaveRestore : public test_support::sandbox_test {
protected:
    void SetUp() override {
        uninstall =
            reg::Key::create(reg::hive::local_machine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")->key;
        product = uninstall.create("Quillon 7")->key;
        ASSERT_FALSE(product.set_string("DisplayName", "Quillon 7.02b"));
        ASSERT_FALSE(product.set_string("UninstallString", "/opt/Vintrel/Quillon 7/uninstall"));
        ASSERT_FALSE(product.set_dword("VnLanguage", 2));
        ASSERT_FALSE(product.set_value("Blob", reg::binary_value(std::vector<std::uint8_t>{0, 1, 0})));
        ASSERT_FALSE(product.set_string("", "default"));
        ASSERT_FALSE(product.create("Sub\\Deeper")->key.set_dword("deep", 3));
        ASSERT_FALSE(product.create("Empty").error());
        ASSERT_FALSE(uninstall.create("Neighbour")->key.set_dword("n", 1));
    }

    reg::key_tree tree_of(const reg::Key& key) const {
        auto tree = key.read_tree();
        EXPECT_TRUE(tree) << tree.error().message();
        return tree ? *tree : reg::key_tree{};
    }

    fs::path file(const char* name) const { return machine.temp() / name; }

    reg::Key uninstall;
    reg::Key product;
};

TEST_F(RegistrySaveRestore, RestorePutsBackExactlyWhatWasSaved) {
    scoped_privileges privileges({backup, restore});
    const reg::key_tree saved = tree_of(product);
    ASSERT_FALSE(product.save(file("vn1.tmp")));
    struct stat status {};
    ASSERT_EQ(::stat(file("vn1.tmp").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    // A reinstallation changes and adds values and keys, and removes one.
    ASSERT_FALSE(product.set_string("DisplayName", "something else"));
    ASSERT_FALSE(product.set_dword("NoModify", 1));
    ASSERT_FALSE(product.create("Sub\\New")->key.set_dword("x", 1));
    ASSERT_FALSE(product.delete_tree("Empty"));
    ASSERT_FALSE(product.delete_value(""));

    ASSERT_FALSE(product.restore(file("vn1.tmp")));
    EXPECT_EQ(tree_of(product), saved);
    // The handle still names the key, and the neighbours are untouched.
    EXPECT_EQ(*product.query_dword("VnLanguage"), 2u);
    EXPECT_EQ(*uninstall.subkeys(), (std::vector<std::string>{"Neighbour", "Quillon 7"}));
    EXPECT_EQ(*uninstall.open("Neighbour")->query_dword("n"), 1u);

    // A saved key restored elsewhere keeps the name of the key it is restored into.
    const reg::Key copy = uninstall.create("Copy")->key;
    ASSERT_FALSE(copy.restore(file("vn1.tmp")));
    EXPECT_EQ(tree_of(copy), saved);
    EXPECT_TRUE(uninstall.open("Copy\\Sub\\Deeper"));
}

TEST_F(RegistrySaveRestore, EachNeedsItsOwnPrivilege) {
    {
        scoped_privileges privileges({backup});
        ASSERT_FALSE(product.save(file("good")));
    }
    const struct {
        std::set<std::string, std::less<>> enabled;
        bool saving;
        bool allowed;
    } cases[] = {
        {{}, true, false},  {{restore}, true, false}, {{backup}, true, true},
        {{}, false, false}, {{backup}, false, false}, {{restore}, false, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string label = "case " + std::to_string(n);
        const fs::path target = machine.temp() / ("save" + std::to_string(n++));
        const std::error_code expected = c.allowed ? std::error_code() : errc::privilege_not_held;
        ASSERT_FALSE(product.set_dword("changed", 1));
        scoped_privileges privileges(c.enabled);
        if (c.saving) {
            EXPECT_EQ(product.save(target), expected) << label;
            EXPECT_EQ(fs::exists(target), c.allowed) << label;
        } else {
            EXPECT_EQ(product.restore(file("good")), expected) << label;
            EXPECT_EQ(product.query("changed").error() == errc::file_not_found, c.allowed) << label;
        }
    }
}

// Without a test deciding, the process token is asked through the security library; whether or not
// that library is there, a privilege it does not know is never enabled.
TEST(RegistryPrivilege, AnUnknownPrivilegeIsNeverEnabled) {
    EXPECT_FALSE(reg::privilege_enabled("SeNoSuchPrivilege"));
    scoped_privileges privileges({"SeNoSuchPrivilege"});
    EXPECT_TRUE(reg::privilege_enabled("SeNoSuchPrivilege"));
}

TEST_F(RegistrySaveRestore, SaveNeverReplacesAFileOrFollowsALink) {
    scoped_privileges privileges({backup});
    std::ofstream(file("existing").string()) << "keep";
    fs::create_symlink(file("target"), file("link"));

    EXPECT_EQ(product.save(file("existing")), errc::already_exists);
    EXPECT_EQ(product.save(file("link")), errc::already_exists);
    EXPECT_EQ(product.save(machine.temp() / "missing" / "file"), errc::file_not_found);
    EXPECT_FALSE(fs::exists(file("target")));
    std::string kept;
    std::ifstream(file("existing").string()) >> kept;
    EXPECT_EQ(kept, "keep");
}

TEST_F(RegistrySaveRestore, ARestoreFromAnythingButASavedKeyChangesNothing) {
    scoped_privileges privileges({backup, restore});
    ASSERT_FALSE(product.save(file("saved")));
    std::ifstream in(file("saved").string(), std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(file("truncated").string(), std::ios::binary) << saved.substr(0, saved.size() - 5);
    std::ofstream(file("text").string()) << "Windows Registry Editor Version 5.00\n";
    std::ofstream(file("empty").string());
    fs::create_directory(file("folder"));

    ASSERT_FALSE(product.set_dword("marker", 1));
    const reg::key_tree before = tree_of(product);
    const struct {
        const char* name;
        errc expected;
    } cases[] = {{"truncated", errc::registry_corrupt},
                 {"text", errc::registry_corrupt},
                 {"empty", errc::registry_corrupt},
                 {"folder", errc::registry_corrupt},
                 {"missing", errc::file_not_found}};
    for (const auto& c : cases) {
        EXPECT_EQ(product.restore(file(c.name)), c.expected) << c.name;
    }
    EXPECT_EQ(tree_of(product), before);
}

TEST_F(RegistrySaveRestore, AKeyDeletedMeanwhileCannotBeSavedOrRestored) {
    scoped_privileges privileges({backup, restore});
    ASSERT_FALSE(product.save(file("saved")));
    ASSERT_FALSE(uninstall.delete_tree("Quillon 7"));
    EXPECT_EQ(product.save(file("again")), errc::key_deleted);
    EXPECT_FALSE(fs::exists(file("again")));
    EXPECT_EQ(product.restore(file("saved")), errc::key_deleted);
    EXPECT_EQ(uninstall.open("Quillon 7").error(), errc::file_not_found);
}

}  // namespace

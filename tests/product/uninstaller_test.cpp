#include "product_programs.hpp"

#include "platform/kernel/file_attributes.hpp"
#include "platform/process/process_handle.hpp"
#include "platform/registry/key.hpp"
#include "platform/sync/named_mutex.hpp"
#include "platform/sync/named_semaphore.hpp"
#include "platform/sync/object_namespace.hpp"
#include "support/file_content.hpp"
#include "support/installer_process.hpp"
#include "support/machine_snapshot.hpp"
#include "support/planted_traps.hpp"
#include "support/sandbox_machine.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

namespace {

namespace fs = boost::filesystem;
namespace reg = platform::registry;
using Kind = UninstallLogEntry::Kind;

constexpr const char* uninstall_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

using test_support::read_file;

void write_file(const fs::path& file, const std::string& text = "data") {
    ASSERT_TRUE(test_support::write_file(file, text)) << file;
}

void set_string(const std::string& key_path, const std::string& name, const std::string& text) {
    auto key = reg::Key::create(reg::hive::local_machine, key_path);
    ASSERT_TRUE(key);
    ASSERT_FALSE(key->key.set_string(name, text));
}

bool key_exists(const std::string& path) {
    return static_cast<bool>(reg::Key::open(reg::hive::local_machine, path));
}

// The desktop tools rebuild their caches after every change of associations, and the named objects'
// files belong to the object manager: neither is the product's.
test_support::machine_snapshot without_desktop_caches(test_support::machine_snapshot snapshot) {
    std::erase_if(snapshot.files, [](const auto& file) {
        return file.first.rfind("root/run/lock", 0) == 0 ||
               file.first.find("usr/local/share/mime") != std::string::npos ||
               file.first.find("mimeinfo.cache") != std::string::npos;
    });
    return snapshot;
}

// An installation as the installer leaves it, made by hand: what the log lists, and the log.
class Uninstaller : public test_support::sandbox_test {
protected:
    // The uninstaller runs as a script runs it, without a window.
    test_support::without_display m_noDisplay;
    void SetUp() override {
        // What the machine held before: other programs' files and keys, which must stay.
        write_file(machine.root() / "opt" / "other.txt");
        fs::create_directories(share / "applications");
        fs::create_directories(share / "mime" / "packages");
        set_string("Software\\Classes\\.txt", "", "txtfile");
        set_string(std::string(uninstall_key) + "\\Other Program", "DisplayName", "Other Program");
        set_string("Software\\Vintrel", "Quillon 6 Path", "/opt/Vintrel/Quillon 6/quillon");
        before = without_desktop_caches(machine.snapshot());

        for (const fs::path& folder :
             {vintrel, install, install / "Lang", data.parent_path(), data, menu.parent_path(), menu}) {
            fs::create_directory(folder);
            record(Kind::Folder, folder);
        }
        fs::copy_file(product_test::built("quillon"), program);
        fs::copy_file(product_test::built("uninstall"), uninstaller);
        write_file(install / "Lang" / "Quillon.de.lang");
        write_file(data / "Brushes.qbr");
        write_file(menu / "Quillon 7.02b.desktop");
        write_file(menu / "Uninstall Quillon.desktop");
        record(Kind::File, program, 1);
        record(Kind::File, uninstaller, 2);
        record(Kind::File, install / "Lang" / "Quillon.de.lang", 0);
        record(Kind::File, data / "Brushes.qbr", 3);
        record(Kind::StartMenuShortcut, menu / "Quillon 7.02b.desktop");
        record(Kind::UninstallShortcut, menu / "Uninstall Quillon.desktop");
        for (const fs::path& file : {program, uninstaller}) {
            platform::kernel::set_file_attributes(file, platform::kernel::file_attribute_readonly);
        }

        set_string(std::string(uninstall_key) + "\\Quillon 7", "UninstallString", uninstaller.string());
        record(Kind::UninstallKey, "");
        set_string("Software\\Vintrel", "Quillon 7 Path", program.string());
        platform::process::start_options options;
        options.command_line = "\"" + program.string() + "\" /Register /Background";
        auto registration = platform::process::process_handle::start(options);
        registration.wait();
        ASSERT_EQ(registration.exit_code(), -10);
        record(Kind::RegistrationRun, "");
        record(Kind::DirectXRuntime, "DirectX update...");
    }

    void record(Kind kind, const fs::path& path, std::int32_t value = -1) {
        log.entries.push_back({kind, path.string(), "", true, value, false, {}});
    }

    void write_log() {
        ASSERT_TRUE(log.Save(install / "Uninstall.ulog", install.string(), menu.string()));
        log.Commit();
    }

    std::optional<std::int32_t> run_uninstaller(const fs::path& working_folder = {}) {
        platform::process::start_options options;
        options.command_line = "\"" + uninstaller.string() + "\"";
        options.working_folder = working_folder;
        auto process = platform::process::process_handle::start(options);
        if (!process) {
            return std::nullopt;
        }
        process.wait();
        return process.exit_code();
    }

    fs::path share = machine.root() / "usr" / "local" / "share";
    fs::path vintrel = machine.root() / "opt" / "Vintrel";
    fs::path install = vintrel / "Quillon 7";
    fs::path program = install / "quillon";
    fs::path uninstaller = install / "uninstall";
    fs::path data = machine.root() / "var" / "opt" / "Vintrel" / "Quillon 7";
    fs::path menu = share / "applications" / "Vintrel" / "Quillon 7";
    UninstallLog log;
    test_support::machine_snapshot before;
};

TEST_F(Uninstaller, RemovesExactlyWhatTheLogLists) {
    write_log();
    EXPECT_EQ(run_uninstaller(), 0);
    EXPECT_TRUE(test_support::same_machine(before, without_desktop_caches(machine.snapshot())));
}

TEST_F(Uninstaller, KeepsFoldersThatHoldOtherFiles) {
    write_file(install / "My drawing.qln");
    write_log();
    EXPECT_EQ(run_uninstaller(), 0);
    EXPECT_TRUE(fs::is_regular_file(install / "My drawing.qln"));
    EXPECT_FALSE(fs::exists(program));
    EXPECT_FALSE(fs::exists(uninstaller));
    EXPECT_FALSE(fs::exists(install / "Uninstall.ulog"));
    EXPECT_FALSE(fs::exists(install / "Lang"));
    EXPECT_FALSE(fs::exists(menu));
    EXPECT_FALSE(key_exists(std::string(uninstall_key) + "\\Quillon 7"));
    EXPECT_FALSE(key_exists("Software\\Classes\\Vintrel.Quillon7"));
}

// Another program took the extension over meanwhile: it keeps it.
TEST_F(Uninstaller, LeavesAnExtensionAnotherProgramOwns) {
    set_string("Software\\Classes\\.qln", "", "Other.Document");
    write_log();
    EXPECT_EQ(run_uninstaller(), 0);
    EXPECT_TRUE(key_exists("Software\\Classes\\.qln"));
    EXPECT_FALSE(key_exists("Software\\Classes\\Vintrel.Quillon7"));
}

TEST_F(Uninstaller, ReportsWhatItCouldNotRemoveAndRemovesTheRest) {
    const fs::path not_a_file = install / "Lang" / "Quillon.fr.lang";
    fs::create_directories(not_a_file);
    record(Kind::File, not_a_file, 0);
    write_log();
    EXPECT_EQ(run_uninstaller(), 1);
    EXPECT_TRUE(fs::is_directory(not_a_file));
    EXPECT_FALSE(fs::exists(install / "Lang" / "Quillon.de.lang"));
    EXPECT_FALSE(fs::exists(data));
}

// A damaged log's relative or empty paths are not taken from the folder the uninstaller was started
// in: the user's own files there stay, and the rest of the installation goes.
TEST_F(Uninstaller, RemovesNothingThroughARelativePath) {
    const fs::path home = machine.home();
    write_file(home / "Lang" / "rel.txt", "the user's own");
    record(Kind::Folder, "Lang");
    record(Kind::File, "Lang/rel.txt", 0);
    record(Kind::Folder, "");
    record(Kind::DesktopShortcut, "rel.desktop");
    write_file(home / "rel.desktop");
    write_log();
    EXPECT_EQ(run_uninstaller(home), 1);
    EXPECT_EQ(read_file(home / "Lang" / "rel.txt"), "the user's own");
    EXPECT_TRUE(fs::exists(home / "rel.desktop"));
    EXPECT_FALSE(fs::exists(install));
    EXPECT_FALSE(fs::exists(data));
}

TEST_F(Uninstaller, RefusesWhileTheProductRuns) {
    write_log();
    using namespace platform::sync;
    auto counter = named_semaphore::create("Global\\Quillon7.{a3526b56-ca7c-4e16-8a26-da7758a378fd}", 0, 0x7FFFFFFF,
                                           object_security::everyone(semaphore_all_access));
    ASSERT_TRUE(counter.release(1));
    EXPECT_EQ(run_uninstaller(), 3);
    EXPECT_TRUE(fs::exists(install / "Uninstall.ulog"));
    EXPECT_TRUE(fs::exists(program));
}

// A local user plants something at the counter's name before the product starts: the product still
// counts itself, and the uninstaller still sees it.
TEST_F(Uninstaller, SeesTheRunningProductWhateverWasPlantedAtTheCounter) {
    std::string why;
    const auto account = test_support::EnsureSecondAccount(why);
    ASSERT_TRUE(account) << why;
    write_log();
    test_support::OpenLikeTheSystem(machine.folder(), machine.root());
    const fs::path decoy = machine.root() / "precious";
    write_file(decoy, "root's");
    const std::string name = "Global\\Quillon7.{a3526b56-ca7c-4e16-8a26-da7758a378fd}";
    using namespace platform::sync;
    for (const auto& trap : test_support::PlantedTraps()) {
        SCOPED_TRACE(trap.what);
        {
            named_mutex other;  // keeps root's folder there while the account plants in it
            if (trap.inRootsFolder) {
                other = named_mutex::create("Global\\other", false, object_security::everyone(mutex_all_access));
                ASSERT_TRUE(other);
            }
            ASSERT_EQ(test_support::Plant(*account, trap, objects_folder(), object_file_name(name), decoy, vintrel), 0);
            auto counter =
                named_semaphore::create(name, 0, 0x7FFFFFFF, object_security::everyone(semaphore_all_access));
            ASSERT_TRUE(counter.release(1));
            EXPECT_EQ(run_uninstaller(), 3);
        }
        fs::remove_all(objects_folder());  // what a trap left aside, for the next one
    }
    EXPECT_TRUE(fs::exists(program));
    EXPECT_EQ(read_file(decoy), "root's");
}

TEST_F(Uninstaller, RemovesNothingWithoutAUsableLog) {
    EXPECT_EQ(run_uninstaller(), 2) << "no log";
    write_file(install / "Uninstall.ulog", "// Uninstall Log File v2\r\n0000:00ff:1 -- " + program.string() + "\r\n");
    EXPECT_EQ(run_uninstaller(), 2) << "a log of another version";
    EXPECT_TRUE(fs::exists(program));
}

}  // namespace

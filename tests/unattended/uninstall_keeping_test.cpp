// The installed uninstaller against a sandbox the real installer filled: it removes what the
// installation wrote and still holds as written, keeps what the user changed or had before, and
// without a usable installation record removes no more than the log lists.
#include "platform/registry/key.hpp"
#include "support/installer_process.hpp"
#include "support/machine_snapshot.hpp"
#include "support/sandbox_machine.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = boost::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file.string(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& file, const std::string& text, std::ios::openmode mode = std::ios::trunc) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file.string(), std::ios::binary | std::ios::out | mode);
    out << text;
}

// Keys without values or subkeys: what an uninstallation should not leave behind.
std::vector<std::string> EmptyKeys(const test_support::registry_state& registry) {
    std::vector<std::string> empty;
    for (const auto& [key, values] : registry) {
        if (!values.empty() || key.find('\\') == std::string::npos) {
            continue;
        }
        const auto next = registry.upper_bound(key);
        if (next == registry.end() || next->first.rfind(key + "\\", 0) != 0) {
            empty.push_back(key);
        }
    }
    return empty;
}

struct Paths {
    fs::path install, sample, shared;
};

enum class Record { intact, damaged, missing };

struct KeepingCase {
    const char* name;
    std::function<void(const Paths&)> before;  // on the machine before the installation
    std::function<void(const Paths&)> after;   // what the user does once it is installed
    Record record;
    bool reinstall;    // a second installation over the first before the uninstallation
    const char* kept;  // a line the uninstaller prints, or nothing
    std::function<void(const Paths&)> expect;
};

void PrintTo(const KeepingCase& c, std::ostream* out) {
    *out << c.name;
}

void Nothing(const Paths&) {}

// The desktop's caches are rebuilt by its own tools after every change of associations; they are not
// the product's.
test_support::machine_snapshot WithoutDesktopCaches(test_support::machine_snapshot snapshot) {
    std::erase_if(snapshot.files, [](const auto& file) {
        return file.first.rfind("root/run/", 0) == 0 || file.first.find("usr/local/share/mime") != std::string::npos ||
               file.first.find("mimeinfo.cache") != std::string::npos;
    });
    return snapshot;
}

void Edit(const Paths& p) {
    // Same size, same time: only the content tells.
    const auto time = fs::last_write_time(p.sample);
    std::string text = ReadAll(p.sample);
    text[text.size() / 2] ^= 1;
    WriteAll(p.sample, text);
    fs::last_write_time(p.sample, time);
}

class UninstallKeeping : public test_support::sandbox_test, public testing::WithParamInterface<KeepingCase> {
protected:
    test_support::without_display m_noDisplay;

    test_support::installer_result Run(const fs::path& program, const std::string& arguments = {}) const {
        return test_support::run_installer(program, arguments, machine.folder());
    }
    Paths Where() const {
        Paths p;
        p.install = machine.root() / "opt/Vintrel/Quillon 7";
        p.shared = machine.root() / "var/opt/Vintrel/Quillon 7/Brushes.qbr";
        for (fs::recursive_directory_iterator it(machine.home()), end; it != end; ++it) {
            if (it->path().filename() == "Sample01.qln") {
                p.sample = it->path();
            }
        }
        return p;
    }
};

TEST_P(UninstallKeeping, KeepsWhatTheUserMadeOrHadAndRemovesTheRest) {
    const KeepingCase& c = GetParam();
    const fs::path setup = QUILLON_BINARY_DIR "/bin/quillon-setup";
    Paths p = Where();
    c.before(p);
    const auto before = WithoutDesktopCaches(machine.snapshot());
    ASSERT_EQ(Run(setup, "--unattended").exit_code, 0);
    if (c.reinstall) {
        ASSERT_EQ(Run(setup, "--unattended").exit_code, 0);
    }
    p = Where();
    ASSERT_FALSE(p.sample.empty());
    c.after(p);
    const fs::path record = p.install / "Uninstall.ulog.record";
    ASSERT_TRUE(fs::is_regular_file(record));
    if (c.record == Record::damaged) {
        std::string text = ReadAll(record);
        text[text.size() / 3] ^= 0x20;
        WriteAll(record, text);
    } else if (c.record == Record::missing) {
        fs::remove(record);
    }

    const auto result = Run(p.install / "uninstall");
    EXPECT_EQ(result.exit_code, 0) << result.errors;
    if (*c.kept != '\0') {
        EXPECT_NE(result.output.find(c.kept), std::string::npos) << result.output;
    }
    c.expect(p);
    EXPECT_FALSE(fs::exists(p.install));
    if (c.record == Record::intact) {
        // The keys the installation made on the way to its own go once empty.
        EXPECT_EQ(EmptyKeys(machine.snapshot().registry), std::vector<std::string>{});
    } else {
        EXPECT_NE(result.output.find(c.record == Record::damaged ? "record is damaged" : "record is missing"),
                  std::string::npos)
            << result.output;
    }
    if (std::string(c.name) == "untouched") {
        EXPECT_TRUE(test_support::same_machine(before, WithoutDesktopCaches(machine.snapshot())));
    }
}

constexpr const char* kOtherProgram = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other Program";
const auto kOtherKey = [](const Paths&) {
    auto key = platform::registry::Key::create(platform::registry::hive::local_machine, kOtherProgram);
    ASSERT_TRUE(key);
    ASSERT_FALSE(key->key.set_string("DisplayName", "Other Program"));
};
const auto kOtherKeyKept = [](const Paths& p) {
    EXPECT_FALSE(fs::exists(p.sample));
    auto key = platform::registry::Key::open(platform::registry::hive::local_machine, kOtherProgram);
    ASSERT_TRUE(key);
    const auto name = key->query_string("DisplayName");
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, "Other Program");
};
const auto kSampleGone = [](const Paths& p) { EXPECT_FALSE(fs::exists(p.sample)); };
const auto kSampleKept = [](const Paths& p) { EXPECT_TRUE(fs::is_regular_file(p.sample)); };
const auto kMineKept = [](const Paths& p) { EXPECT_EQ(ReadAll(p.shared), "mine"); };
const auto kPlantMine = [](const Paths& p) { WriteAll(p.shared, "mine"); };
const auto kNewBeside = [](const Paths& p) { WriteAll(p.sample.parent_path() / "Mine.qln", "new"); };
const auto kNewKept = [](const Paths& p) {
    EXPECT_EQ(ReadAll(p.sample.parent_path() / "Mine.qln"), "new");
    EXPECT_FALSE(fs::exists(p.sample));
};

INSTANTIATE_TEST_SUITE_P(
    Files, UninstallKeeping,
    testing::Values(
        KeepingCase{"untouched", Nothing, Nothing, Record::intact, false, "", kSampleGone},
        KeepingCase{"edited", Nothing, Edit, Record::intact, false, "Sample01.qln: changed since", kSampleKept},
        KeepingCase{"grown", Nothing, [](const Paths& p) { WriteAll(p.sample, "more", std::ios::app); }, Record::intact,
                    false, "Sample01.qln: changed since", kSampleKept},
        KeepingCase{"new_file_beside", Nothing, kNewBeside, Record::intact, false, "holds files", kNewKept},
        KeepingCase{"preexisting_shared", kPlantMine, Nothing, Record::intact, false, "Brushes.qbr: there before",
                    kMineKept},
        KeepingCase{"preexisting_shared_reinstalled", kPlantMine, Nothing, Record::intact, true,
                    "Brushes.qbr: there before", kMineKept},
        KeepingCase{"others_key_beside_ours", kOtherKey, Nothing, Record::intact, false, "", kOtherKeyKept},
        // Without a record the log's own rules hold: the listed files go, nothing else.
        KeepingCase{"damaged_record", Nothing, kNewBeside, Record::damaged, false, "holds files", kNewKept},
        KeepingCase{"missing_record", Nothing, kNewBeside, Record::missing, false, "holds files", kNewKept}),
    [](const testing::TestParamInfo<KeepingCase>& info) { return std::string(info.param.name); });

}  // namespace

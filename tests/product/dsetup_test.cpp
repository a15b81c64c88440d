#include "product_programs.hpp"

#include "dsetup_abi.hpp"

#include "platform/kernel/dynamic_library.hpp"
#include "platform/registry/key.hpp"
#include "support/sandbox_machine.hpp"

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = boost::filesystem;
namespace reg = platform::registry;

struct progress_report {
    std::uint32_t reason;
    std::u16string message;
    std::u16string name;
    std::uint32_t done;
    std::uint32_t total;
};
std::vector<progress_report> reports;

std::uint32_t record_report(std::uint32_t reason, std::uint32_t, const char16_t* message, const char16_t* name,
                            void* information) {
    const auto* progress = static_cast<const dsetup_progress*>(information);
    reports.push_back({reason, message, name, progress->overall_progress, progress->overall_maximum});
    return dsetup::answer_ok;
}

class SetupLibrary : public test_support::sandbox_test {
protected:
    void SetUp() override {
        std::error_code error;
        // Loaded by its path, with the flags the installer uses.
        m_library = platform::kernel::dynamic_library::load(product_test::built("DSETUP.dll"),
                                                            platform::kernel::search_default_dirs, error);
        ASSERT_TRUE(m_library) << error.message();
        get_version = m_library.entry_point_as<dsetup_get_version_function>("DirectXSetupGetVersion", error);
        set_callback = m_library.entry_point_as<dsetup_set_callback_function>("DirectXSetupSetCallback", error);
        run = m_library.entry_point_as<dsetup_run_function>("DirectXSetupW", error);
        ASSERT_TRUE(get_version && set_callback && run);
        reports.clear();

        fs::create_directories(m_redistributable);
        for (const char* file : dsetup::component_files) {
            std::ofstream(fs::path(m_redistributable / file).string()) << "component " << file;
        }
    }
    void TearDown() override {
        if (set_callback) {
            set_callback(nullptr);
        }
    }

    std::u16string redistributable() const {
        const std::string text = m_redistributable.string();
        return std::u16string(text.begin(), text.end());
    }
    fs::path runtime_folder() const { return machine.root() / "usr" / "lib" / "directx"; }

    void record_version(const std::string& text) {
        auto key = reg::Key::create(reg::hive::local_machine, "Software\\Microsoft\\DirectX");
        ASSERT_TRUE(key);
        ASSERT_FALSE(key->key.set_string("Version", text));
    }
    std::optional<std::string> recorded_version() {
        auto value = reg::get_value(reg::hive::local_machine, "Software\\Microsoft\\DirectX", "Version");
        return value ? reg::as_string(*value) : std::nullopt;
    }

    platform::kernel::dynamic_library m_library;
    dsetup_get_version_function* get_version = nullptr;
    dsetup_set_callback_function* set_callback = nullptr;
    dsetup_run_function* run = nullptr;
    fs::path m_redistributable = machine.temp() / "vintrel_{redistributable}";
};

TEST_F(SetupLibrary, ReportsTheRecordedRuntime) {
    std::uint32_t version = 7;
    std::uint32_t revision = 7;
    EXPECT_EQ(get_version(&version, &revision), 0) << "no runtime recorded";
    EXPECT_EQ(version, 0u);
    EXPECT_EQ(revision, 0u);

    const struct {
        const char* text;
        std::int32_t result;
        std::uint32_t version;
        std::uint32_t revision;
    } cases[] = {
        {"4.09.00.0904", 1, 0x00040009, 904}, {"4.09.01.0003", 1, 0x00040009, 0x00010003},
        {"4.08.00.0400", 1, 0x00040008, 400}, {"4.09.00", 0, 0, 0},
        {"4.09.00.0904.1", 0, 0, 0},          {"4.x9.00.0904", 0, 0, 0},
        {"4.70000.00.0904", 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        record_version(c.text);
        EXPECT_EQ(get_version(&version, &revision), c.result);
        EXPECT_EQ(version, c.version);
        EXPECT_EQ(revision, c.revision);
    }
    EXPECT_EQ(get_version(nullptr, &revision), 0);
}

TEST_F(SetupLibrary, InstallsTheComponentsReportingProgress) {
    set_callback(&record_report);
    const std::u16string root = redistributable();
    EXPECT_EQ(run(nullptr, root.c_str(), dsetup::flag_directx), dsetup::success);

    for (const char* file : dsetup::component_files) {
        EXPECT_TRUE(fs::is_regular_file(runtime_folder() / file)) << file;
    }
    EXPECT_EQ(recorded_version(), "4.09.00.0904");
    std::uint32_t version = 0;
    std::uint32_t revision = 0;
    EXPECT_EQ(get_version(&version, &revision), 1);
    EXPECT_GE(version, 0x00040009u);
    EXPECT_GE(revision, 903u);

    ASSERT_EQ(reports.size(), std::size(dsetup::component_files) + 1);
    for (std::size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].reason, dsetup::callback_progress);
        EXPECT_EQ(reports[i].done, i);
        EXPECT_EQ(reports[i].total, std::size(dsetup::component_files));
    }
    EXPECT_EQ(reports[1].message, u"Copying dxupdate.cab");
    EXPECT_EQ(reports[1].name, u"dxupdate.cab");
}

TEST_F(SetupLibrary, KeepsANewerRecordedRuntime) {
    record_version("4.09.01.0000");
    const std::u16string root = redistributable();
    EXPECT_EQ(run(nullptr, root.c_str(), dsetup::flag_directx), dsetup::success) << "no callback is fine";
    EXPECT_EQ(recorded_version(), "4.09.01.0000");
}

TEST_F(SetupLibrary, ABrokenRedistributableChangesNothing) {
    set_callback(&record_report);
    fs::remove(m_redistributable / dsetup::component_files[3]);
    const std::u16string root = redistributable();
    EXPECT_EQ(run(nullptr, root.c_str(), dsetup::flag_directx), dsetup::source_file_not_found);
    const std::u16string missing = root + u"-missing";
    EXPECT_EQ(run(nullptr, missing.c_str(), dsetup::flag_directx), dsetup::cannot_find_folder);

    EXPECT_FALSE(fs::exists(runtime_folder()));
    EXPECT_EQ(recorded_version(), std::nullopt);
    EXPECT_TRUE(reports.empty());
}

}  // namespace

#include "startup/install_app.hpp"

#include "platform/registry/key.hpp"
#include "platform/resources/resource_table.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/message_box.hpp"
#include "platform/ui/window.hpp"
#include "platform/version/version_block.hpp"
#include "startup/application_id.hpp"
#include "startup/installed_product.hpp"
#include "startup/instance_counter.hpp"
#include "startup/language_catalogue.hpp"
#include "startup/process_guards.hpp"
#include "startup/refreshable_window.hpp"

#include "program_copy.hpp"
#include "startup_probe.hpp"
#include "support/sandbox_machine.hpp"

#include <gtest/gtest.h>

namespace ui = platform::ui;
namespace reg = platform::registry;
namespace ver = platform::version;
namespace res = platform::resources;
namespace fs = boost::filesystem;

namespace {

const std::string kEnglishTitle = "Installer \u2013 Quillon 7.02b";

// A machine of its own, an English-speaking user, and the language put back afterwards.
class InstallAppStart : public test_support::sandbox_test {
protected:
    void SetUp() override { CheckProcessor(); }
    void TearDown() override { MakeLanguageCurrent(m_savedLanguage); }

    // Start-up up to the wizard, with scripted message boxes.
    bool Start(CInstallApp& app, std::initializer_list<int> answers = {}) {
        script = std::make_unique<ui::message_box_script>(answers);
        return app.StartSession();
    }

    static reg::Key CreateKey(const std::string& path) {
        auto created = reg::Key::create(reg::hive::local_machine, path);
        EXPECT_TRUE(created) << path;
        return created->key;
    }
    static void RegisterInstalledProgram(const fs::path& program) {
        ASSERT_FALSE(CreateKey("Software\\Vintrel").set_string("Quillon 7 Path", program.string()));
    }
    static void SetUninstallValue(const std::string& name, const reg::value& v) {
        ASSERT_FALSE(CreateKey(UninstallKeyPath()).set_value(name, v));
    }
    static reg::value Dword(std::uint32_t n) {
        return {reg::value_type::dword, {static_cast<std::uint8_t>(n), 0, 0, 0}};
    }

    // A previous log beside `folder`, recording the install and shortcut folders given.
    static fs::path WriteLog(const fs::path& folder, const fs::path& installFolder, const fs::path& shortcutFolder) {
        fs::create_directories(folder);
        UninstallLog log;
        EXPECT_TRUE(log.Save(folder / "Uninstall.ulog", installFolder.string(), shortcutFolder.string()));
        log.Commit();
        return folder / "Uninstall.ulog";
    }

    fs::path Folder(const std::string& name) const {
        fs::create_directories(machine.root() / name);
        return machine.root() / name;
    }
    std::string DefaultInstallFolder() const { return (machine.root() / "opt/Vintrel/Quillon 7").string(); }
    std::string DefaultMenuFolder() const {
        return (machine.root() / "usr/local/share/applications/Vintrel/Quillon 7").string();
    }

    test_support::scoped_env language{"LC_ALL", "en_US.UTF-8"};
    std::optional<InstanceCounter> counter{std::in_place, GetApplicationId()};  // this process, as the installer
    std::unique_ptr<ui::message_box_script> script;

private:
    std::uint32_t m_savedLanguage = GetLanguageState().current;
};

ver::version_resource ProgramVersion(std::uint32_t ms, std::uint32_t ls) {
    ver::version_resource r;
    r.fixed.emplace();
    r.fixed->dwFileVersionMS = ms;
    r.fixed->dwFileVersionLS = ls;
    r.string_tables = {{"040904b0", {{"ProductName", "Quillon"}, {"ProductVersion", "7.xx"}}}};
    r.translations = {{0x0409, 1200}};
    return r;
}

class CTestMainWindow : public ui::CWnd, public CRefreshableWindow {
public:
    void RefreshTexts() override { ++m_nRefreshes; }
    int m_nRefreshes = 0;
};

}  // namespace

TEST_F(InstallAppStart, FirstInstallationTakesTheDefaults) {
    CInstallApp app(&*counter);
    ASSERT_TRUE(Start(app));
    EXPECT_TRUE(script->records().empty());
    EXPECT_TRUE(app.m_instanceMutex.owned);
    EXPECT_EQ(app.GetAppName(), kEnglishTitle);
    EXPECT_EQ(GetLanguageState().current, LanguageEnglish);
    EXPECT_EQ(app.m_nProductLanguage, LanguageEnglish);
    EXPECT_EQ(app.m_nPreviousInstall, PreviousNone);
    EXPECT_EQ(app.m_strInstallFolder, DefaultInstallFolder());
    EXPECT_EQ(app.m_strStartMenuFolder, DefaultMenuFolder());
    EXPECT_TRUE(app.m_bStartMenuShortcut);
    EXPECT_TRUE(app.m_bDesktopShortcut);
    EXPECT_FALSE(app.m_bAdvancedMode);
    EXPECT_FALSE(app.m_bInstalled);
}

TEST_F(InstallAppStart, StatusFollowsTheInstalledProgramsVersion) {
    const struct {
        std::uint32_t ms, ls;
        PreviousInstallStatus status;
    } cases[] = {
        {0x00070002, 0x00020001, PreviousSame},   // 7.2.2.1
        {0x00070002, 0x00020000, PreviousOlder},  // 7.2.2.0
        {0x00070002, 0x00030000, PreviousNewer},  // 7.2.3.0
        {0x00080000, 0x00000000, PreviousNewer},  // 8.0.0.0
        {0x00070001, 0x00090009, PreviousOlder},  // 7.1.9.9
    };
    ProgramCopy program;
    RegisterInstalledProgram(program.File());
    for (const auto& c : cases) {
        program.Replace(res::rt_version, 1, ver::build_version_block(ProgramVersion(c.ms, c.ls)));
        const std::uint64_t packed = std::uint64_t{c.ms} << 32 | c.ls;
        CInstallApp app(&*counter);
        ASSERT_TRUE(Start(app));
        EXPECT_EQ(app.FindInstalledProduct(), program.File().string());
        std::string version = "untouched";
        EXPECT_EQ(app.GetPreviousInstall(&version), c.status) << std::hex << packed;
        EXPECT_EQ(version, c.status == PreviousSame ? "untouched" : "Quillon 7.xx") << std::hex << packed;
        EXPECT_EQ(app.m_nPreviousVersion, c.status == PreviousOlder ? packed : 0u) << std::hex << packed;
    }
}

TEST_F(InstallAppStart, AMissingInstalledProgramIsNoInstallationAndItsLogIsNotRead) {
    const fs::path gone = machine.root() / "opt/Vintrel/Quillon 7";
    RegisterInstalledProgram(gone / "quillon");
    const fs::path log = WriteLog(gone, Folder("kept/install"), Folder("kept/menu"));
    SetUninstallValue("UninstallString",
                      {reg::value_type::sz, reg::utf16le_bytes((gone / "Uninstall").string(), true)});
    CInstallApp app(&*counter);
    ASSERT_TRUE(Start(app));
    EXPECT_EQ(app.FindInstalledProduct(), "");
    EXPECT_EQ(app.m_nPreviousInstall, PreviousNone);
    EXPECT_EQ(app.m_strInstallFolder, DefaultInstallFolder());
    EXPECT_EQ(app.m_strStartMenuFolder, DefaultMenuFolder());
}

TEST_F(InstallAppStart, ThePreviousLogIsFoundThroughTheUninstallerThenTheInstalledProgram) {
    ProgramCopy program;
    program.Replace(res::rt_version, 1, ver::build_version_block(ProgramVersion(0x00070002, 0x00020000)));
    RegisterInstalledProgram(program.File());
    const fs::path besideProgram = program.File().parent_path();

    // Beside the installed program only.
    WriteLog(besideProgram, Folder("second/install"), Folder("second/menu"));
    {
        CInstallApp app(&*counter);
        ASSERT_TRUE(Start(app));
        EXPECT_EQ(app.m_nPreviousInstall, PreviousOlder);
        EXPECT_EQ(app.m_strInstallFolder, Folder("second/install").string());
        EXPECT_EQ(app.m_strStartMenuFolder, Folder("second/menu").string());
    }
    // The uninstaller's folder comes first.
    const fs::path uninstallerFolder = Folder("first");
    WriteLog(uninstallerFolder, Folder("first/install"), Folder("first/menu"));
    SetUninstallValue("UninstallString",
                      {reg::value_type::sz, reg::utf16le_bytes((uninstallerFolder / "Uninstall").string(), true)});
    {
        CInstallApp app(&*counter);
        ASSERT_TRUE(Start(app));
        EXPECT_EQ(app.m_strInstallFolder, Folder("first/install").string());
        EXPECT_EQ(app.m_strStartMenuFolder, Folder("first/menu").string());
        EXPECT_EQ(FindUninstallLog(program.File().string()), uninstallerFolder / "Uninstall.ulog");
    }
    // A log whose install folder has gone leaves that folder to the default.
    fs::remove_all(Folder("first/install"));
    {
        CInstallApp app(&*counter);
        ASSERT_TRUE(Start(app));
        EXPECT_EQ(app.m_strInstallFolder, DefaultInstallFolder());
        EXPECT_EQ(app.m_strStartMenuFolder, Folder("first/menu").string());
    }
    // An UninstallString that is not text is passed over.
    SetUninstallValue("UninstallString", Dword(1));
    EXPECT_EQ(FindUninstallLog(program.File().string()), besideProgram / "Uninstall.ulog");
    fs::remove(besideProgram / "Uninstall.ulog");
    EXPECT_EQ(FindUninstallLog(program.File().string()), fs::path());
}

TEST_F(InstallAppStart, AnInstallerBesideTheInstalledProductFindsTheLogBesideItself) {
    // The installed program has no log beside it and the Uninstall key names no uninstaller. The
    // installer is another process, so this one must not count as running.
    counter.reset();
    ProgramCopy installed;
    installed.Replace(res::rt_version, 1, ver::build_version_block(ProgramVersion(0x00070002, 0x00020001)));
    RegisterInstalledProgram(installed.File());
    const fs::path folder = Folder("product");
    fs::copy_file(startup_probe::Program(), folder / "startup-probe");
    // The security library travels beside the program, as it does in an installed product.
    fs::copy_file(QUILLON_BINARY_DIR "/bin/advapi32.dll", folder / "advapi32.dll");
    WriteLog(folder, Folder("product"), Folder("menu"));

    auto installer =
        startup_probe::Start((folder / "startup-probe").string(), "session " + (machine.temp() / "report").string());
    ASSERT_EQ(installer.wait(std::chrono::seconds(30)), platform::sync::wait_result::object_0);
    EXPECT_EQ(installer.exit_code(), 0);
    const auto lines = startup_probe::ReadLines(machine.temp() / "report");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "started") << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[1], folder.string());
    EXPECT_EQ(lines[2], Folder("menu").string());
}

TEST_F(InstallAppStart, TheRecordedLanguageCountsWhenTheProductKnowsIt) {
    const struct {
        std::uint32_t recorded;
        std::uint32_t current;
        std::uint32_t product;
        const char* title;
    } cases[] = {
        {LanguageDanish, LanguageEnglish, LanguageEnglish, "Installer \u2013 Quillon 7.02b"},  // not a product language
        {LanguageDutch, LanguageEnglish, LanguageDutch, "Installer \u2013 Quillon 7.02b"},     // installer untranslated
        {LanguageGerman, LanguageGerman, LanguageGerman, "Installationsprogramm \u2013 Quillon 7.02b"},
        {99, LanguageEnglish, LanguageEnglish, "Installer \u2013 Quillon 7.02b"},
    };
    for (const auto& c : cases) {
        SetUninstallValue("VnLanguage", Dword(c.recorded));
        CInstallApp app(&*counter);
        ASSERT_TRUE(Start(app));
        EXPECT_EQ(GetLanguageState().current, c.current) << c.recorded;
        EXPECT_EQ(app.m_nProductLanguage, c.product) << c.recorded;
        EXPECT_EQ(app.GetAppName(), c.title) << c.recorded;
        EXPECT_TRUE(script->records().empty());
    }
}

// A language asked for on the command line outranks both the environment's and the recorded one;
// an untranslated one still runs the installer in English.
TEST_F(InstallAppStart, ARequestedLanguageOutranksTheRecordedOne) {
    SetUninstallValue("VnLanguage", Dword(LanguageGerman));
    for (const auto& [requested, current] :
         {std::pair{LanguageSpanish, LanguageSpanish}, std::pair{LanguageDutch, LanguageEnglish}}) {
        CInstallApp app(&*counter);
        app.RequestLanguage(requested);
        ASSERT_TRUE(Start(app));
        EXPECT_EQ(GetLanguageState().current, current) << requested;
        EXPECT_EQ(app.m_nProductLanguage, requested);
        EXPECT_EQ(app.GetStartupStop(), StartupStop::None);
    }
}

TEST_F(InstallAppStart, ARunningProductIsAskedAboutUntilItCloses) {
    const fs::path ready = machine.temp() / "ready", until = machine.temp() / "until";
    auto product =
        startup_probe::Start(startup_probe::Program(), "hold-count " + ready.string() + " " + until.string());
    ASSERT_TRUE(startup_probe::WaitFor(ready, product));
    {
        CInstallApp app(&*counter);
        EXPECT_FALSE(Start(app, {ui::IDRETRY, ui::IDCANCEL}));
        ASSERT_EQ(script->records().size(), 2u);
        for (const auto& box : script->records()) {
            EXPECT_EQ(box.text, "You should close 'Quillon' before continuing Installation.");
            EXPECT_EQ(box.caption, kEnglishTitle);
            EXPECT_EQ(box.type, ui::MB_RETRYCANCEL | ui::MB_ICONWARNING);
        }
        EXPECT_EQ(app.m_strInstallFolder, "");  // start-up stopped before the folders
    }
    std::ofstream(until.string()) << "end";
    ASSERT_EQ(product.wait(std::chrono::seconds(30)), platform::sync::wait_result::object_0);
    CInstallApp app(&*counter);
    EXPECT_TRUE(Start(app));
    EXPECT_TRUE(script->records().empty());
}

TEST_F(InstallAppStart, LanguageChangeKeepsTheProductLanguageApart) {
    CInstallApp app(&*counter);
    ASSERT_TRUE(Start(app));
    CTestMainWindow window;
    app.m_pMainWnd = &window;

    app.SetLanguage(LanguageHebrew);
    ASSERT_EQ(script->records().size(), 1u);
    EXPECT_EQ(script->records()[0].text,
              "'Quillon' will be installed in the selected Langage, but the Installer, still under translation,  "
              "shall run in English.");
    EXPECT_EQ(script->records()[0].type, ui::MB_ICONINFORMATION | ui::MB_OK);
    EXPECT_EQ(GetLanguageState().current, LanguageEnglish);
    EXPECT_EQ(app.m_nProductLanguage, LanguageHebrew);
    EXPECT_EQ(app.GetAppName(), kEnglishTitle);
    EXPECT_EQ(window.m_nRefreshes, 1);

    app.SetLanguage(LanguageGerman);
    EXPECT_EQ(script->records().size(), 1u);
    EXPECT_EQ(GetLanguageState().current, LanguageGerman);
    EXPECT_EQ(app.m_nProductLanguage, LanguageGerman);
    EXPECT_EQ(app.GetAppName(), "Installationsprogramm \u2013 Quillon 7.02b");
    EXPECT_EQ(window.m_nRefreshes, 2);
    app.m_pMainWnd = nullptr;
}

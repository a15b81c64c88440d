#include "engine/installation_sequence.hpp"
#include "identity/product_identity.hpp"
#include "installation_fixture.hpp"
#include "platform/kernel/file_attributes.hpp"
#include "platform/text/utf_convert.hpp"
#include "support/machine_snapshot.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

namespace fs = boost::filesystem;
namespace reg = platform::registry;
namespace kernel = platform::kernel;

namespace {

int RunCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class FirstInstallation : public InstallationTest {};

// The whole run over the program's own payload resource, as the install page starts it.
TEST_F(FirstInstallation, InstallsTheProductFromTheProgramsOwnPayload) {
    ASSERT_TRUE(RunInstallationSequence(*app, page));

    // Every file of the payload with its content, the temporary ones gone with their folder.
    ASSERT_EQ(Manifest().size(), static_cast<std::size_t>(kPayloadEntries));
    for (const auto& entry : Manifest()) {
        const fs::path destination = Destination(entry);
        if (entry.kind == 5) {
            EXPECT_FALSE(fs::exists(destination)) << destination;
            continue;
        }
        EXPECT_EQ(Crc32(ReadFile(destination)), Crc32(ReadFile(entry.source_file))) << destination;
        if (entry.kind == 3) {
            EXPECT_TRUE(HasUsersGroupEntry(destination)) << destination;
        }
        if (entry.folder.rfind("<CommonData>", 0) == 0) {
            EXPECT_TRUE(HasUsersGroupEntry(destination.parent_path())) << destination.parent_path();
        }
    }
    EXPECT_EQ(CopyingLines(), kPayloadEntries);
    EXPECT_FALSE(app->m_strTempFolder.empty());
    EXPECT_TRUE(
        std::regex_match(fs::path(app->m_strTempFolder).filename().string(),
                         std::regex("vintrel_\\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\}")));
    EXPECT_FALSE(fs::exists(app->m_strTempFolder));
    EXPECT_TRUE(fs::is_empty(machine.temp())) << "temporary files or backups left";

    const std::string mainProgram = (InstallFolder() / "quillon").string();
    const std::string uninstaller = (InstallFolder() / "uninstall").string();
    EXPECT_EQ(page.m_strMainProgramPath, mainProgram);
    EXPECT_EQ(page.m_strUninstallerPath, uninstaller);
    for (const auto& program : {mainProgram, uninstaller}) {
        EXPECT_TRUE(kernel::file_attributes(program) & kernel::file_attribute_readonly) << program;
    }

    // The page: separator, one line per step with its outcome, the closing status.
    EXPECT_EQ(StepLines(),
              (std::vector<std::string>{"Preparing Installation...OK", "Shortcuts Creation...OK", DirectXText() + "OK",
                                        "Registry Data Writing...OK", "Installation Data Writing...OK"}));
    EXPECT_EQ(page.Status(), "Click on 'Next' to continue.");
    EXPECT_TRUE(page.progressShown);
    EXPECT_EQ(page.progress.front(), 0);
    EXPECT_EQ(page.progress.back(), 100);
    EXPECT_TRUE(app->m_instanceMutex.owned);

    // Three desktop entries that the desktop's own checker accepts.
    const fs::path shortcuts[] = {MenuFolder() / "Quillon 7.02b.desktop", MenuFolder() / "Uninstall Quillon.desktop",
                                  Desktop() / "Quillon 7.02b.desktop"};
    for (const auto& shortcut : shortcuts) {
        ASSERT_TRUE(fs::is_regular_file(shortcut)) << shortcut;
        EXPECT_EQ(RunCommand("desktop-file-validate '" + shortcut.string() + "'"), 0) << ReadFile(shortcut);
        EXPECT_NE(ReadFile(shortcut).find("Path=" + InstallFolder().string()), std::string::npos);
    }

    // The Uninstall key's twelve values, in order, strings with their terminating null.
    auto key = reg::Key::open(reg::hive::local_machine, std::string(kUninstallKeyParent) + "\\Quillon 7");
    ASSERT_TRUE(key);
    const std::string web = "https://www.vintrel.example/quillon";
    const std::vector<std::pair<std::string, reg::value>> expected = {
        {"DisplayName", reg::string_value("Quillon 7.02b")},
        {"UninstallString", reg::string_value(uninstaller)},
        {"DisplayIcon", reg::string_value(mainProgram + ",0")},
        {"DisplayVersion", reg::string_value("7.2.2.1")},
        {"Publisher", reg::string_value("Vintrel")},
        {"URLInfoAbout", reg::string_value(web)},
        {"HelpLink", reg::string_value(web)},
        {"URLUpdateInfo", reg::string_value(web)},
        {"HelpTelephone", reg::string_value("+1 555 0100 720 (Mon-Fri, 9:00-17:00)")},
        {"NoModify", reg::dword_value(1)},
        {"NoRepair", reg::dword_value(1)},
        {"VnLanguage", reg::dword_value(LanguageEnglish)}};
    const auto values = key->values();
    ASSERT_TRUE(values);
    ASSERT_EQ(values->size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ((*values)[i].name, expected[i].first);
        EXPECT_EQ((*values)[i].value, expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(reg::string_value("Quillon 7.02b").data.size(), (13u + 1u) * 2u);

    // The installed-program value, and the registration's document type naming the program.
    const auto installed = reg::get_value(reg::hive::local_machine, "Software\\Vintrel", "Quillon 7 Path");
    ASSERT_TRUE(installed);
    EXPECT_EQ(*installed, reg::string_value(mainProgram));
    const auto association = reg::get_value(reg::hive::local_machine, "Software\\Classes\\.qln", "");
    ASSERT_TRUE(association);
    EXPECT_EQ(reg::as_string(*association), "Vintrel.Quillon7");
    const auto command =
        reg::get_value(reg::hive::local_machine, "Software\\Classes\\Vintrel.Quillon7\\shell\\open\\command", "");
    ASSERT_TRUE(command);
    EXPECT_EQ(reg::as_string(*command), "\"" + mainProgram + "\" \"%1\"");

    // The uninstall log beside the uninstaller: header, then folders and files, the shortcuts, the
    // DirectX setup, the key and the registration run, all done.
    const std::string text = InstalledLogText();
    EXPECT_EQ(text.substr(0, text.find("----")),
              "// Uninstall Log File v1\r\n"
              "// ############ WARNING: Do not delete or modify this file. ############\r\n"
              "// Install Quillon 7.02b\r\n"
              "// Install Path : " +
                  InstallFolder().string() +
                  "\r\n"
                  "// Shortcut Path : " +
                  MenuFolder().string() + "\r\n// ");
    EXPECT_EQ(kernel::file_attributes(InstalledLog()), 0x2021u);
    UninstallLog log;
    const fs::path logFile = InstalledLog();
    log.Read(&logFile);
    std::map<EntryKind, int> kinds;
    for (const auto& entry : log.previousEntries) {
        ++kinds[entry.kind];
        EXPECT_TRUE(entry.done) << KindNumber(entry.kind) << " " << entry.path;
    }
    EXPECT_EQ(kinds[UninstallLogEntry::File], kPayloadEntries - 6 + kShortcutIconFiles);
    EXPECT_EQ(kinds[UninstallLogEntry::StartMenuShortcut], 1);
    EXPECT_EQ(kinds[UninstallLogEntry::UninstallShortcut], 1);
    EXPECT_EQ(kinds[UninstallLogEntry::DesktopShortcut], 1);
    EXPECT_EQ(kinds[UninstallLogEntry::UninstallKey], 1);
    EXPECT_EQ(kinds[UninstallLogEntry::RegistrationRun], 1);
    EXPECT_EQ(kinds[UninstallLogEntry::DirectXRuntime], 1);
    EXPECT_GE(kinds[UninstallLogEntry::Folder], 10);
    EXPECT_NE(text.find("0000:00ff:1 -- " + (machine.root() / "opt/Vintrel").string() + "\r\n"), std::string::npos);
    EXPECT_NE(text.find(":0101:1 -- " + mainProgram + "\r\n"), std::string::npos);
    EXPECT_NE(
        text.find(
            ":05ff:1 -- HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon 7\r\n"),
        std::string::npos);
    EXPECT_NE(text.find(":06ff:1 -- HKEY_CLASSES_ROOT\\...\r\n"), std::string::npos);
    EXPECT_NE(text.find(":07ff:1 -- " + DirectXText() + "\r\n"), std::string::npos);
}

TEST_F(FirstInstallation, TheProductsUninstallerGivesTheMachineBack) {
    CreateSystemUninstallKey();
    const auto before = machine.snapshot();
    ASSERT_TRUE(Install());

    EXPECT_EQ(RunCommand("'" + (InstallFolder() / "uninstall").string() + "' --yes </dev/null >/dev/null"), 0);

    // Kept on purpose: the DirectX runtime, a system component other programs use; the desktop's
    // MIME and desktop-entry caches, rebuilt without the document type; the system's classes key
    // the document type was registered under; the named objects' folder.
    auto after = machine.snapshot();
    const std::regex kept(
        "root/usr/lib/directx(/.*)?|root/usr/local/share/mime(/.*)?|.*/applications/mimeinfo\\.cache|"
        "root/run/lock/quillon-objects/.*");
    for (auto it = after.files.begin(); it != after.files.end();) {
        it =
            std::regex_match(it->first, kept) && !before.files.count(it->first) ? after.files.erase(it) : std::next(it);
    }
    const auto classes = after.registry.find("HKEY_LOCAL_MACHINE\\Software\\Classes");
    if (classes != after.registry.end() && classes->second.empty() && !before.registry.count(classes->first)) {
        after.registry.erase(classes);
    }
    EXPECT_TRUE(test_support::same_machine(before, after));
}

}  // namespace

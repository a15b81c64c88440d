// Saves a picture of every wizard page and of the About box in every language the installer is
// translated into, and of the start page for a reinstallation (its longest texts), under the build
// folder (pictures/), for a person to look at; the test checks that each picture was made and is not
// blank. Beside them, a menu entry's icon as a desktop finds it in the installed theme.
#include "engine/shortcuts.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/ui_test.hpp"
#include "startup/language_catalogue.hpp"
#include "wizard/about_dlg.hpp"
#include "wizard_fixture.hpp"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <boost/filesystem/operations.hpp>

#include <cstdint>
#include <fstream>
#include <set>
#include <string>
#include <utility>

namespace ui = platform::ui;

namespace {

class Pictures : public wizard_test::WizardTest {
protected:
    const boost::filesystem::path m_folder = boost::filesystem::path(QUILLON_BINARY_DIR) / "pictures";
    void SetUp() override { boost::filesystem::create_directories(m_folder); }

    void Save(const ui::CWnd& window, const std::string& name) {
        const QImage picture = window.GetSafeHwnd()->grab().toImage();
        const auto file = m_folder / (name + ".png");
        ASSERT_TRUE(picture.save(QString::fromStdString(file.string()))) << file;
        std::set<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 3) {
            for (int x = 0; x < picture.width(); x += 3) {
                colours.insert(picture.pixel(x, y));
            }
        }
        EXPECT_GT(colours.size(), 3u) << name << " drew nothing";
    }
};

}  // namespace

TEST_F(Pictures, EveryPageAndTheAboutBoxInEveryTranslatedLanguage) {
    const std::pair<std::uint32_t, const char*> languages[] = {
        {LanguageFrench, "fr"},     {LanguageEnglish, "en"}, {LanguageGerman, "de"},   {LanguageSpanish, "es"},
        {LanguagePortuguese, "pt"}, {LanguageTurkish, "tr"}, {LanguageRomanian, "ro"}, {LanguageItalian, "it"},
    };
    app->m_strPreviousVersion = "Quillon 7.02b";
    for (const auto& [language, suffix] : languages) {
        app->SetLanguage(language);
        app->m_bAdvancedMode = true;
        app->m_bInstalled = false;
        app->m_nPreviousInstall = PreviousNone;
        wizard_test::CTestHost host;
        host.m_results = {true};
        RunHost(host, [&] {
            for (int page = 0; page < CInstallDlg::PageCount; ++page) {
                ASSERT_EQ(host.GetCurrentPage(), page);
                Save(host, std::string("wizard-") + suffix + "-page" + std::to_string(page));
                if (page == CInstallDlg::InstallPage) {
                    wizard_test::click(host.GetDlgItem(ui::IDOK));  // Install
                }
                wizard_test::click(host.GetDlgItem(ui::IDOK));
            }
        });

        app->m_bInstalled = false;
        app->m_nPreviousInstall = PreviousSame;
        wizard_test::CTestHost reinstallation;
        RunHost(reinstallation,
                [&] { Save(reinstallation, std::string("wizard-") + suffix + "-page0-reinstallation"); });

        CAboutDlg about;
        ui_test::when_modal([&] {
            Save(about, std::string("about-") + suffix);
            about.EndDialog(ui::IDOK);
        });
        about.DoModal();
    }
}

// The icon a desktop shows for a menu entry: looked up by the name the entry gives, in the hicolor
// theme of the machine's data folder (its index from the system's copy of the theme, as desktops
// merge the data folders), and drawn from the file installed there.
TEST_F(Pictures, AMenuEntrysIconAsTheInstalledThemeGivesIt) {
    const boost::filesystem::path share = machine.root() / "usr/local/share";
    std::string entry;
    ASSERT_TRUE(
        CreateShortcut(QUILLON_BINARY_DIR "/bin/quillon", (share / "applications").string(), "Quillon 7.02b", &entry));
    std::ifstream in(entry);
    std::string name;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Icon=", 0) == 0) {
            name = line.substr(5);
        }
    }
    ASSERT_FALSE(name.empty()) << "the entry names no icon";

    const QStringList savedPaths = QIcon::themeSearchPaths();
    const QString savedTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({QString::fromStdString((share / "icons").string()), "/usr/share/icons"});
    QIcon::setThemeName("hicolor");
    const QImage picture = QIcon::fromTheme(QString::fromStdString(name)).pixmap(48, 48).toImage();
    QIcon::setThemeSearchPaths(savedPaths);
    QIcon::setThemeName(savedTheme);
    ASSERT_FALSE(picture.isNull()) << "the theme does not find " << name;
    EXPECT_TRUE(picture.save(QString::fromStdString((m_folder / "menu-entry-icon.png").string())));
    const QImage installed(QString::fromStdString((share / "icons/hicolor/48x48/apps" / (name + ".png")).string()));
    EXPECT_EQ(picture.convertToFormat(QImage::Format_ARGB32), installed.convertToFormat(QImage::Format_ARGB32));
}

#include "wizard/folder_browser.hpp"
#include "wizard/folder_browser_paths.hpp"

#include "platform/kernel/system_messages.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/ui/edit.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/message_box.hpp"
#include "platform/ui/ui_test.hpp"
#include "startup/language_catalogue.hpp"
#include "support/sandbox_machine.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTreeWidget>

#include <boost/filesystem.hpp>

#include <cstdint>
#include <string>

namespace fs = boost::filesystem;
using namespace platform::ui;

namespace {

constexpr const char* SubFolder = "Vintrel/Quillon 7";

std::string BadPathText() {
    return platform::kernel::system_message_text(platform::kernel::win32::bad_pathname).value();
}

TEST(FolderBrowserPaths, TheSubFolderIsAddedWithoutRepeatingWhatThePathEndsWith) {
    struct Case {
        const char* path;
        const char* subFolder;
        const char* expected;
    } const cases[] = {
        {"/x/Apps", SubFolder, "/x/Apps/Vintrel/Quillon 7"},
        {"/x/Apps/Vintrel", SubFolder, "/x/Apps/Vintrel/Quillon 7"},
        {"/x/Apps/Vintrel/Quillon 7", SubFolder, "/x/Apps/Vintrel/Quillon 7"},
        {"/x/Apps/Vintrel/", "Vintrel/Quillon 7/", "/x/Apps/Vintrel/Quillon 7"},
        {"/x/apps/VINTREL", SubFolder, "/x/apps/VINTREL/Quillon 7"},  // names match whatever their case
        {"/Vintrel", SubFolder, "/Vintrel/Quillon 7"},                // "/" is the element in front
        {"/", SubFolder, "/Vintrel/Quillon 7"},
        {"/x/Quillon 7", SubFolder, "/x/Quillon 7/Vintrel/Quillon 7"},  // only leading parts count
        {"/x/Old Vintrel", SubFolder, "/x/Old Vintrel/Vintrel/Quillon 7"},
        {"/x/A/B", "A/B/C", "/x/A/B/C"},
        {"/x/A", "A/B/C", "/x/A/B/C"},
        {"/x/Apps", "", "/x/Apps"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AppendSubFolder(c.path, c.subFolder), c.expected) << c.path << " + " << c.subFolder;
    }
    // The whole sub-folder needs an element in front of it to count as present.
    EXPECT_EQ(CountEndingFolders("Vintrel/Quillon 7", SubFolder), 0u);
    EXPECT_EQ(CountEndingFolders("/Vintrel/Quillon 7", SubFolder), 2u);
    EXPECT_EQ(CountEndingFolders("/x/" + std::string(5000, 'a') + "/Vintrel/Quillon 7", SubFolder), 0u);
}

TEST(FolderBrowserPaths, ATypedPathIsQualifiedAndMustStayInsideTheBase) {
    const std::uint32_t bad = platform::kernel::win32::bad_pathname;
    struct Case {
        const char* typed;
        const char* base;
        std::uint32_t error;
        const char* expected;
    } const cases[] = {
        {"  /x/New Folder/ ", "", 0, "/x/New Folder"},
        {"/x/./a/../b", "", 0, "/x/b"},
        {"/", "", 0, "/"},
        {"/x/Quil*", "", bad, ""},
        {"/x/Quil?on", "", bad, ""},
        {"/x/a\\b", "", bad, ""},
        {"applications/Vintrel", "/r/share", 0, "/r/share/applications/Vintrel"},
        {"/r/share/applications/", "/r/share", 0, "/r/share/applications"},
        {"/r/share", "/r/share", 0, "/r/share"},
        {"../elsewhere", "/r/share", bad, ""},
        {"applications/../../x", "/r/share", bad, ""},
        {"/r/shared/x", "/r/share", bad, ""},  // begins with the same letters, not the same folder
        {"/etc", "/r/share", bad, ""},
    };
    for (const Case& c : cases) {
        std::string qualified = "unchanged";
        EXPECT_EQ(QualifyTypedPath(c.typed, c.base, qualified), c.error) << c.typed << " in " << c.base;
        EXPECT_EQ(qualified, c.error ? "unchanged" : c.expected) << c.typed << " in " << c.base;
    }

    std::string qualified;
    EXPECT_EQ(QualifyTypedPath("  ", "", qualified), 0u);
    EXPECT_EQ(qualified, fs::current_path().string());
    EXPECT_EQ(QualifyTypedPath("/" + std::string(5000, 'a'), "", qualified), 0x800700CEu);
}

// A browser that hands the running picker to the test.
class ObservedBrowser : public FolderBrowser {
public:
    using FolderBrowser::FolderBrowser;
    CFolderPicker* picker = nullptr;

protected:
    int OnPickerEvent(CFolderPicker& self, folder_picker_event event, const std::string& text) override {
        picker = &self;
        return FolderBrowser::OnPickerEvent(self, event, text);
    }
};

class FolderBrowserTest : public ui_test::ui_fixture {
protected:
    test_support::sandbox_machine m_machine;
    fs::path m_apps = m_machine.folder() / "x" / "Apps";

    void SetUp() override { fs::create_directories(m_apps / "Vintrel" / "Quillon 7"); }
};

// Closes a picker that an assertion left open, so that a failing test ends instead of waiting.
struct RejectIfStillOpen {
    ~RejectIfStillOpen() {
        if (auto* dialog = dynamic_cast<QDialog*>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    }
};

void PressOk(CFolderPicker& picker) {
    static_cast<QAbstractButton*>(picker.GetDlgItem(IDOK)->GetSafeHwnd())->click();
}

bool AllSelected(const CEdit& edit) {
    int start = 0;
    int end = 0;
    edit.GetSel(start, end);
    return start == 0 && end == static_cast<int>(edit.GetWindowText().size());
}

TEST_F(FolderBrowserTest, TheEditBoxProposesThePickedFolderWithTheSubFolder) {
    ObservedBrowser browser("Select the installation folder.");
    const fs::path x = m_apps.parent_path();
    ui_test::when_modal([&] {
        const RejectIfStillOpen guard;
        CFolderPicker& picker = *browser.picker;
        CEdit& edit = *picker.GetEditBox();
        EXPECT_EQ(picker.GetSelection(), m_apps / "Vintrel" / "Quillon 7") << "the proposal exists: selected";
        EXPECT_EQ(edit.GetWindowText(), (m_apps / "Vintrel" / "Quillon 7").string());
        EXPECT_TRUE(AllSelected(edit));

        for (const fs::path& clicked : {m_apps, m_apps / "Vintrel", m_apps / "Vintrel" / "Quillon 7"}) {
            ASSERT_TRUE(picker.SetSelection(clicked));
            EXPECT_EQ(edit.GetWindowText(), (m_apps / "Vintrel" / "Quillon 7").string()) << clicked;
            EXPECT_TRUE(AllSelected(edit));
        }
        ASSERT_TRUE(picker.SetSelection(x));
        EXPECT_EQ(edit.GetWindowText(), (x / "Vintrel" / "Quillon 7").string());
        PressOk(picker);  // a folder that does not exist yet
    });
    ASSERT_TRUE(browser.Run(m_apps.string(), SubFolder));
    EXPECT_EQ(browser.GetPath(), (x / "Vintrel" / "Quillon 7").string());
}

TEST_F(FolderBrowserTest, ATypedPathIsAcceptedFullyQualifiedOrRefusedWithTheSystemsMessage) {
    ObservedBrowser browser("Select the installation folder.");
    message_box_script boxes;
    ui_test::when_modal([&] {
        const RejectIfStillOpen guard;
        CFolderPicker& picker = *browser.picker;
        picker.GetEditBox()->SetWindowText((m_apps / "Quil*").string());
        PressOk(picker);
        EXPECT_TRUE(picker.IsWindowVisible()) << "a refused path keeps the picker open";

        const std::uint32_t saved = GetLanguageState().current;
        MakeLanguageCurrent(LanguageHebrew);
        PressOk(picker);
        MakeLanguageCurrent(saved);

        picker.GetEditBox()->SetWindowText("  " + (m_apps / "New" / ".." / "Newer" / "Folder").string() + "/ ");
        PressOk(picker);
    });
    ASSERT_TRUE(browser.Run(m_apps.string(), SubFolder));
    EXPECT_EQ(browser.GetPath(), (m_apps / "Newer" / "Folder").string());
    EXPECT_FALSE(fs::exists(m_apps / "Newer")) << "the browser only chooses; the installer creates";

    ASSERT_EQ(boxes.records().size(), 2u);
    EXPECT_EQ(boxes.records()[0].text, BadPathText());
    EXPECT_EQ(boxes.records()[0].caption, "Error");
    EXPECT_EQ(boxes.records()[0].type, MB_OK | MB_ICONWARNING);
    EXPECT_TRUE(boxes.records()[0].owned);
    EXPECT_EQ(boxes.records()[1].type, MB_OK | MB_ICONWARNING | MB_RTLREADING);
}

TEST_F(FolderBrowserTest, WithoutASubFolderTheTreeStartsAtTheDeepestExistingFolderAndGivesTheSelection) {
    ObservedBrowser browser("");
    ui_test::when_modal([&] {
        const RejectIfStillOpen guard;
        CFolderPicker& picker = *browser.picker;
        EXPECT_EQ(picker.GetEditBox(), nullptr);
        EXPECT_EQ(picker.GetSelection(), m_apps);
        EXPECT_TRUE(picker.GetDlgItem(IDOK)->IsWindowEnabled());
        PressOk(picker);
    });
    ASSERT_TRUE(browser.Run((m_apps / "Missing" / "Deeper").string(), ""));
    EXPECT_EQ(browser.GetPath(), m_apps.string());
}

TEST_F(FolderBrowserTest, ARelativeStartBeginsInTheDocumentsFolderAndCancellingGivesNothing) {
    const fs::path documents = m_machine.home() / "Documents";
    fs::path selected;
    ui_test::when_modal([&] {
        const RejectIfStillOpen guard;
        auto* picker = dynamic_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(picker);
        const QTreeWidgetItem* item = picker->findChild<QTreeWidget*>()->currentItem();
        for (; item && item->parent(); item = item->parent()) {
            selected = item->text(0).toStdString() / selected;
        }
        picker->reject();
    });
    EXPECT_EQ(BrowseForFolder("", "relative/start", SubFolder), "");
    EXPECT_EQ("/" / selected, documents);
}

// Presses OK of a running picker known only by its window.
void ClickOk(QDialog* picker) {
    for (auto* button : picker->findChildren<QAbstractButton*>()) {
        if (button->text() == "OK") {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "the picker has no OK button";
}

TEST_F(FolderBrowserTest, UnderProgramsPathsReadRelativeToTheStartMenuAndStayInIt) {
    const fs::path programs = m_machine.root() / "usr/local/share/applications";
    fs::create_directories(programs / "Games");
    message_box_script boxes;
    ui_test::when_modal([&] {
        const RejectIfStillOpen guard;
        auto* picker = dynamic_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(picker);
        auto* tree = picker->findChild<QTreeWidget*>();
        auto* edit = picker->findChild<QLineEdit*>();
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        EXPECT_EQ(tree->topLevelItem(0)->text(0), "applications");
        EXPECT_EQ(edit->text(), "applications/Vintrel/Quillon 7") << "a relative start begins at the root";

        // Beside the Programs folder is outside it, though inside the folder paths are shown from.
        for (const std::string& outside :
             {std::string("../elsewhere"), (m_apps / "Vintrel").string(), std::string("Games")}) {
            edit->setText(QString::fromStdString(outside));
            ClickOk(picker);
            EXPECT_TRUE(picker->isVisible()) << outside;
        }

        QTreeWidgetItem* games = tree->topLevelItem(0)->child(0);
        ASSERT_EQ(games->text(0), "Games");
        tree->setCurrentItem(games);
        EXPECT_EQ(edit->text(), "applications/Games/Vintrel/Quillon 7");
        ClickOk(picker);
    });
    std::string relative;
    EXPECT_EQ(BrowseUnderPrograms("Create a Shortcut in the following Menu:", "relative", SubFolder, &relative),
              (programs / "Games" / "Vintrel" / "Quillon 7").string());
    EXPECT_EQ(relative, "applications/Games/Vintrel/Quillon 7");
    ASSERT_EQ(boxes.records().size(), 3u);
    for (const auto& box : boxes.records()) {
        EXPECT_EQ(box.text, BadPathText());
    }
}

}  // namespace

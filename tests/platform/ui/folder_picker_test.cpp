#include "platform/ui/folder_picker.hpp"
#include "platform/ui/edit.hpp"
#include "platform/ui/framework_constants.hpp"
#include "ui_test.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTreeWidget>

#include <boost/filesystem.hpp>

#include <string>
#include <utility>
#include <vector>

namespace fs = boost::filesystem;
using namespace platform::ui;

namespace {

using event = std::pair<folder_picker_event, std::string>;

class FolderPicker : public ui_test::ui_fixture {
protected:
    fs::path m_base;
    fs::path m_root;     // base/share/applications: the tree's root when confined
    fs::path m_outside;  // base/elsewhere
    std::vector<event> m_events;

    void SetUp() override {
        m_base = fs::temp_directory_path() / fs::unique_path("picker-%%%%-%%%%");
        m_root = m_base / "share" / "applications";
        m_outside = m_base / "elsewhere";
        fs::create_directories(m_root / "Vintrel" / "Quillon 7");
        fs::create_directories(m_root / "Games");
        fs::create_directories(m_root / ".hidden" / "inner");
        fs::create_directories(m_outside);
    }
    void TearDown() override { fs::remove_all(m_base); }

    // Records every notification and answers validate_failed with `answer`.
    folder_picker_callback recorder(const int& answer) {
        return [this, &answer](CFolderPicker&, folder_picker_event e, const std::string& text) {
            m_events.emplace_back(e, text);
            return e == folder_picker_event::validate_failed ? answer : 0;
        };
    }
};

void press_ok(CFolderPicker& picker) {
    static_cast<QAbstractButton*>(picker.GetDlgItem(IDOK)->GetSafeHwnd())->click();
}

QTreeWidget* tree_of(CFolderPicker& picker) {
    return static_cast<QTreeWidget*>(picker.GetDlgItem(CFolderPicker::IDC_TREE)->GetSafeHwnd());
}

}  // namespace

TEST_F(FolderPicker, ATreeConfinedToARootShowsOnlyThatFolderAndWhatItHolds) {
    int answer = 1;
    CFolderPicker picker(nullptr, {"Create a Shortcut in the following Menu:", m_root, true, true, recorder(answer)});
    ui_test::when_modal([&] {
        QTreeWidget* tree = tree_of(picker);
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        EXPECT_EQ(tree->topLevelItem(0)->text(0), "applications");
        QStringList children;
        for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i) {
            children << tree->topLevelItem(0)->child(i)->text(0);
        }
        EXPECT_EQ(children, (QStringList{"Games", "Vintrel"}));  // sorted, hidden folders left out
        EXPECT_EQ(picker.GetDlgItemText(CFolderPicker::IDC_TITLE), "Create a Shortcut in the following Menu:");

        EXPECT_FALSE(picker.SetSelection(m_outside));
        EXPECT_FALSE(picker.SetSelection(m_root / "missing"));
        EXPECT_TRUE(picker.SetSelection(m_root / ".hidden" / "inner"));  // asked for by path, it is found
        EXPECT_TRUE(picker.SetSelection(m_root / "Vintrel" / "Quillon 7"));
        EXPECT_EQ(picker.GetEditBox()->GetWindowText(), "Quillon 7");

        // An existing folder outside the root is no folder of the tree: the callback decides.
        picker.GetEditBox()->SetWindowText(m_outside.string());
        press_ok(picker);
        EXPECT_TRUE(picker.IsWindowVisible());
        picker.GetEditBox()->SetWindowText((m_root / "Games").string());
        press_ok(picker);
    });
    EXPECT_EQ(picker.DoModal(), IDOK);
    EXPECT_EQ(picker.GetPath(), m_root / "Games");
    EXPECT_EQ(m_events, (std::vector<event>{
                            {folder_picker_event::initialized, ""},
                            {folder_picker_event::selection_changed, (m_root / ".hidden" / "inner").string()},
                            {folder_picker_event::selection_changed, (m_root / "Vintrel" / "Quillon 7").string()},
                            {folder_picker_event::validate_failed, m_outside.string()},
                        }));
}

TEST_F(FolderPicker, TheCallbackEnablesOkAndSetsTheEditBox) {
    const fs::path refused = m_root / "Games";
    CFolderPicker picker(
        nullptr, {"", m_base, true, false, [&](CFolderPicker& self, folder_picker_event e, const std::string& text) {
                      if (e == folder_picker_event::initialized) {
                          self.SetExpanded(m_root);
                      } else if (e == folder_picker_event::selection_changed) {
                          self.EnableOK(text != refused.string());
                          self.GetEditBox()->SetWindowText(text + "/Vintrel/Quillon 7");
                          self.GetEditBox()->SetSel(0, -1);
                      }
                      return 0;
                  }});
    ui_test::when_modal([&] {
        EXPECT_EQ(picker.GetSelection(), m_root);  // selected and opened by the callback at start
        EXPECT_TRUE(tree_of(picker)->currentItem()->isExpanded());
        EXPECT_EQ(picker.GetDlgItem(CFolderPicker::IDC_TITLE), nullptr);  // no title, no label

        picker.SetSelection(refused);
        EXPECT_FALSE(picker.GetDlgItem(IDOK)->IsWindowEnabled());
        EXPECT_EQ(picker.GetEditBox()->GetWindowText(), refused.string() + "/Vintrel/Quillon 7");
        picker.SetSelection(m_outside);
        EXPECT_TRUE(picker.GetDlgItem(IDOK)->IsWindowEnabled());
        // A typed path that is no folder, without validation: the selection is the answer.
        press_ok(picker);
    });
    EXPECT_EQ(picker.DoModal(), IDOK);
    EXPECT_EQ(picker.GetPath(), m_outside);
}

TEST_F(FolderPicker, ATypedPathThatIsNoFolderGoesToTheCallbackWhichKeepsOrClosesThePicker) {
    int answer = 1;
    CFolderPicker picker(nullptr, {"Select the folder.", std::nullopt, true, true, recorder(answer)});
    const std::string typed = (m_base / "new" / "folder").string();
    ui_test::when_modal([&] {
        EXPECT_EQ(tree_of(picker)->topLevelItem(0)->text(0), "/");
        ASSERT_TRUE(picker.SetSelection(m_base));
        picker.GetEditBox()->SetWindowText("  " + typed + " ");
        press_ok(picker);
        EXPECT_TRUE(picker.IsWindowVisible()) << "the callback asked to stay";
        answer = 0;
        press_ok(picker);
    });
    EXPECT_EQ(picker.DoModal(), IDOK);
    EXPECT_EQ(picker.GetPath(), m_base) << "a closing validation answers with the selected folder";
    ASSERT_EQ(m_events.size(), 4u);
    EXPECT_EQ(m_events[2], (event{folder_picker_event::validate_failed, typed}));
    EXPECT_EQ(m_events[3], (event{folder_picker_event::validate_failed, typed}));
}

TEST_F(FolderPicker, CancellingGivesNothingAndOkWithTheSelectionsOwnNameGivesTheSelection) {
    ui_test::when_modal([] {
        auto* picker = dynamic_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(picker);
        picker->reject();
    });
    EXPECT_FALSE(PickFolder(nullptr, {"", m_root, false, false, {}}));

    CFolderPicker picker(nullptr, {"", m_root, true, true, {}});
    ui_test::when_modal([&] {
        picker.SetSelection(m_root / "Vintrel");
        EXPECT_EQ(picker.GetEditBox()->GetWindowText(), "Vintrel");
        press_ok(picker);
    });
    EXPECT_EQ(picker.DoModal(), IDOK);
    EXPECT_EQ(picker.GetPath(), m_root / "Vintrel");
}

// The folder picker: a tree of folders, optionally confined to a root folder, with an optional edit
// box, whose notifications go to a callback that may enable or disable OK and validate a typed
// path. Stands in for SHBrowseForFolderW with BIF_EDITBOX and BIF_VALIDATE, the callback
// notifications BFFM_INITIALIZED, BFFM_SELCHANGED and BFFM_VALIDATEFAILEDW, and the callback's
// messages BFFM_SETSELECTIONW, BFFM_SETEXPANDED and BFFM_ENABLEOK.
#pragma once

#include "platform/ui/dialog.hpp"

#include <boost/filesystem/path.hpp>

#include <functional>
#include <optional>
#include <string>

namespace platform::ui {

class CEdit;
class CFolderPicker;

enum class folder_picker_event {
    initialized,        // the picker is shown; text: empty
    selection_changed,  // the user or SetSelection chose a folder; text: its path
    validate_failed,    // OK with an edit-box text that is not a folder of the tree; text: that text
};

// The answer matters for validate_failed only: 0 closes the picker (its result is then the selected
// folder), anything else keeps it open.
using folder_picker_callback =
    std::function<int(CFolderPicker& picker, folder_picker_event event, const std::string& text)>;

struct folder_picker_options {
    std::string title;                            // shown above the tree; empty: none
    std::optional<boost::filesystem::path> root;  // the tree shows this folder and what it holds only;
                                                  // a root that does not exist yet is shown empty
    bool edit_box = false;                        // an edit box under the tree, showing the selection
    bool validate = false;                        // a typed text that is no folder of the tree goes to
                                                  // the callback as validate_failed
    folder_picker_callback callback;
};

class CFolderPicker : public CDialog {
public:
    // Control ids, as the system's picker numbers them.
    static constexpr int IDC_TITLE = 14146;
    static constexpr int IDC_TREE = 14145;
    static constexpr int IDC_FOLDER = 14148;

    CFolderPicker(CWnd* pOwner, folder_picker_options options);

    // The chosen folder once DoModal has returned IDOK: the selected folder, or an existing folder
    // of the tree typed as an absolute path.
    const boost::filesystem::path& GetPath() const { return m_path; }

    // Selects a folder of the tree, opening its parents, as a click does (selection_changed follows);
    // false when the folder is outside the tree or, unless it is the root, does not exist.
    bool SetSelection(const boost::filesystem::path& folder);
    bool SetExpanded(const boost::filesystem::path& folder);
    std::optional<boost::filesystem::path> GetSelection() const;
    void EnableOK(bool bEnable);
    // Null without an edit box.
    CEdit* GetEditBox() const;

    bool OnInitDialog() override;
    void OnOK() override;

private:
    int Notify(folder_picker_event event, const std::string& text);
    void OnSelectionChanged();

    folder_picker_options m_options;
    boost::filesystem::path m_root;
    boost::filesystem::path m_path;
    bool m_bInitialized = false;
};

// Runs a picker; the chosen folder, or empty when the user cancelled.
std::optional<boost::filesystem::path> PickFolder(CWnd* pOwner, folder_picker_options options);

}  // namespace platform::ui

// The folder browser of the folder and shortcut pages: the framework's folder picker, proposing the
// picked folder followed by a fixed sub-folder (without doubling a sub-folder the picked folder
// already ends with) and accepting a typed folder that does not exist yet.
#pragma once

#include "platform/ui/folder_picker.hpp"

#include <boost/filesystem/path.hpp>

#include <optional>
#include <string>

// The chosen folder, ending with subFolder; empty when the user cancelled or the picker failed.
std::string BrowseForFolder(const std::string& title, const std::string& startFolder, const std::string& subFolder);

// The same with the tree confined to the all-users Programs folder, also while that folder does not
// exist yet (no root only when it cannot be looked up); the result is that folder or one in it.
// relativeFolder, when given, receives the chosen folder relative to the Programs folder's parent:
// empty for that parent itself, the full path when there is no relative path.
std::string BrowseUnderPrograms(const std::string& title, const std::string& startFolder, const std::string& subFolder,
                                std::string* relativeFolder = nullptr);

// One press of a Browse button: prepares the proposal, runs the picker once and keeps the result.
// With a root, the edit box shows paths relative to the root's parent, and a typed path must stay
// inside the root.
class FolderBrowser {
public:
    explicit FolderBrowser(std::string title, std::optional<boost::filesystem::path> root = std::nullopt);
    virtual ~FolderBrowser() = default;
    FolderBrowser(const FolderBrowser&) = delete;
    FolderBrowser& operator=(const FolderBrowser&) = delete;

    // Shows the picker at startFolder (an absolute path; otherwise the root, else the Documents
    // folder) proposing subFolder under every picked folder. True with GetPath() the chosen folder;
    // false when the user cancelled.
    bool Run(const std::string& startFolder, const std::string& subFolder);

    // The chosen folder after a successful run; before it, the proposal being edited.
    const std::string& GetPath() const { return m_strPath; }
    // The root's parent folder; empty without a root.
    const std::string& GetRootParent() const { return m_strRootParent; }

protected:
    // The picker's callback; the answer to validate_failed is 0 to close the picker, 1 to keep it.
    virtual int OnPickerEvent(platform::ui::CFolderPicker& picker, platform::ui::folder_picker_event event,
                              const std::string& text);

private:
    void Prepare(const std::string& startFolder, const std::string& subFolder);
    // The proposal for m_strPath: the sub-folder added, then made relative to the root's parent.
    void Apply();
    void OnInitialized(platform::ui::CFolderPicker& picker);
    void OnSelectionChanged(platform::ui::CFolderPicker& picker, const std::string& folder);
    bool AcceptTypedPath(platform::ui::CFolderPicker& picker, const std::string& typed);
    void ShowPathInEditBox();
    // Whether a path is the root or lies in it; always true without a root.
    bool IsInsideRoot(const std::string& path) const;

    std::string m_strTitle;
    std::optional<boost::filesystem::path> m_root;
    std::string m_strRootParent;
    std::string m_strPath;
    std::string m_strSubFolder;
    bool m_bTypedPathAccepted = false;
    platform::ui::CEdit* m_pEditBox = nullptr;  // the running picker's, when it has one
};

// The folder browser of the folder and shortcut pages: the framework's folder picker, proposing the
// picked folder followed by a fixed sub-folder (without doubling a sub-folder the picked folder
// already ends with) and accepting a typed folder that does not exist yet.
#pragma once

#include <string>

// The chosen folder, ending with subFolder; empty when the user cancelled or the picker failed.
std::string BrowseForFolder(const std::string& title, const std::string& startFolder, const std::string& subFolder);

// The same with the tree confined to the all-users Programs folder (no root when it cannot be found).
// relativeFolder, when given, receives the chosen folder relative to the Programs folder's parent:
// empty for that parent itself, the full path when there is no relative path.
std::string BrowseUnderPrograms(const std::string& title, const std::string& startFolder, const std::string& subFolder,
                                std::string* relativeFolder = nullptr);

// Whether two recorded paths name the same file-system item: equal paths do; paths of two existing
// items do when they are the same file or folder (links, case-folding file systems); paths of
// items that do not exist do when their absolute, normalised forms match ignoring case.
#pragma once

#include <string>

// A text that is equal for two paths exactly when they name the same item, so that large logs
// can be merged through a hash set instead of comparing every pair.
std::string ItemIdentity(const std::string& path);

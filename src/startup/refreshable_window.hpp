// A main window whose texts follow the interface language: the application asks it to load them
// again after a language change.
#pragma once

class CRefreshableWindow {
public:
    virtual ~CRefreshableWindow() = default;
    // Loads every text of the window and of its child windows again in the current language.
    virtual void RefreshTexts() = 0;
};

// A pop-up menu's items: the system menu of a dialog. Stands in for AppendMenuW, ModifyMenuW,
// RemoveMenu, EnableMenuItem, GetMenuState, GetMenuItemCount, GetMenuItemID and GetMenuStringW
// (CMenu); TrackPopupMenu is the dialog's TrackSystemMenu.
#pragma once

#include <optional>
#include <string>
#include <vector>

class QWidget;
class QPoint;

namespace platform::ui {

class CMenu {
public:
    struct Item {
        unsigned nID = 0;
        unsigned nFlags = 0;  // MF_SEPARATOR, MF_GRAYED, MF_DISABLED, MF_CHECKED
        std::string text;     // "&" marks the mnemonic; a tab separates the shortcut text
    };

    bool AppendMenu(unsigned nFlags, unsigned nIDNewItem = 0, const std::string& text = {});
    // nPosition is a command id (MF_BYCOMMAND) or a position (MF_BYPOSITION).
    bool ModifyMenu(unsigned nPosition, unsigned nFlags, unsigned nIDNewItem = 0, const std::string& text = {});
    bool RemoveMenu(unsigned nPosition, unsigned nFlags);
    // MF_ENABLED, MF_GRAYED or MF_DISABLED; returns the previous state, or -1 when there is no such item.
    int EnableMenuItem(unsigned nIDEnableItem, unsigned nEnable);
    // The item's flags, or -1 when there is no such item.
    int GetMenuState(unsigned nID, unsigned nFlags) const;
    int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
    // -1 for a separator or a position out of range.
    unsigned GetMenuItemID(int nPos) const;
    std::string GetMenuString(unsigned nIDItem, unsigned nFlags) const;

    // Shows the menu at a point of the screen and waits for the user; the chosen command, if any.
    std::optional<unsigned> Track(QWidget* owner, const QPoint& screen) const;

private:
    const Item* Find(unsigned nPosition, unsigned nFlags) const;
    Item* Find(unsigned nPosition, unsigned nFlags);
    std::vector<Item> m_items;
};

}  // namespace platform::ui

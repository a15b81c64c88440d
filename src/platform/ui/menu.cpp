#include "platform/ui/menu.hpp"

#include "platform/ui/detail/dialog_units.hpp"
#include "platform/ui/detail/qt_text.hpp"
#include "platform/ui/framework_constants.hpp"

#include <QAction>
#include <QMenu>
#include <QPoint>

namespace platform::ui {

const CMenu::Item* CMenu::Find(unsigned nPosition, unsigned nFlags) const {
    if (nFlags & MF_BYPOSITION) {
        return nPosition < m_items.size() ? &m_items[nPosition] : nullptr;
    }
    for (const auto& item : m_items) {
        if (!(item.nFlags & MF_SEPARATOR) && item.nID == nPosition) {
            return &item;
        }
    }
    return nullptr;
}

CMenu::Item* CMenu::Find(unsigned nPosition, unsigned nFlags) {
    return const_cast<Item*>(std::as_const(*this).Find(nPosition, nFlags));
}

bool CMenu::AppendMenu(unsigned nFlags, unsigned nIDNewItem, const std::string& text) {
    m_items.push_back({(nFlags & MF_SEPARATOR) ? 0 : nIDNewItem, nFlags & ~MF_BYPOSITION, text});
    return true;
}

bool CMenu::ModifyMenu(unsigned nPosition, unsigned nFlags, unsigned nIDNewItem, const std::string& text) {
    Item* item = Find(nPosition, nFlags);
    if (!item) {
        return false;
    }
    *item = {(nFlags & MF_SEPARATOR) ? 0 : nIDNewItem, nFlags & ~MF_BYPOSITION, text};
    return true;
}

bool CMenu::RemoveMenu(unsigned nPosition, unsigned nFlags) {
    const Item* item = Find(nPosition, nFlags);
    if (!item) {
        return false;
    }
    m_items.erase(m_items.begin() + (item - m_items.data()));
    return true;
}

int CMenu::EnableMenuItem(unsigned nIDEnableItem, unsigned nEnable) {
    Item* item = Find(nIDEnableItem, nEnable);
    if (!item) {
        return -1;
    }
    const int previous = static_cast<int>(item->nFlags & (MF_GRAYED | MF_DISABLED));
    item->nFlags = (item->nFlags & ~(MF_GRAYED | MF_DISABLED)) | (nEnable & (MF_GRAYED | MF_DISABLED));
    return previous;
}

int CMenu::GetMenuState(unsigned nID, unsigned nFlags) const {
    const Item* item = Find(nID, nFlags);
    return item ? static_cast<int>(item->nFlags) : -1;
}

unsigned CMenu::GetMenuItemID(int nPos) const {
    if (nPos < 0 || nPos >= GetMenuItemCount() || (m_items[static_cast<std::size_t>(nPos)].nFlags & MF_SEPARATOR)) {
        return static_cast<unsigned>(-1);
    }
    return m_items[static_cast<std::size_t>(nPos)].nID;
}

std::string CMenu::GetMenuString(unsigned nIDItem, unsigned nFlags) const {
    const Item* item = Find(nIDItem, nFlags);
    return item ? item->text : std::string();
}

std::optional<unsigned> CMenu::Track(QWidget* owner, const QPoint& screen) const {
    QMenu menu(owner);
    menu.setFont(detail::default_dialog_font());
    for (const auto& item : m_items) {
        if (item.nFlags & MF_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(detail::to_qstring(item.text));
        action->setData(item.nID);
        action->setEnabled(!(item.nFlags & (MF_GRAYED | MF_DISABLED)));
        if (item.nFlags & MF_CHECKED) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    }
    if (const QAction* chosen = menu.exec(screen)) {
        return chosen->data().toUInt();
    }
    return std::nullopt;
}

}  // namespace platform::ui

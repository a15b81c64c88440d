// Handlers by control id and notification, in a table per dialog class that falls back to its base
// class's table. Stands in for the message map of a dialog class (BEGIN_MESSAGE_MAP, ON_BN_CLICKED,
// ON_CBN_SELCHANGE, ON_EN_CHANGE, ON_COMMAND, ON_CONTROL).
//
// A dialog class lists its handlers in an override of GetMessageMap:
//
//   const CMessageMap* CDlgPath::GetMessageMap() const {
//       static const CMessageMap map(CDialog::GetMessageMap(), {
//           ON_BN_CLICKED(1006, &CDlgPath::OnBrowse),
//       });
//       return &map;
//   }
#pragma once

#include "platform/ui/framework_constants.hpp"

#include <functional>
#include <initializer_list>
#include <vector>

namespace platform::ui {

class CDialog;

class CMessageMap {
public:
    struct Entry {
        int nID = 0;
        unsigned nCode = 0;
        std::function<void(CDialog&)> handler;
    };

    CMessageMap(const CMessageMap* base, std::initializer_list<Entry> entries) : m_base(base), m_entries(entries) {}

    // The handler of this class, else of the nearest base class; null when none handles it.
    const Entry* Find(int nID, unsigned nCode) const {
        for (const CMessageMap* map = this; map; map = map->m_base) {
            for (const auto& entry : map->m_entries) {
                if (entry.nID == nID && entry.nCode == nCode) {
                    return &entry;
                }
            }
        }
        return nullptr;
    }

private:
    const CMessageMap* m_base;
    std::vector<Entry> m_entries;
};

// Entries for a member function of the dialog class T taking no arguments.
template <class T>
CMessageMap::Entry ON_CONTROL(unsigned nCode, int nID, void (T::*handler)()) {
    return {nID, nCode, [handler](CDialog& dialog) { (static_cast<T&>(dialog).*handler)(); }};
}

template <class T>
CMessageMap::Entry ON_COMMAND(int nID, void (T::*handler)()) {
    return ON_CONTROL(BN_CLICKED, nID, handler);
}

template <class T>
CMessageMap::Entry ON_BN_CLICKED(int nID, void (T::*handler)()) {
    return ON_CONTROL(BN_CLICKED, nID, handler);
}

template <class T>
CMessageMap::Entry ON_CBN_SELCHANGE(int nID, void (T::*handler)()) {
    return ON_CONTROL(CBN_SELCHANGE, nID, handler);
}

template <class T>
CMessageMap::Entry ON_EN_CHANGE(int nID, void (T::*handler)()) {
    return ON_CONTROL(EN_CHANGE, nID, handler);
}

}  // namespace platform::ui

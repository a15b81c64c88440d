// Drop-down lists, and the extended combo box that shows a picture in front of each item. Stands in
// for the COMBOBOX class (CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING, CB_GETCOUNT, CB_GETCURSEL,
// CB_SETCURSEL, CB_GETLBTEXT, CB_GETITEMDATA, CB_SETDROPPEDWIDTH, CB_GETDROPPEDWIDTH) and ComboBoxEx32
// (CBEM_SETIMAGELIST, CBEM_INSERTITEM).
// A program's selection sends no CBN_SELCHANGE; the user's does.
#pragma once

#include "platform/ui/window.hpp"

#include <cstdint>
#include <string>

namespace platform::ui {

class CImageList;

class CComboBox : public CWnd {
public:
    int AddString(const std::string& text);
    // nIndex -1 appends. Returns the item's index.
    int InsertString(int nIndex, const std::string& text);
    int DeleteString(int nIndex);
    int GetCount() const;
    int GetCurSel() const;
    // -1 clears the selection; an index out of range gives CB_ERR and clears it too.
    int SetCurSel(int nSelect);
    std::string GetLBText(int nIndex) const;
    std::intptr_t GetItemData(int nIndex) const;  // CB_ERR for an index out of range
    // The minimum width of the drop-down list in pixels; it is never narrower than the box.
    int SetDroppedWidth(int nWidth);
    int GetDroppedWidth() const;

    std::string GetWindowText() const override;

private:
    int m_nDroppedWidth = 0;
};

class CComboBoxEx : public CComboBox {
public:
    struct Item {
        int iItem = -1;  // position; -1 appends
        std::string text;
        int iImage = -1;  // index in the image list; -1: none
        int iSelectedImage = -1;
        std::intptr_t lParam = 0;  // the item's data
    };

    // The list is not owned; the box copies each picture when an item is inserted.
    CImageList* SetImageList(CImageList* pImageList);
    int InsertItem(const Item& item);

private:
    CImageList* m_pImageList = nullptr;
};

}  // namespace platform::ui

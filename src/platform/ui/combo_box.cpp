#include "platform/ui/combo_box.hpp"

#include "platform/ui/detail/control_factory.hpp"
#include "platform/ui/detail/qt_text.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/image_list.hpp"
#include "platform/ui/picture.hpp"

#include <QAbstractItemView>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <algorithm>

namespace platform::ui {
namespace {

QComboBox* combo_of(const CWnd* window) {
    return qobject_cast<QComboBox*>(window->GetSafeHwnd());
}

bool in_range(const QComboBox* box, int index) {
    return box && index >= 0 && index < box->count();
}

}  // namespace

int CComboBox::AddString(const std::string& text) {
    QComboBox* box = combo_of(this);
    if (!box) {
        return CB_ERR;
    }
    int index = box->count();
    if (m_dwStyle & CBS_SORT) {
        const QString item = detail::to_qstring(text);
        index = 0;
        while (index < box->count() && box->itemText(index).compare(item, Qt::CaseInsensitive) <= 0) {
            ++index;
        }
    }
    return InsertString(index, text);
}

int CComboBox::InsertString(int nIndex, const std::string& text) {
    QComboBox* box = combo_of(this);
    if (!box || nIndex > box->count()) {
        return CB_ERR;
    }
    const int index = nIndex < 0 ? box->count() : nIndex;
    const int selected = box->currentIndex();
    box->insertItem(index, detail::to_qstring(text));
    // A list box keeps nothing selected until it is told to.
    box->setCurrentIndex(selected >= index ? selected + 1 : selected);
    return index;
}

int CComboBox::DeleteString(int nIndex) {
    QComboBox* box = combo_of(this);
    if (!in_range(box, nIndex)) {
        return CB_ERR;
    }
    box->removeItem(nIndex);
    return box->count();
}

int CComboBox::GetCount() const {
    const QComboBox* box = combo_of(this);
    return box ? box->count() : CB_ERR;
}

int CComboBox::GetCurSel() const {
    const QComboBox* box = combo_of(this);
    return box ? box->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int nSelect) {
    QComboBox* box = combo_of(this);
    if (!box) {
        return CB_ERR;
    }
    if (!in_range(box, nSelect)) {
        box->setCurrentIndex(-1);
        return nSelect == -1 ? -1 : CB_ERR;
    }
    box->setCurrentIndex(nSelect);
    return nSelect;
}

std::string CComboBox::GetLBText(int nIndex) const {
    const QComboBox* box = combo_of(this);
    return in_range(box, nIndex) ? detail::to_utf8(box->itemText(nIndex)) : std::string();
}

std::intptr_t CComboBox::GetItemData(int nIndex) const {
    const QComboBox* box = combo_of(this);
    if (!in_range(box, nIndex)) {
        return CB_ERR;
    }
    return static_cast<std::intptr_t>(box->itemData(nIndex).toLongLong());
}

int CComboBox::SetDroppedWidth(int nWidth) {
    QComboBox* box = combo_of(this);
    if (!box || nWidth < 0) {
        return CB_ERR;
    }
    m_nDroppedWidth = nWidth;
    box->view()->setMinimumWidth(nWidth);
    return GetDroppedWidth();
}

int CComboBox::GetDroppedWidth() const {
    const QComboBox* box = combo_of(this);
    return box ? std::max(m_nDroppedWidth, box->width()) : CB_ERR;
}

std::string CComboBox::GetWindowText() const {
    const QComboBox* box = combo_of(this);
    return box ? detail::to_utf8(box->currentText()) : std::string();
}

CImageList* CComboBoxEx::SetImageList(CImageList* pImageList) {
    CImageList* previous = m_pImageList;
    m_pImageList = pImageList;
    if (QComboBox* box = combo_of(this); box && pImageList && pImageList->IsCreated()) {
        const CSize size = pImageList->GetImageSize();
        box->setIconSize(QSize(size.cx, size.cy));
    }
    return previous;
}

int CComboBoxEx::InsertItem(const Item& item) {
    const int index = InsertString(item.iItem, item.text);
    if (index < 0) {
        return CB_ERR;
    }
    QComboBox* box = combo_of(this);
    box->setItemData(index, QVariant::fromValue<qlonglong>(item.lParam));
    if (const CPicture* picture = m_pImageList ? m_pImageList->GetImage(item.iImage) : nullptr) {
        box->setItemIcon(index, QIcon(QPixmap::fromImage(picture->Image())));
    }
    return index;
}

namespace detail {
namespace {

template <class Window>
std::unique_ptr<CWnd> make_box(const platform::resources::control_template& control, const control_context& context) {
    auto* box = new QComboBox(context.parent);
    const std::uint32_t type = control.style & 0x3;
    box->setEditable(type == CBS_DROPDOWN || type == CBS_SIMPLE);
    box->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(box, &QComboBox::activated, box, [notify = context.notify] { notify(CBN_SELCHANGE); });
    auto window = std::make_unique<Window>();
    window->Attach(box, false, control.id, control.style, control.ex_style);
    // The template's height is that of the box with its list dropped down; the closed box is one
    // line high.
    const int closed = box->sizeHint().height();
    box->setGeometry(context.rect.x(), context.rect.y(), context.rect.width(), closed);
    const int line = std::max(box->fontMetrics().height(), 1);
    box->setMaxVisibleItems(std::max((context.rect.height() - closed) / line, 1));
    apply_common_styles(box, control);
    return window;
}

}  // namespace

std::unique_ptr<CWnd> make_combo_box(const platform::resources::control_template& control,
                                     const control_context& context) {
    return make_box<CComboBox>(control, context);
}

std::unique_ptr<CWnd> make_combo_box_ex(const platform::resources::control_template& control,
                                        const control_context& context) {
    return make_box<CComboBoxEx>(control, context);
}

}  // namespace detail
}  // namespace platform::ui

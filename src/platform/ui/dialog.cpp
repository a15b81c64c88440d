#include "platform/ui/dialog.hpp"

#include "platform/resources/resource_module.hpp"
#include "platform/ui/application.hpp"
#include "platform/ui/button.hpp"
#include "platform/ui/data_exchange.hpp"
#include "platform/ui/detail/compact_path.hpp"
#include "platform/ui/detail/control_factory.hpp"
#include "platform/ui/detail/data_exchange_failure.hpp"
#include "platform/ui/detail/dialog_units.hpp"
#include "platform/ui/detail/dialog_window.hpp"
#include "platform/ui/detail/framework_texts.hpp"
#include "platform/ui/detail/qt_text.hpp"
#include "platform/ui/message_box.hpp"

#include <QApplication>
#include <QButtonGroup>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <exception>

namespace platform::ui {

namespace res = platform::resources;

CDialog::CDialog(unsigned nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pOwnerWnd(pParentWnd) {}

CDialog::CDialog(res::dialog_template dialogTemplate, CWnd* pParentWnd)
    : m_template(std::move(dialogTemplate)), m_pOwnerWnd(pParentWnd) {}

CDialog::~CDialog() {
    DestroyWindow();
}

std::optional<res::dialog_template> CDialog::LoadTemplate() const {
    if (m_template) {
        return m_template;
    }
    const auto bytes = res::resource_module::self().find(res::rt_dialog, m_nIDTemplate);
    return bytes ? res::decode_dialog(*bytes) : std::nullopt;
}

bool CDialog::BuildWindow(const res::dialog_template& dialogTemplate, QWidget* window) {
    Attach(window, true, 0, dialogTemplate.style, dialogTemplate.ex_style);
    const QFont font = detail::dialog_font(dialogTemplate);
    window->setFont(font);
    const detail::base_units units = detail::base_units_of(font);
    m_nBaseUnitX = units.cx;
    m_nBaseUnitY = units.cy;
    if (dialogTemplate.ex_style & WS_EX_LAYOUTRTL) {
        window->setLayoutDirection(Qt::RightToLeft);
    }
    const QRect frame =
        detail::to_pixels(units, dialogTemplate.x, dialogTemplate.y, dialogTemplate.cx, dialogTemplate.cy);
    if (window->isWindow()) {
        window->setFixedSize(frame.size());
    } else {
        window->setGeometry(frame);
    }
    SetWindowText(dialogTemplate.caption);

    m_controls.clear();
    m_nDefID = IDOK;
    QButtonGroup* group = nullptr;
    for (const auto& control : dialogTemplate.controls) {
        detail::control_context context;
        context.parent = window;
        context.dialog = this;
        context.rect = detail::to_pixels(units, control.x, control.y, control.cx, control.cy);
        context.notify = [this, id = control.id](unsigned code) { Dispatch(id, code); };
        auto made = detail::make_control(control, context);
        if (!made) {
            return false;
        }
        // One exclusive group per WS_GROUP run holds its radio buttons.
        if (control.style & WS_GROUP) {
            group = nullptr;
        }
        if (auto* button = dynamic_cast<CButton*>(made.get())) {
            if (button->IsRadioButton()) {
                if (!group) {
                    group = new QButtonGroup(window);
                }
                group->addButton(static_cast<QAbstractButton*>(button->GetSafeHwnd()));
            } else if (button->GetButtonType() == BS_DEFPUSHBUTTON) {
                m_nDefID = control.id;
            }
        }
        m_controls.push_back(std::move(made));
    }
    return true;
}

void CDialog::OnWindowDestroyed() {
    m_controls.clear();
    CWnd::OnWindowDestroyed();
}

int CDialog::DoModal() {
    const auto dialogTemplate = LoadTemplate();
    if (!dialogTemplate) {
        return -1;
    }
    CWnd* owner = m_pOwnerWnd;
    if (!owner && AfxGetMainWnd() != this) {
        owner = AfxGetMainWnd();
    }
    QWidget* ownerWidget =
        owner && owner->GetSafeHwnd() ? owner->GetSafeHwnd()->window() : QApplication::activeWindow();
    auto* window = new detail::dialog_window(*this, ownerWidget, dialogTemplate->style & WS_MINIMIZEBOX);
    // The window goes on every path, also when OnInitDialog throws.
    struct destroy_on_exit {
        CDialog* dialog;
        ~destroy_on_exit() { dialog->DestroyWindow(); }
    } destroy{this};
    if (!BuildWindow(*dialogTemplate, window)) {
        return -1;
    }
    m_bEnded = false;
    m_nModalResult = -1;
    if (OnInitDialog()) {
        FocusFirstTabStop();
    }
    if (!m_bEnded && GetSafeHwnd() == window) {
        window->exec();
    }
    return m_nModalResult;
}

bool CDialog::Create(unsigned nIDTemplate, CWnd* pParentWnd) {
    m_nIDTemplate = nIDTemplate;
    m_template.reset();
    return Create(pParentWnd);
}

bool CDialog::Create(CWnd* pParentWnd) {
    const auto dialogTemplate = LoadTemplate();
    if (!dialogTemplate || !pParentWnd || !pParentWnd->GetSafeHwnd()) {
        return false;
    }
    auto* window = new QWidget(pParentWnd->GetSafeHwnd());
    window->hide();
    if (!BuildWindow(*dialogTemplate, window)) {
        DestroyWindow();
        return false;
    }
    m_bEnded = false;
    if (OnInitDialog()) {
        FocusFirstTabStop();
    }
    if (QWidget* built = GetSafeHwnd(); built && (dialogTemplate->style & WS_VISIBLE)) {
        built->show();
    }
    return true;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    m_bEnded = true;
    QWidget* window = GetSafeHwnd();
    if (auto* modal = dynamic_cast<detail::dialog_window*>(window)) {
        modal->end(nResult);
    } else if (window) {
        window->hide();
    }
}

bool CDialog::UpdateData(bool bSaveAndValidate) {
    CDataExchange exchange(this, bSaveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const detail::data_exchange_failure&) {
        return false;
    }
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

const CMessageMap* CDialog::GetMessageMap() const {
    static const CMessageMap map(nullptr, {
                                              ON_COMMAND(IDOK, &CDialog::OnOK),
                                              ON_COMMAND(IDCANCEL, &CDialog::OnCancel),
                                          });
    return &map;
}

bool CDialog::OnCommand(int nID, unsigned nCode) {
    if (const CMessageMap::Entry* entry = GetMessageMap()->Find(nID, nCode)) {
        entry->handler(*this);
        return true;
    }
    return false;
}

void CDialog::Dispatch(int nID, unsigned nCode) {
    try {
        OnCommand(nID, nCode);
    } catch (const detail::data_exchange_failure&) {
        // The validation has told the user.
    } catch (const std::exception& e) {
        AfxMessageBox(e.what(), MB_ICONERROR);
    }
}

void CDialog::OnCloseRequest() {
    if (const CWnd* cancel = GetDlgItem(IDCANCEL); cancel && !cancel->IsWindowEnabled()) {
        return;
    }
    Dispatch(IDCANCEL, BN_CLICKED);
}

void CDialog::FocusFirstTabStop() {
    for (const auto& control : m_controls) {
        if ((control->GetStyle() & WS_TABSTOP) && control->IsWindowEnabled() && (control->GetStyle() & WS_VISIBLE)) {
            control->SetFocus();
            return;
        }
    }
}

CWnd* CDialog::GetDlgItem(int nID) const {
    for (const auto& control : m_controls) {
        if (control->GetDlgCtrlID() == nID && control->GetSafeHwnd()) {
            return control.get();
        }
    }
    return nullptr;
}

std::vector<CWnd*> CDialog::GetControls() const {
    std::vector<CWnd*> controls;
    for (const auto& control : m_controls) {
        if (control->GetSafeHwnd()) {
            controls.push_back(control.get());
        }
    }
    return controls;
}

std::vector<CButton*> CDialog::GetRadioGroup(int nFirstID) const {
    std::vector<CButton*> group;
    auto first = std::find_if(m_controls.begin(), m_controls.end(),
                              [nFirstID](const auto& control) { return control->GetDlgCtrlID() == nFirstID; });
    for (auto it = first; it != m_controls.end(); ++it) {
        if (it != first && ((*it)->GetStyle() & WS_GROUP)) {
            break;
        }
        if (auto* button = dynamic_cast<CButton*>(it->get()); button && button->IsRadioButton()) {
            group.push_back(button);
        } else if (it == first) {
            break;
        }
    }
    return group;
}

void CDialog::SetDlgItemText(int nID, const std::string& text) {
    if (CWnd* control = GetDlgItem(nID)) {
        control->SetWindowText(text);
    }
}

std::string CDialog::GetDlgItemText(int nID) const {
    const CWnd* control = GetDlgItem(nID);
    return control ? control->GetWindowText() : std::string();
}

void CDialog::SetDlgItemPath(int nID, const std::string& path) {
    CWnd* control = GetDlgItem(nID);
    if (!control || !control->GetSafeHwnd()) {
        return;
    }
    const QWidget* widget = control->GetSafeHwnd();
    const QString compact =
        detail::compact_path(detail::to_qstring(path), widget->fontMetrics(), control->GetClientRect().Width());
    control->SetWindowText(detail::to_utf8(compact));
}

void CDialog::CheckDlgButton(int nID, int nCheck) {
    if (auto* button = GetDlgItem<CButton>(nID)) {
        button->SetCheck(nCheck);
    }
}

int CDialog::IsDlgButtonChecked(int nID) const {
    const auto* button = GetDlgItem<CButton>(nID);
    return button ? button->GetCheck() : BST_UNCHECKED;
}

void CDialog::CheckRadioButton(int nFirst, int nLast, int nCheck) {
    for (const auto& control : m_controls) {
        const int id = control->GetDlgCtrlID();
        if (auto* button = dynamic_cast<CButton*>(control.get()); button && id >= nFirst && id <= nLast) {
            button->SetCheck(id == nCheck ? BST_CHECKED : BST_UNCHECKED);
        }
    }
}

int CDialog::GetCheckedRadioButton(int nFirst, int nLast) const {
    for (const auto& control : m_controls) {
        const int id = control->GetDlgCtrlID();
        if (auto* button = dynamic_cast<CButton*>(control.get());
            button && id >= nFirst && id <= nLast && button->IsRadioButton() && button->GetCheck() == BST_CHECKED) {
            return id;
        }
    }
    return 0;
}

void CDialog::SetDefID(int nID) {
    m_nDefID = nID;
    for (const auto& control : m_controls) {
        if (auto* push = qobject_cast<QPushButton*>(control->GetSafeHwnd())) {
            push->setDefault(control->GetDlgCtrlID() == nID);
        }
    }
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
    if (pWndCtrl) {
        pWndCtrl->SetFocus();
        if (auto* push = qobject_cast<QPushButton*>(pWndCtrl->GetSafeHwnd()); push && push->autoDefault()) {
            push->setDefault(true);
        }
    }
}

CRect CDialog::MapDialogRect(const CRect& rect) const {
    return detail::map_dialog_rect({m_nBaseUnitX, m_nBaseUnitY}, rect);
}

CMenu* CDialog::GetSystemMenu(bool bRevert) {
    if (!m_sysMenu || bRevert) {
        CMenu menu;
        menu.AppendMenu(MF_STRING, SC_RESTORE, detail::texts::restore);
        menu.AppendMenu(MF_STRING, SC_SIZE, detail::texts::size);
        menu.AppendMenu(MF_STRING, SC_MINIMIZE, detail::texts::minimize);
        menu.AppendMenu(MF_STRING, SC_MAXIMIZE, detail::texts::maximize);
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING, SC_CLOSE, detail::texts::close);
        m_sysMenu = std::move(menu);
    }
    return bRevert ? nullptr : &*m_sysMenu;
}

void CDialog::OnInitMenuPopup(CMenu* pPopupMenu, bool bSysMenu) {
    if (!bSysMenu || !pPopupMenu) {
        return;
    }
    const bool minimized = IsIconic();
    const CWnd* cancel = GetDlgItem(IDCANCEL);
    pPopupMenu->EnableMenuItem(SC_RESTORE, minimized ? MF_ENABLED : MF_GRAYED);
    pPopupMenu->EnableMenuItem(SC_MINIMIZE, minimized ? MF_GRAYED : MF_ENABLED);
    pPopupMenu->EnableMenuItem(SC_SIZE, MF_GRAYED);
    pPopupMenu->EnableMenuItem(SC_MAXIMIZE, MF_GRAYED);
    pPopupMenu->EnableMenuItem(SC_CLOSE, cancel && !cancel->IsWindowEnabled() ? MF_GRAYED : MF_ENABLED);
}

void CDialog::TrackSystemMenu(CPoint screen) {
    QWidget* window = GetSafeHwnd();
    if (!window) {
        return;
    }
    CMenu* menu = GetSystemMenu();
    OnInitMenuPopup(menu, true);
    const QPointer<QWidget> alive(window);
    const auto command = menu->Track(window, QPoint(screen.x, screen.y));
    if (command && alive) {
        try {
            OnSysCommand(*command);
        } catch (const std::exception& e) {
            AfxMessageBox(e.what(), MB_ICONERROR);
        }
    }
}

void CDialog::OnSysCommand(unsigned nID) {
    QWidget* window = GetSafeHwnd();
    switch (nID & 0xFFF0) {
        case SC_CLOSE:
            OnCloseRequest();
            break;
        case SC_MINIMIZE:
            if (window) {
                window->showMinimized();
            }
            break;
        case SC_RESTORE:
            if (window) {
                window->showNormal();
            }
            break;
        default:
            break;
    }
}

}  // namespace platform::ui

#include "platform/ui/data_exchange.hpp"

#include "platform/ui/button.hpp"
#include "platform/ui/combo_box.hpp"
#include "platform/ui/detail/data_exchange_failure.hpp"
#include "platform/ui/detail/framework_texts.hpp"
#include "platform/ui/detail/qt_text.hpp"
#include "platform/ui/dialog.hpp"
#include "platform/ui/edit.hpp"
#include "platform/ui/message_box.hpp"

#include <stdexcept>

namespace platform::ui {

CWnd* CDataExchange::PrepareCtrl(int nIDC) {
    CWnd* control = m_pDlgWnd->GetDlgItem(nIDC);
    if (!control) {
        throw std::invalid_argument("the dialog has no control " + std::to_string(nIDC));
    }
    m_pLastControl = control;
    m_bEditLastControl = false;
    return control;
}

CWnd* CDataExchange::PrepareEditCtrl(int nIDC) {
    CWnd* control = PrepareCtrl(nIDC);
    m_bEditLastControl = dynamic_cast<CEdit*>(control) != nullptr;
    return control;
}

void CDataExchange::Fail() {
    if (m_pLastControl) {
        m_pLastControl->SetFocus();
        if (m_bEditLastControl) {
            static_cast<CEdit*>(m_pLastControl)->SetSel(0, -1);
        }
    }
    throw detail::data_exchange_failure{};
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
    CWnd* control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = control->GetWindowText();
    } else {
        control->SetWindowText(value);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    auto* button = dynamic_cast<CButton*>(pDX->PrepareCtrl(nIDC));
    if (!button) {
        throw std::invalid_argument("control " + std::to_string(nIDC) + " is not a button");
    }
    if (pDX->m_bSaveAndValidate) {
        value = button->GetCheck();
    } else {
        button->SetCheck(value);
    }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    pDX->PrepareCtrl(nIDC);
    const std::vector<CButton*> group = pDX->m_pDlgWnd->GetRadioGroup(nIDC);
    if (group.empty()) {
        throw std::invalid_argument("control " + std::to_string(nIDC) + " does not start a group of radio buttons");
    }
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (group[i]->GetCheck() == BST_CHECKED) {
                value = static_cast<int>(i);
                break;
            }
        }
    } else {
        for (std::size_t i = 0; i < group.size(); ++i) {
            group[i]->SetCheck(static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED);
        }
    }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& value) {
    auto* box = dynamic_cast<CComboBox*>(pDX->PrepareCtrl(nIDC));
    if (!box) {
        throw std::invalid_argument("control " + std::to_string(nIDC) + " is not a combo box");
    }
    if (pDX->m_bSaveAndValidate) {
        value = box->GetCurSel();
    } else {
        box->SetCurSel(value);
    }
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars) {
    CWnd* control = pDX->GetLastControl();
    if (!pDX->m_bSaveAndValidate) {
        if (auto* edit = dynamic_cast<CEdit*>(control)) {
            edit->LimitText(nChars);
        }
        return;
    }
    if (detail::to_qstring(value).size() > nChars) {
        QString text = QString::fromUtf8(detail::texts::max_chars);
        text.replace(QStringLiteral("%1"), QString::number(nChars));
        AfxMessageBox(detail::to_utf8(text), MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

}  // namespace platform::ui

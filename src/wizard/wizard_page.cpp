#include "wizard/wizard_page.hpp"

#include "platform/ui/static_control.hpp"

#include <algorithm>
#include <numeric>

namespace {

using platform::ui::CRect;
using platform::ui::CWnd;

// The control's rectangle in the page's client coordinates.
CRect ControlRect(const CWnd& page, const CWnd& control) {
    CRect rect = control.GetWindowRect();
    page.ScreenToClient(rect);
    return rect;
}

bool Contains(const CRect& outer, const CRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

int LowestBottom(const std::vector<CRect>& rects) {
    int lowest = 0;
    for (const CRect& rect : rects) {
        lowest = std::max(lowest, rect.bottom);
    }
    return lowest;
}

}  // namespace

void CWizardPage::GrowControl(int nID, int dw, int dh) {
    if (CWnd* control = GetDlgItem(nID)) {
        CRect rect = ControlRect(*this, *control);
        rect.right += dw;
        rect.bottom += dh;
        control->MoveWindow(rect, false);
    }
}

void CWizardPage::MoveControl(int nID, int dx, int dy) {
    if (CWnd* control = GetDlgItem(nID)) {
        CRect rect = ControlRect(*this, *control);
        rect.OffsetRect(dx, dy);
        control->MoveWindow(rect, false);
    }
}

void CWizardPage::KeepRoomFor(int nID, std::vector<std::string> texts) {
    m_laterTexts[nID] = std::move(texts);
}

int CWizardPage::NeededHeight(const CWnd& control) const {
    const auto* text = dynamic_cast<const platform::ui::CStatic*>(&control);
    if (!text) {
        return 0;
    }
    int needed = text->GetNeededSize().cy;
    if (const auto later = m_laterTexts.find(control.GetDlgCtrlID()); later != m_laterTexts.end()) {
        for (const std::string& shown : later->second) {
            needed = std::max(needed, text->GetNeededSize(shown).cy);
        }
    }
    return needed;
}

int CWizardPage::FitTexts() {
    const std::vector<CWnd*> controls = GetControls();
    std::vector<CRect> rects;
    rects.reserve(controls.size());
    for (const CWnd* control : controls) {
        rects.push_back(ControlRect(*this, *control));
    }
    const std::vector<CRect> before = rects;

    // From the top down, so that a text that an earlier one moved makes its room where it now is.
    std::vector<std::size_t> order(controls.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return before[a].top < before[b].top; });
    for (const std::size_t i : order) {
        const int lacking = NeededHeight(*controls[i]) - rects[i].Height();
        if (lacking <= 0) {
            continue;
        }
        const CRect text = rects[i];
        for (std::size_t j = 0; j < rects.size(); ++j) {
            if (j == i) {
                continue;
            }
            if (rects[j].top >= text.bottom) {
                rects[j].OffsetRect(0, lacking);
            } else if (Contains(rects[j], text)) {
                rects[j].bottom += lacking;
            }
        }
        rects[i].bottom += lacking;
    }

    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (!(rects[i] == before[i])) {
            controls[i]->MoveWindow(rects[i], false);
        }
    }
    return std::max(LowestBottom(rects) - LowestBottom(before), 0);
}

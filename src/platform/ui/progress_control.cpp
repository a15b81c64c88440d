#include "platform/ui/progress_control.hpp"

#include "platform/ui/detail/control_factory.hpp"
#include "platform/ui/framework_constants.hpp"

#include <QProgressBar>

#include <algorithm>

namespace platform::ui {

void CProgressCtrl::SetRange32(int nLower, int nUpper) {
    if (auto* bar = qobject_cast<QProgressBar*>(GetSafeHwnd())) {
        bar->setRange(nLower, std::max(nLower, nUpper));
    }
}

void CProgressCtrl::GetRange(int& nLower, int& nUpper) const {
    const auto* bar = qobject_cast<const QProgressBar*>(GetSafeHwnd());
    nLower = bar ? bar->minimum() : 0;
    nUpper = bar ? bar->maximum() : 0;
}

int CProgressCtrl::SetPos(int nPos) {
    auto* bar = qobject_cast<QProgressBar*>(GetSafeHwnd());
    if (!bar) {
        return 0;
    }
    const int previous = GetPos();
    bar->setValue(std::clamp(nPos, bar->minimum(), bar->maximum()));
    return previous;
}

int CProgressCtrl::GetPos() const {
    const auto* bar = qobject_cast<const QProgressBar*>(GetSafeHwnd());
    // A bar that was never set reads its lower bound, as on Windows.
    return bar ? std::max(bar->value(), bar->minimum()) : 0;
}

namespace detail {

std::unique_ptr<CWnd> make_progress(const platform::resources::control_template& control,
                                    const control_context& context) {
    auto* bar = new QProgressBar(context.parent);
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setOrientation((control.style & PBS_VERTICAL) ? Qt::Vertical : Qt::Horizontal);
    bar->setFocusPolicy(Qt::NoFocus);
    auto window = std::make_unique<CProgressCtrl>();
    window->Attach(bar, false, control.id, control.style, control.ex_style);
    bar->setGeometry(context.rect);
    apply_common_styles(bar, control);
    return window;
}

}  // namespace detail
}  // namespace platform::ui

#include "wizard_fixture.hpp"

#include "platform/resources/dialog_template.hpp"
#include "platform/resources/resource_module.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/ui_test.hpp"
#include "startup/application_id.hpp"
#include "startup/language_catalogue.hpp"
#include "startup/process_guards.hpp"

#include <QAbstractButton>
#include <QComboBox>
#include <QWidget>

namespace ui = platform::ui;
namespace res = platform::resources;

namespace wizard_test {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

bool enabled(const ui::CWnd* window) {
    return window && window->IsWindowEnabled();
}

void click(const ui::CWnd* button) {
    ASSERT_TRUE(button);
    static_cast<QAbstractButton*>(button->GetSafeHwnd())->click();
}

void choose_item(ui::CComboBox& list, int index) {
    auto* box = qobject_cast<QComboBox*>(list.GetSafeHwnd());
    ASSERT_TRUE(box);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

ui::CRect rect_in(const ui::CWnd& in, const ui::CWnd& window) {
    ui::CRect rect = window.GetWindowRect();
    in.ScreenToClient(rect);
    return rect;
}

ui::CRect pixels(const ui::CDialog& units, int x, int y, int cx, int cy) {
    const ui::CRect mapped = units.MapDialogRect({x, y, cx, cy});
    return {mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

namespace {

res::dialog_template dialog_template_of(unsigned id) {
    const auto bytes = res::resource_module::self().find(res::rt_dialog, id);
    const auto decoded = bytes ? res::decode_dialog(*bytes) : std::nullopt;
    if (!decoded) {
        ADD_FAILURE() << "no usable dialog template " << id;
        return {};
    }
    return *decoded;
}

}  // namespace

ui::CRect page_pixels(const ui::CDialog& units, unsigned templateId) {
    const res::dialog_template page = dialog_template_of(templateId);
    return pixels(units, 0, 0, page.cx, page.cy);
}

ui::CRect control_pixels(const ui::CDialog& units, unsigned templateId, int controlId) {
    for (const auto& control : dialog_template_of(templateId).controls) {
        if (control.id == controlId) {
            return pixels(units, control.x, control.y, control.cx, control.cy);
        }
    }
    ADD_FAILURE() << "template " << templateId << " has no control " << controlId;
    return {};
}

bool CTestHost::RunInstallation() {
    for (const int id : {3, ui::IDOK, ui::IDCANCEL}) {
        m_bButtonsEnabledDuringRun[id == 3 ? 0 : id] = enabled(GetDlgItem(id));
    }
    const bool result = m_nRuns < static_cast<int>(m_results.size()) && m_results[m_nRuns];
    ++m_nRuns;
    m_dlgInstall.AppendLogLine("run " + std::to_string(m_nRuns) + (result ? " OK\r\n" : " Failed\r\n"), false);
    return result;
}

WizardTest::WizardTest() : counter(GetApplicationId()), m_savedLanguage(GetLanguageState().current) {
    ui_test::ensure_application();
    CheckProcessor();
    app.emplace(&counter);
    EXPECT_TRUE(app->StartSession());
}

WizardTest::~WizardTest() {
    app.reset();
    MakeLanguageCurrent(m_savedLanguage);
}

int WizardTest::RunHost(CInstallDlg& host, const std::function<void()>& body) {
    app->m_pMainWnd = &host;
    ui_test::when_modal([&] {
        body();
        if (QWidget* window = host.GetSafeHwnd(); window && window->isVisible()) {
            host.EndDialog(kStillOpen);
        }
    });
    const int result = host.DoModal();
    app->m_pMainWnd = nullptr;
    return result;
}

}  // namespace wizard_test

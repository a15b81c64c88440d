// Wizard page 4: the summary of what is about to be installed and where; once Install is pressed, the
// surface the installation run reports on (log, progress bar, status line).
#pragma once

#include "engine/install_progress_page.hpp"
#include "wizard/wizard_page.hpp"

#include <string>

class CDlgInstall : public CWizardPage, public InstallProgressPage {
public:
    static constexpr unsigned IDD = 135;

    CDlgInstall() : CWizardPage(IDD) {}

    bool OnInitDialog() override;
    void RefreshTexts() override;
    void GrowBy(int dw, int dh) override;

    // The installation run, reporting on this page; true when the product is installed.
    bool RunInstallation();

    // InstallProgressPage.
    void SetStatusText(const std::string& text) override;
    void SetStatusPath(const std::string& text) override;
    void AppendLogLine(const std::string& text, bool separator) override;
    void SetProgress(int percent) override;
    void ShowProgress() override;
    platform::ui::CWnd* GetProgressWindow() override { return this; }

protected:
    // Loading rebuilds the summary until the product is installed; then the log keeps the run's report.
    void DoDataExchange(platform::ui::CDataExchange* pDX) override;

private:
    void BuildSummary();
    // A line of dashes as wide as the log, with the text (when there is one) centred in it.
    std::string DashLine(const std::string& text) const;
};

#include "engine/step_report.hpp"

#include "engine/engine_texts.hpp"
#include "engine/install_progress_page.hpp"
#include "startup/format_text.hpp"
#include "startup/language_texts.hpp"

void BeginStep(InstallProgressPage& page, const std::string& text) {
    page.SetStatusText(text);
    page.AppendLogLine(text, false);
}

void AppendOutcome(InstallProgressPage& page, bool ok) {
    page.AppendLogLine(LoadText(ok ? engine_text::kOk : engine_text::kFailed) + "\r\n", false);
}

std::string InstallationFailedText(const std::string& code) {
    return FormatText(LoadText(engine_text::kInstallationFailed), {code});
}

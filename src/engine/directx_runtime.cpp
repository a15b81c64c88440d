#include "engine/directx_runtime.hpp"

#include "engine/engine_texts.hpp"
#include "engine/install_progress_page.hpp"
#include "engine/step_report.hpp"
#include "platform/text/utf_convert.hpp"
#include "platform/ui/message_pump.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"

#include <algorithm>

namespace kernel = platform::kernel;

namespace {

std::uint32_t OnSetupCallback(std::uint32_t reason, std::uint32_t, const char16_t*, const char16_t*, void*) {
    if (reason == directx_setup::kProgressReason) {
        platform::ui::PumpMessages();
    }
    return directx_setup::kAnswerOk;
}

}  // namespace

DirectXRuntime::DirectXRuntime(boost::filesystem::path folder) : m_folder(std::move(folder)) {
    const boost::filesystem::path file = m_folder / directx_setup::kLibraryName;
    std::error_code error;
    m_library = kernel::dynamic_library::load(file, kernel::search_default_dirs, error);
    if (!m_library) {
        m_library = kernel::dynamic_library::load(file, kernel::load_default, error);
    }
    if (!m_library) {
        return;
    }
    auto* getVersion = m_library.entry_point_as<directx_setup::get_version_function>("DirectXSetupGetVersion", error);
    std::uint32_t version = 0;
    std::uint32_t revision = 0;
    if (!getVersion || getVersion(&version, &revision) == 0 || version < directx_setup::kMinimumVersion ||
        revision < directx_setup::kMinimumRevision) {
        m_library = {};
    }
}

bool DirectXRuntime::Run(platform::ui::CWnd* owner) const {
    if (!m_library) {
        return false;
    }
    std::error_code error;
    auto* setCallback =
        m_library.entry_point_as<directx_setup::set_callback_function>("DirectXSetupSetCallback", error);
    auto* setup = m_library.entry_point_as<directx_setup::setup_function>("DirectXSetupW", error);
    if (!setCallback || !setup) {
        return false;
    }
    setCallback(&OnSetupCallback);
    const std::u16string folder = platform::text::utf8_to_utf16(m_folder.string());
    const std::int32_t result = setup(owner, folder.c_str(), directx_setup::kComponents);
    setCallback(nullptr);  // the library may outlive this run in the process; our callback is for it only
    return result == directx_setup::kSuccess || result == directx_setup::kSuccessRestart;
}

const char* DirectXStepOutcomeText(DirectXStepOutcome outcome) {
    switch (outcome) {
        case DirectXStepOutcome::NoUsableLibrary:
            return "skipped (no usable setup library, or DirectX older than 9.0c)";
        case DirectXStepOutcome::SetUpBefore:
            return "skipped (set up by the previous installation)";
        case DirectXStepOutcome::Succeeded:
            return "OK";
        case DirectXStepOutcome::Failed:
            break;
    }
    return "FAILED";
}

DirectXStepOutcome SetUpDirectXRuntime(CInstallApp& app, InstallProgressPage& page) {
    const DirectXRuntime runtime(app.m_strTempFolder);
    if (!runtime) {
        return DirectXStepOutcome::NoUsableLibrary;
    }
    if (app.m_nPreviousInstall != PreviousSame) {
        const auto& previous = app.m_uninstallLog.previousEntries;
        if (std::any_of(previous.begin(), previous.end(), [](const UninstallLogEntry& entry) {
                return entry.kind == UninstallLogEntry::DirectXRuntime && entry.done;
            })) {
            return DirectXStepOutcome::SetUpBefore;
        }
    }
    PendingChange change = app.m_uninstallLog.AddDirectX();
    const std::string text = LoadText(engine_text::kDirectXUpdate);
    BeginStep(page, text);
    const bool ok = runtime.Run(page.GetProgressWindow());
    change.Complete(ok, text);
    AppendOutcome(page, ok);
    return ok ? DirectXStepOutcome::Succeeded : DirectXStepOutcome::Failed;
}

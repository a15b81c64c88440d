#include "startup/install_app.hpp"

#include "identity/product_identity.hpp"
#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/locale/locale_ids.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/ui/framework_constants.hpp"
#include "security/access_control.hpp"
#include "startup/application_id.hpp"
#include "startup/format_text.hpp"
#include "startup/installed_product.hpp"
#include "startup/instance_counter.hpp"
#include "startup/language_catalogue.hpp"
#include "startup/language_texts.hpp"
#include "startup/process_guards.hpp"
#include "startup/startup_error.hpp"
#include "startup/startup_ui.hpp"

#include <boost/filesystem/path.hpp>

namespace ui = platform::ui;
namespace shell = platform::shell;
namespace kernel = platform::kernel;
namespace diagnostics = platform::diagnostics;

namespace {

constexpr std::uint32_t kTitleText = 1000;
constexpr std::uint32_t kNotAdministratorText = 1126;
constexpr std::uint32_t kProductRunningText = 1127;
constexpr std::uint32_t kInstallerInEnglishText = 1129;

// A folder below a special folder: folder\Vintrel\Quillon 7.
std::string ProductFolderIn(const std::optional<boost::filesystem::path>& folder) {
    if (!folder) {
        return {};
    }
    return (*folder / std::string(kCompanyName) / std::string(kProductKey)).string();
}

}  // namespace

CInstallApp::CInstallApp(InstanceCounter* runningInstances)
    : m_instanceMutex(InstallerMutexName(GetApplicationId()), false, true), m_pRunningInstances(runningInstances) {
    UseProgramIcon();
}

CInstallApp::~CInstallApp() = default;

bool CInstallApp::InitInstance() {
    if (StartSession() && m_pfnRunWizard) {
        m_pfnRunWizard(*this);
    }
    return false;
}

bool CInstallApp::StartSession() {
    m_startupStop = StartupStop::None;
    if (!ProcessorCheckPassed()) {
        ReportStartupError(static_cast<std::uint32_t>(kernel::hresult::e_unexpected));
        return StopStartup(StartupStop::ProcessorCheck);
    }
    if (!m_instanceMutex.TryAcquire()) {
        const bool created = static_cast<bool>(m_instanceMutex.handle);
        if (!created) {
            // The user is told what an installer running elsewhere tells; the log keeps the cause.
            diagnostics::note("The installer mutex could not be created: error ", m_instanceMutex.creationError, ": ",
                              StartupErrorText(m_instanceMutex.creationError));
        }
        ReportStartupError(kernel::win32::busy);
        return StopStartup(created ? StartupStop::InstallerRunning : StartupStop::InstallerMutexUnavailable);
    }
    CWinApp::InitInstance();
    UseProgramIcon();

    ChooseStartLanguage();
    UpdateTitle();

    if (!security::IsUserAdmin()) {
        ShowAppMessage(LoadText(kNotAdministratorText), ui::MB_ICONWARNING | ui::MB_OK);
        return StopStartup(StartupStop::NotAdministrator);
    }
    if (!WaitForProductToClose()) {
        return StopStartup(StartupStop::ProductRunning);
    }

    ReadPreviousInstallation();
    SetDefaultFolders();
    m_bStartMenuShortcut = true;
    m_bDesktopShortcut = true;
    m_bAdvancedMode = false;
    NoteFindings();
    return true;
}

bool CInstallApp::StopStartup(StartupStop reason) {
    m_startupStop = reason;
    constexpr const char* kNames[] = {"",
                                      "processor check not passed",
                                      "another installer is running",
                                      "no administrator rights",
                                      "the product is running",
                                      "the installer mutex is unavailable"};
    diagnostics::note("Start-up stopped: ", kNames[static_cast<int>(reason)]);
    return false;
}

void CInstallApp::NoteFindings() const {
    if (!diagnostics::log_open()) {
        return;
    }
    constexpr const char* kStatusNames[] = {"a newer version", "none", "the same version", "an older version"};
    const LanguageState& language = GetLanguageState();
    const auto tag = [](std::uint32_t index) {
        return platform::locale::locale_name(LanguageToLangId(index)).value_or("?");
    };
    diagnostics::note("Language: interface ", tag(language.current), ", product ", tag(m_nProductLanguage));
    diagnostics::note("Installed product: ", kStatusNames[m_nPreviousInstall - PreviousNewer],
                      m_strPreviousVersion.empty() ? "" : " ", m_strPreviousVersion,
                      m_strInstalledProduct && !m_strInstalledProduct->empty() ? " at " : "",
                      m_strInstalledProduct.value_or(std::string()));
    diagnostics::note("Installation folder: ", m_strInstallFolder);
    diagnostics::note("Start menu folder: ", m_strStartMenuFolder);
}

void CInstallApp::ChooseStartLanguage() {
    if (m_requestedLanguage) {
        MakeLanguageCurrent(*m_requestedLanguage);
    } else {
        MakeLanguageCurrent(ChooseLanguage(ProductLanguageMask));
        if (const auto recorded = RecordedProductLanguage()) {
            MakeLanguageCurrent(*recorded);
        }
    }
    m_nProductLanguage = GetLanguageState().current;
    if (!IsInstallerTranslated(m_nProductLanguage)) {
        MakeLanguageCurrent(LanguageEnglish);
    }
}

void CInstallApp::UpdateTitle() {
    SetAppName(LoadText(kTitleText) + " \u2013 " + GetProductText(false));
}

bool CInstallApp::WaitForProductToClose() {
    InstanceCounter& counter = m_pRunningInstances ? *m_pRunningInstances : GetInstanceCounter();
    while (CountRunningInstances(counter) > 1) {
        const std::string text = FormatText(LoadText(kProductRunningText), {GetProductText(true)});
        if (ShowAppMessage(text, ui::MB_RETRYCANCEL | ui::MB_ICONWARNING) == ui::IDCANCEL) {
            return false;
        }
    }
    return true;
}

const std::string& CInstallApp::FindInstalledProduct() {
    if (!m_strInstalledProduct) {
        m_strInstalledProduct = LookUpInstalledProduct();
    }
    return *m_strInstalledProduct;
}

void CInstallApp::ReadPreviousInstallation() {
    const std::string& installed = FindInstalledProduct();
    const PreviousInstallation previous = ComparePreviousInstallation(installed);
    m_nPreviousInstall = previous.status;
    m_strPreviousVersion = previous.versionText;
    m_nPreviousVersion = previous.versionNumber;

    if ((m_nPreviousInstall == PreviousSame || m_nPreviousInstall == PreviousOlder) &&
        ReadPreviousUninstallLog(installed, m_uninstallLog)) {
        m_strInstallFolder = m_uninstallLog.installPath;
        m_strStartMenuFolder = m_uninstallLog.shortcutPath;
        return;
    }
    m_uninstallLog.Read(nullptr);
}

void CInstallApp::SetDefaultFolders() {
    if (m_strInstallFolder.empty()) {
        m_strInstallFolder = ProductFolderIn(shell::special_folder(shell::csidl::program_files));
    }
    if (m_strStartMenuFolder.empty()) {
        auto programs = shell::special_folder(shell::csidl::common_programs);
        if (!programs) {
            programs = shell::special_folder(shell::csidl::programs);
        }
        m_strStartMenuFolder = ProductFolderIn(programs);
    }
}

PreviousInstallStatus CInstallApp::GetPreviousInstall(std::string* previousVersion) const {
    if (previousVersion && (m_nPreviousInstall == PreviousNewer || m_nPreviousInstall == PreviousOlder)) {
        *previousVersion = m_strPreviousVersion;
    }
    return m_nPreviousInstall;
}

void CInstallApp::SetLanguage(std::uint32_t index) {
    MakeLanguageCurrent(index);
    m_nProductLanguage = index;
    if (!IsInstallerTranslated(index)) {
        ShowAppMessage(FormatText(LoadText(kInstallerInEnglishText), {GetProductText(true)}),
                       ui::MB_ICONINFORMATION | ui::MB_OK);
        MakeLanguageCurrent(LanguageEnglish);
    }
    UpdateTitle();
    RefreshMainWindowTexts(m_pMainWnd);
}

CInstallApp* GetInstallApp() {
    return dynamic_cast<CInstallApp*>(ui::AfxGetApp());
}

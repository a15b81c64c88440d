#include "startup/process_guards.hpp"

#include "platform/kernel/processor.hpp"
#include "platform/locale/locale_ids.hpp"
#include "platform/locale/user_locale.hpp"
#include "platform/text/path_encoding.hpp"
#include "platform/ui/application.hpp"
#include "platform/ui/framework_constants.hpp"
#include "startup/application_id.hpp"
#include "startup/instance_counter.hpp"
#include "startup/startup_ui.hpp"

#include <boost/filesystem/path.hpp>

#include <atomic>
#include <cstdlib>
#include <locale>
#include <mutex>
#include <stdexcept>
#include <string>

namespace ui = platform::ui;
namespace loc = platform::locale;

namespace {

constexpr std::uint32_t kSemFailCriticalErrors = 0x0001;
constexpr std::uint32_t kSemNoOpenFileErrorBox = 0x8000;
constexpr std::uint32_t kMinimumUiVersion = 0x60000;  // 6.0

// Shown before any text table is chosen, so it speaks the three main languages at once.
constexpr const char* kIncompatibleText =
    "This Version is not compatible with your Configuration.\n\n"
    "Cette version n'est pas compatible avec votre configuration.\n\n"
    "Diese Version ist nicht mit Ihrer Konfiguration kompatibel.";

std::atomic<bool> g_processorChecked{false};
std::atomic<std::uint32_t> g_errorMode{0};
std::atomic<bool> g_exitCodeReplaced{false};
std::atomic<int> g_failedCheckExitCode{0};

[[noreturn]] void StopProcess(int ownExitCode) {
    std::exit(g_exitCodeReplaced ? g_failedCheckExitCode.load() : ownExitCode);
}

[[noreturn]] void StopIncompatible() {
    ShowProcessMessage(kIncompatibleText, ui::MB_ICONERROR);
    StopProcess(1);
}

// The user's locale; the environment's when that cannot be built. A machine whose environment names
// a locale it lacks still gets the classic one rather than no locale at all.
std::locale UserLocale() {
    const auto name = loc::locale_name(loc::LOCALE_USER_DEFAULT);
    for (const std::string& candidate : {name ? loc::posix_locale_name(*name) : std::string(), std::string()}) {
        try {
            return std::locale(candidate.c_str());
        } catch (const std::runtime_error&) {
        }
    }
    return std::locale::classic();
}

// Character classification and the path conversion are what text and file names need from the
// locale; without either the program cannot work with names at all.
bool LocaleServicesUsable(const std::locale& locale) {
    try {
        if (!std::has_facet<std::ctype<wchar_t>>(locale)) {
            return false;
        }
        // The path library's converter; fixed to UTF-8 at start-up, so this fails only when the
        // standard library cannot provide one at all.
        (void)boost::filesystem::path::codecvt();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

void UseExitCodeForFailedChecks(int exitCode) {
    g_failedCheckExitCode = exitCode;
    g_exitCodeReplaced = true;
}

void CheckProcessor() {
    if (!platform::kernel::is_processor_feature_present(platform::kernel::pf_xmmi64_instructions_available)) {
        StopIncompatible();
    }
    g_processorChecked = true;
}

bool ProcessorCheckPassed() {
    return g_processorChecked;
}

void SetUpErrorModeAndLocale() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_errorMode |= kSemFailCriticalErrors | kSemNoOpenFileErrorBox;
        // The C library's locale is process-wide here already; only the standard library's global
        // locale is to be set.
        platform::text::use_utf8_path_names();
        const std::locale locale = UserLocale();
        std::locale::global(locale);
        if (!LocaleServicesUsable(locale)) {
            ShowProcessMessage("Initialization Error", ui::MB_ICONERROR | ui::MB_TASKMODAL | ui::MB_SETFOREGROUND);
            StopProcess(-11);
        }
    });
}

std::uint32_t GetProcessErrorMode() {
    return g_errorMode;
}

std::uint32_t UiLibraryVersion(const char* versionText) {
    if (!versionText) {
        return 0;
    }
    char* end = nullptr;
    const unsigned long major = std::strtoul(versionText, &end, 10);
    if (end == versionText || *end != '.' || major > 0xFFFF) {
        return 0;
    }
    const char* minorText = end + 1;
    const unsigned long minor = std::strtoul(minorText, &end, 10);
    if (end == minorText || minor > 0xFFFF) {
        return 0;
    }
    return static_cast<std::uint32_t>(major << 16 | minor);
}

void SetUpApplication() {
    static std::once_flag once;
    std::call_once(once, [] {
        // The library in use, not the one built against: an older one loaded at run time lacks
        // what the dialogs rely on.
        if (UiLibraryVersion(platform::ui::framework_library_version()) < kMinimumUiVersion) {
            StopIncompatible();
        }
        // The controls need no registration, and no COM calls are made: the id and the count remain.
        (void)GetApplicationId();
        (void)GetInstanceCounter();
    });
}

void InitializeProcess() {
    CheckProcessor();
    SetUpErrorModeAndLocale();
    SetUpApplication();
}

// The DirectX runtime setup: the setup library that travels in the payload's temporary files is
// loaded from the run's temporary folder and installs the runtime components found beside it.
#pragma once

#include "platform/kernel/dynamic_library.hpp"

#include <boost/filesystem/path.hpp>

class CInstallApp;
class InstallProgressPage;

namespace platform::ui {
class CWnd;
}

// The setup library's interface, looked up by name (C linkage, UTF-16 texts).
namespace directx_setup {

using callback_function = std::uint32_t (*)(std::uint32_t reason, std::uint32_t messageType, const char16_t* message,
                                            const char16_t* name, void* information);
using get_version_function = std::int32_t(std::uint32_t* version, std::uint32_t* revision);
using set_callback_function = std::int32_t(callback_function callback);
using setup_function = std::int32_t(void* ownerWindow, const char16_t* rootPath, std::uint32_t flags);

inline constexpr const char* kLibraryName = "DSetup.dll";
inline constexpr std::uint32_t kMinimumVersion = 0x00040009;  // DirectX 9.0c
inline constexpr std::uint32_t kMinimumRevision = 903;
inline constexpr std::uint32_t kComponents = 0x00010018;  // the core, DirectDraw and Direct3D drivers
inline constexpr std::uint32_t kProgressReason = 18;
inline constexpr std::uint32_t kAnswerOk = 1;  // IDOK
inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kSuccessRestart = 1;

}  // namespace directx_setup

class DirectXRuntime {
public:
    // Loads the setup library from the folder, and keeps it only when the machine already has
    // DirectX 9.0c or later (what this runtime extends).
    explicit DirectXRuntime(boost::filesystem::path folder);

    // Whether the library was loaded and kept.
    explicit operator bool() const { return static_cast<bool>(m_library); }

    // Installs the components, dispatching window events on every progress report. True when the
    // setup answers success (also with a restart needed).
    bool Run(platform::ui::CWnd* owner) const;

private:
    boost::filesystem::path m_folder;
    platform::kernel::dynamic_library m_library;
};

// What the step did, for the diagnostic log.
enum class DirectXStepOutcome {
    NoUsableLibrary,  // skipped: no setup library, or the machine lacks the DirectX it extends
    SetUpBefore,      // skipped: a previous installation set the runtime up
    Succeeded,
    Failed,
};

// "OK", "FAILED", or "skipped" with the reason.
const char* DirectXStepOutcomeText(DirectXStepOutcome outcome);

// The step: silent when the library is not usable, or when a previous installation set the runtime
// up and this is not a reinstallation of the same version; otherwise recorded and reported on the
// page. Never changes the run's result.
DirectXStepOutcome SetUpDirectXRuntime(CInstallApp& app, InstallProgressPage& page);

// The entry points of the DirectX runtime set-up library ("DSETUP.dll") as the installer looks them
// up by name, with C linkage. Windows types map to fixed-width ones: DWORD is std::uint32_t, INT and
// BOOL std::int32_t, wide strings are char16_t (UTF-16, zero-terminated), HWND an opaque pointer.
//
//   std::int32_t DirectXSetupGetVersion(std::uint32_t* version, std::uint32_t* revision)
//       The runtime installed on the machine: version 0x00040009 and revision 904 for "4.09.00.0904".
//       Non-zero on success; 0 (outputs 0) when no runtime is recorded or a pointer is null.
//   std::int32_t DirectXSetupSetCallback(dsetup_callback callback)
//       The callback of later set-up runs (null: none). Always 0.
//   std::int32_t DirectXSetupW(void* owner_window, const char16_t* root_path, std::uint32_t flags)
//       Installs the runtime components found in root_path (null or empty: the library's own folder).
//       0 success, 1 success with a restart needed, negative on failure (see dsetup_result).
//
// The callback receives (reason, message type, message, name, information) and answers 1 (IDOK) to
// go on. Progress reports have reason 18, message type 0, the message "Copying NAME", the component's
// file NAME and a dsetup_progress as information.
#pragma once

#include <cstdint>

extern "C" {

struct dsetup_progress {
    std::uint32_t phase;
    std::uint32_t in_phase_maximum;
    std::uint32_t in_phase_progress;
    std::uint32_t overall_maximum;
    std::uint32_t overall_progress;
};

using dsetup_callback = std::uint32_t (*)(std::uint32_t reason, std::uint32_t message_type, const char16_t* message,
                                          const char16_t* name, void* information);

using dsetup_get_version_function = std::int32_t(std::uint32_t* version, std::uint32_t* revision);
using dsetup_set_callback_function = std::int32_t(dsetup_callback callback);
using dsetup_run_function = std::int32_t(void* owner_window, const char16_t* root_path, std::uint32_t flags);
}

namespace dsetup {

inline constexpr const char* library_file_name = "DSETUP.dll";

inline constexpr std::uint32_t callback_progress = 18;  // reason of a progress report
inline constexpr std::uint32_t answer_ok = 1;           // IDOK

// Component flags: the core, DirectDraw drivers and Direct3D drivers together.
inline constexpr std::uint32_t flag_ddraw_drivers = 0x00000008;
inline constexpr std::uint32_t flag_d3d_drivers = 0x00000010;
inline constexpr std::uint32_t flag_core = 0x00010000;
inline constexpr std::uint32_t flag_directx = flag_core | flag_ddraw_drivers | flag_d3d_drivers;

enum dsetup_result : std::int32_t {
    success = 0,
    success_restart = 1,
    source_file_not_found = -2,  // a component file is missing from the root folder
    no_copy = -5,                // a component could not be copied into place
    cannot_find_folder = -8,     // the root folder does not exist
    internal_error = -9,         // the runtime could not be recorded
};

// The runtime this library installs: "4.09.00.0904".
inline constexpr std::uint32_t shipped_version = 0x00040009;
inline constexpr std::uint32_t shipped_revision = 904;

// The component files the root folder must hold, installed into the system folder's "directx".
inline constexpr const char* component_files[] = {"dxdllreg_x86.cab", "dxupdate.cab", "Jun2010_D3DCompiler_43_x86.cab",
                                                  "Jun2010_d3dx9_43_x86.cab"};

}  // namespace dsetup

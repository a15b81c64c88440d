// The product this installer carries, in the forms texts, folders and registry keys name it, and
// the packed version that an installed copy is compared with. A layer of its own, below everything
// that names the product (the uninstall log as much as start-up and the wizard).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::string_view kProductName = "Quillon";
inline constexpr std::string_view kProductVersionText = "7.02b";
// Folder name under the company folder, name of the Uninstall key and of the installed-program value.
inline constexpr std::string_view kProductKey = "Quillon 7";
inline constexpr std::string_view kCompanyName = "Vintrel";
// The class of the main program's window (X11 WM_CLASS, Wayland app id), which its menu entries name
// so that desktops tie the window to them.
inline constexpr std::string_view kProductWindowClass = "quillon";
// The registry value under HKEY_LOCAL_MACHINE\Software\Vintrel that holds the installed program's path.
inline constexpr std::string_view kInstalledProgramValueName = "Quillon 7 Path";

// A file version packed as the fixed version record holds it: dwFileVersionMS in the high 32 bits
// (major, minor), dwFileVersionLS in the low 32 bits (build, revision).
constexpr std::uint64_t PackVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t build,
                                    std::uint16_t revision) {
    return (std::uint64_t{major} << 48) | (std::uint64_t{minor} << 32) | (std::uint64_t{build} << 16) | revision;
}

// The version of the carried product, 7.2.2.1 (the installer's own file version is unrelated).
inline constexpr std::uint64_t kProductPackedVersion = PackVersion(7, 2, 2, 1);

// "Quillon" with nameOnly, else "Quillon 7.02b".
inline std::string GetProductText(bool nameOnly) {
    std::string text(kProductName);
    if (!nameOnly) {
        text += ' ';
        text += kProductVersionText;
    }
    return text;
}

// A packed version in four numbers, "7.2.2.1".
std::string FormatVersionNumber(std::uint64_t packedVersion);

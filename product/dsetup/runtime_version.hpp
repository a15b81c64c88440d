// Where the machine records its installed DirectX runtime: the key
// HKEY_LOCAL_MACHINE\Software\Microsoft\DirectX, REG_SZ "Version" in the form "4.09.00.0904" (major,
// minor, then the revision's two parts), and the folder its components are installed into: the
// system folder's "directx" (R/usr/lib/directx).
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace dsetup {

inline constexpr const char* runtime_key = "Software\\Microsoft\\DirectX";
inline constexpr const char* runtime_version_value = "Version";

struct runtime_version {
    std::uint32_t version = 0;   // major << 16 | minor
    std::uint32_t revision = 0;  // high part << 16 | low part

    friend auto operator<=>(const runtime_version&, const runtime_version&) = default;
};

// "4.09.00.0904" -> {0x00040009, 904}; empty unless the text is four decimal numbers below 65536.
std::optional<runtime_version> parse_runtime_version(const std::string& text);
std::string runtime_version_text(const runtime_version& version);

// The recorded runtime; empty when none is recorded or the record is unreadable.
std::optional<runtime_version> recorded_runtime_version();
std::error_code record_runtime_version(const runtime_version& version);

boost::filesystem::path runtime_folder();

}  // namespace dsetup

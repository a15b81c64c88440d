// HRESULT values, and the error the security operations throw for a failure: hresult_error, a
// std::system_error whose code is the HRESULT in hresult_category(). That category's message is the
// system text of the code, and it maps each HRESULT to the Win32 code it stands for (its condition
// is in the platform's Win32 category), so that a failure shows as a Windows error wherever it ends.
#pragma once

#include <cstdint>
#include <system_error>

namespace security {

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

// A Windows error code as an HRESULT: 0x80070000 | code for a positive code; a code that already is
// an HRESULT (negative as a signed value) stays as it is. A failure that left no code reads E_FAIL,
// never S_OK.
constexpr HRESULT hresult_from_win32(std::uint32_t code) {
    if (code == 0) {
        return E_FAIL;
    }
    if (static_cast<std::int32_t>(code) < 0) {
        return static_cast<HRESULT>(code);
    }
    return static_cast<HRESULT>(0x80070000u | (code & 0xFFFFu));
}

// The Win32 code an HRESULT stands for: the low word of one made from a Win32 code (facility 7),
// the HRESULT itself otherwise.
constexpr std::uint32_t win32_code_of(HRESULT value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return (bits & 0xFFFF0000u) == 0x80070000u ? bits & 0xFFFFu : bits;
}

const std::error_category& hresult_category() noexcept;

class hresult_error : public std::system_error {
public:
    explicit hresult_error(HRESULT value) : std::system_error(value, hresult_category()) {}

    HRESULT hresult() const noexcept { return code().value(); }
};

[[noreturn]] inline void throw_hresult(HRESULT value) {
    throw hresult_error(value);
}

}  // namespace security

// HRESULT values, which the security operations throw as the exception object itself (a signed
// 32-bit integer): catch (security::HRESULT hr).
#pragma once

#include <cstdint>

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

[[noreturn]] inline void throw_hresult(HRESULT value) {
    throw value;
}

}  // namespace security

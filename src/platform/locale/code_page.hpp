// Conversion between the bytes of a Windows code page and wide characters (UTF-32 wchar_t),
// through ICU's converters. Stands in for MultiByteToWideChar with MB_PRECOMPOSED and
// WideCharToMultiByte with WC_NO_BEST_FIT_CHARS and the system's default character:
//   - no best-fit or fallback mappings: a character the code page cannot hold becomes "?", never
//     a look-alike (U+0100 does not become "A" in code page 1252);
//   - bytes that are not valid in the code page become a substitute character and never make a
//     conversion fail;
//   - an output range too small for the whole result fails the conversion, as the system calls do.
#pragma once

#include <unicode/ucnv.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace platform::locale {

inline constexpr std::uint32_t CP_ACP = 0;
inline constexpr std::uint32_t CP_THREAD_ACP = 3;
inline constexpr std::uint32_t CP_UTF8 = 65001;

// The code page that CP_ACP and CP_THREAD_ACP name at the moment of the call; other values as given.
std::uint32_t resolve_code_page(std::uint32_t code_page);

class code_page_converter {
public:
    // A converter for a code page (CP_ACP and CP_THREAD_ACP resolved now); empty when ICU knows no
    // converter for it.
    static std::optional<code_page_converter> open(std::uint32_t code_page);

    std::uint32_t code_page() const { return m_code_page; }

    // The number of wide characters the bytes convert to.
    std::optional<std::size_t> wide_length(std::string_view bytes);

    // How many of the bytes make up their first `max_wide` wide characters (all of them when
    // they convert to fewer).
    std::optional<std::size_t> bytes_for_wide(std::string_view bytes, std::size_t max_wide);

    // Converts all bytes into `out`; the number of wide characters written, empty when they do not fit.
    std::optional<std::size_t> to_wide(std::string_view bytes, std::span<wchar_t> out);

    // Converts all wide characters into `out`; the number of bytes written, empty when they do not
    // fit. A wide character that is no Unicode scalar value counts as unrepresentable.
    std::optional<std::size_t> to_bytes(std::wstring_view wide, std::span<char> out);

private:
    struct closer {
        void operator()(UConverter* c) const { ucnv_close(c); }
    };
    code_page_converter(std::uint32_t code_page, UConverter* converter)
        : m_code_page(code_page), m_converter(converter) {}

    // Calls visit(code point, offset of its first byte) for each character until visit answers false.
    template <typename Visit>
    bool decode(std::string_view bytes, Visit visit);

    std::uint32_t m_code_page;
    std::unique_ptr<UConverter, closer> m_converter;
};

}  // namespace platform::locale

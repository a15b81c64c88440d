#include "platform/locale/code_page.hpp"

#include "platform/locale/locale_info.hpp"
#include "platform/locale/thread_locale.hpp"

#include <unicode/utf16.h>

#include <algorithm>
#include <string>

namespace platform::locale {
namespace {

// ICU refuses single calls over more than 2 GiB of input or output.
constexpr std::size_t max_call_bytes = std::size_t{1} << 30;
constexpr int32_t unit_chunk = 256;

UConverter* open_icu_converter(std::uint32_t code_page) {
    const std::string number = std::to_string(code_page);
    const std::string candidates[] = {code_page == CP_UTF8 ? std::string("UTF-8") : "windows-" + number,
                                      "ibm-" + number};
    for (const std::string& name : candidates) {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* converter = ucnv_open(name.c_str(), &status);
        if (U_SUCCESS(status)) {
            return converter;
        }
    }
    return nullptr;
}

bool is_scalar_value(wchar_t c) {
    const auto v = static_cast<std::uint32_t>(c);
    return v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF);
}

}  // namespace

std::uint32_t resolve_code_page(std::uint32_t code_page) {
    switch (code_page) {
        case CP_ACP:
            return ansi_code_page();
        case CP_THREAD_ACP:
            return thread_ansi_code_page();
        default:
            return code_page;
    }
}

std::optional<code_page_converter> code_page_converter::open(std::uint32_t code_page) {
    const std::uint32_t resolved = resolve_code_page(code_page);
    UConverter* converter = open_icu_converter(resolved);
    if (converter == nullptr) {
        return std::nullopt;
    }
    // Round-trip mappings only, and "?" for what the code page cannot hold, as the system's
    // conversion does without best-fit characters.
    ucnv_setFallback(converter, false);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter, "?", 1, &status);
    return code_page_converter(resolved, converter);
}

template <typename Visit>
bool code_page_converter::decode(std::string_view bytes, Visit visit) {
    UConverter* converter = m_converter.get();
    ucnv_resetToUnicode(converter);
    UChar units[unit_chunk];
    int32_t offsets[unit_chunk];
    UChar lead = 0;  // a lead surrogate waiting for its trail
    std::size_t lead_offset = 0;
    std::size_t last_offset = 0;
    const char* source = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    do {
        const char* const limit =
            source + std::min<std::size_t>(static_cast<std::size_t>(end - source), max_call_bytes);
        const bool flush = limit == end;
        UErrorCode status = U_BUFFER_OVERFLOW_ERROR;
        while (status == U_BUFFER_OVERFLOW_ERROR) {
            const std::size_t base = static_cast<std::size_t>(source - bytes.data());
            UChar* target = units;
            status = U_ZERO_ERROR;
            ucnv_toUnicode(converter, &target, units + unit_chunk, &source, limit, offsets, flush, &status);
            if (U_FAILURE(status) && status != U_BUFFER_OVERFLOW_ERROR) {
                return false;
            }
            for (std::ptrdiff_t i = 0; i < target - units; ++i) {
                // Output that comes from an earlier call's buffered state has no offset of its own.
                const std::size_t offset = offsets[i] >= 0 ? base + static_cast<std::size_t>(offsets[i]) : last_offset;
                last_offset = offset;
                const UChar unit = units[i];
                if (lead != 0) {
                    const bool paired = U16_IS_TRAIL(unit);
                    if (!visit(paired ? U16_GET_SUPPLEMENTARY(lead, unit) : 0xFFFD, lead_offset)) {
                        return true;
                    }
                    lead = 0;
                    if (paired) {
                        continue;
                    }
                }
                if (U16_IS_LEAD(unit)) {
                    lead = unit;
                    lead_offset = offset;
                } else if (!visit(U16_IS_TRAIL(unit) ? 0xFFFD : unit, offset)) {
                    return true;
                }
            }
        }
    } while (source != end);
    if (lead != 0) {
        visit(0xFFFD, lead_offset);
    }
    return true;
}

std::optional<std::size_t> code_page_converter::wide_length(std::string_view bytes) {
    std::size_t count = 0;
    if (!decode(bytes, [&](UChar32, std::size_t) { return ++count, true; })) {
        return std::nullopt;
    }
    return count;
}

std::optional<std::size_t> code_page_converter::bytes_for_wide(std::string_view bytes, std::size_t max_wide) {
    std::size_t count = 0;
    std::size_t used = bytes.size();
    const bool ok = decode(bytes, [&](UChar32, std::size_t offset) {
        if (count == max_wide) {
            used = offset;
            return false;
        }
        ++count;
        return true;
    });
    return ok ? std::optional<std::size_t>(used) : std::nullopt;
}

std::optional<std::size_t> code_page_converter::to_wide(std::string_view bytes, std::span<wchar_t> out) {
    std::size_t written = 0;
    bool fits = true;
    const bool ok = decode(bytes, [&](UChar32 c, std::size_t) {
        if (written == out.size()) {
            fits = false;
            return false;
        }
        out[written++] = static_cast<wchar_t>(c);
        return true;
    });
    return ok && fits ? std::optional<std::size_t>(written) : std::nullopt;
}

std::optional<std::size_t> code_page_converter::to_bytes(std::wstring_view wide, std::span<char> out) {
    UConverter* converter = m_converter.get();
    ucnv_resetFromUnicode(converter);
    char* target = out.data();
    char* const end = out.data() + out.size();
    UChar units[unit_chunk];
    std::size_t next = 0;
    bool last = false;
    while (!last) {
        int32_t count = 0;
        while (next < wide.size() && count <= unit_chunk - 2) {
            const wchar_t c = wide[next++];
            U16_APPEND_UNSAFE(units, count, is_scalar_value(c) ? static_cast<UChar32>(c) : 0xFFFD);
        }
        last = next == wide.size();
        const UChar* source = units;
        UErrorCode status = U_BUFFER_OVERFLOW_ERROR;
        while (status == U_BUFFER_OVERFLOW_ERROR) {
            // The converter keeps what did not fit and writes it first on the next call.
            char* const limit = target + std::min<std::size_t>(static_cast<std::size_t>(end - target), max_call_bytes);
            status = U_ZERO_ERROR;
            ucnv_fromUnicode(converter, &target, limit, &source, units + count, nullptr, last, &status);
            if (status == U_BUFFER_OVERFLOW_ERROR && limit == end) {
                return std::nullopt;
            }
        }
        if (U_FAILURE(status)) {
            return std::nullopt;
        }
    }
    return static_cast<std::size_t>(target - out.data());
}

}  // namespace platform::locale

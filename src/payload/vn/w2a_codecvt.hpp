// Conversion between wide text and the 8-bit text of a Windows code page: a standard conversion
// facet bound to one code page, and the two whole-string operations built on it, which always use
// the calling thread's ANSI code page (CP_THREAD_ACP).
//
// Characters the code page cannot hold become "?" (never a best-fit look-alike); bytes that are not
// valid in the code page become a substitute character. Neither operation reports failures: a
// conversion that cannot be made gives an empty string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <locale>
#include <string>
#include <string_view>

namespace vn {

namespace details {

// The facet keeps no state between calls: each call converts the whole range it is given, and
// fails when the result does not fit the output range.
class w2a_codecvt : public std::codecvt<wchar_t, char, std::mbstate_t> {
public:
    explicit w2a_codecvt(std::uint32_t code_page, std::size_t refs = 0)
        : std::codecvt<wchar_t, char, std::mbstate_t>(refs), m_code_page(code_page) {}

    std::uint32_t code_page() const { return m_code_page; }

    // The number of wide characters the bytes convert to, at most `max`; 0 when they cannot be
    // converted.
    std::size_t wide_length(const char* first, const char* last, std::size_t max) const;

protected:
    bool do_always_noconv() const noexcept override { return false; }
    int do_max_length() const noexcept override { return 5; }
    int do_encoding() const noexcept override { return 0; }
    result do_in(state_type& state, const extern_type* from, const extern_type* from_end, const extern_type*& from_next,
                 intern_type* to, intern_type* to_end, intern_type*& to_next) const override;
    result do_out(state_type& state, const intern_type* from, const intern_type* from_end,
                  const intern_type*& from_next, extern_type* to, extern_type* to_end,
                  extern_type*& to_next) const override;
    result do_unshift(state_type& state, extern_type* to, extern_type* to_end, extern_type*& to_next) const override;
    // How many bytes make up at most `max` wide characters, as the standard asks of a facet.
    int do_length(state_type& state, const extern_type* from, const extern_type* from_end,
                  std::size_t max) const override;

private:
    std::uint32_t m_code_page;
};

}  // namespace details

// Bytes in the thread's ANSI code page to wide characters.
std::wstring to_wide(const char* first, const char* last);
inline std::wstring to_wide(std::string_view bytes) {
    return to_wide(bytes.data(), bytes.data() + bytes.size());
}

// Wide characters to bytes in the thread's ANSI code page. Empty for more than 0x7FFFFFFF / 5
// characters, the most whose worst-case result stays within a 32-bit size.
std::string to_narrow(const wchar_t* first, const wchar_t* last);
inline std::string to_narrow(std::wstring_view wide) {
    return to_narrow(wide.data(), wide.data() + wide.size());
}

}  // namespace vn

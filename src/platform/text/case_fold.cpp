#include "platform/text/case_fold.hpp"

#include "platform/text/utf_convert.hpp"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>

namespace platform::text {

std::string fold_case(std::string_view utf8) {
    // Most names are ASCII; their folding needs no conversion.
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string folded(utf8);
        for (char& c : folded) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return folded;
    }
    std::u16string units = utf8_to_utf16(utf8);
    std::u16string folded(units.size() * 3 + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), static_cast<int32_t>(folded.size()),
                                         reinterpret_cast<const UChar*>(units.data()),
                                         static_cast<int32_t>(units.size()), U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) {
        return std::string(utf8);
    }
    folded.resize(static_cast<std::size_t>(length));
    return utf16_to_utf8(folded);
}

}  // namespace platform::text

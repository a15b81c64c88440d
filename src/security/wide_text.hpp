// UTF-16 text for the security library's boundary.
#pragma once

#include <string>

namespace security {

// The UTF-16 form of UTF-8 text; E_INVALIDARG when it is not UTF-8 or holds a null character, which
// would cut the text short at the boundary.
std::u16string to_utf16(const std::string& text);

}  // namespace security

// Case folding for case-insensitive comparisons of names (keys, paths), locale-independent, through
// ICU. Text that cannot be folded comes back as it was.
#pragma once

#include <string>
#include <string_view>

namespace platform::text {

std::string fold_case(std::string_view utf8);

}  // namespace platform::text

// The flags shown beside the language names in the wizard's language list: 18 by 12 pixels,
// opaque, one per product language, named by the language's code (the string tables' file names).
#pragma once

#include <QImage>

#include <string>

namespace vnart {

inline constexpr int flag_width = 18;
inline constexpr int flag_height = 12;

// Throws std::invalid_argument for a language without a flag.
QImage draw_flag(const std::string& language);

}  // namespace vnart

// The framework's own texts, which no program string table carries (as a system's own texts).
#pragma once

namespace platform::ui::detail::texts {

inline constexpr const char* max_chars = "Enter no more than %1 characters.";
inline constexpr const char* default_caption = "Error";

inline constexpr const char* ok = "OK";
inline constexpr const char* cancel = "Cancel";
inline constexpr const char* yes = "&Yes";
inline constexpr const char* no = "&No";
inline constexpr const char* retry = "&Retry";
inline constexpr const char* abort = "&Abort";
inline constexpr const char* ignore = "&Ignore";
inline constexpr const char* try_again = "&Try Again";
inline constexpr const char* continue_ = "&Continue";

inline constexpr const char* restore = "&Restore";
inline constexpr const char* size = "&Size";
inline constexpr const char* minimize = "Mi&nimize";
inline constexpr const char* maximize = "Ma&ximize";
inline constexpr const char* close = "&Close\tAlt+F4";

inline constexpr const char* browse_caption = "Browse For Folder";
inline constexpr const char* folder_label = "Folder:";

}  // namespace platform::ui::detail::texts

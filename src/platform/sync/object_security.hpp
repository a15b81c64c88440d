// Who may use a named object, from the security descriptor its creator gives. Stands in for the
// SECURITY_ATTRIBUTES passed to CreateMutexW and CreateSemaphoreW; the security layer turns its
// descriptor into this.
//
// An object whose descriptor grants Everyone the rights to wait for it and to release it is usable
// by every account (its file is readable and writable by all); any other object is usable only by
// the account that created it.
#pragma once

#include <cstdint>

namespace platform::sync {

inline constexpr std::uint32_t synchronize = 0x00100000;
inline constexpr std::uint32_t generic_all = 0x10000000;
inline constexpr std::uint32_t mutex_modify_state = 0x0001;
inline constexpr std::uint32_t mutex_all_access = 0x001F0001;
inline constexpr std::uint32_t semaphore_modify_state = 0x0002;
inline constexpr std::uint32_t semaphore_all_access = 0x001F0003;

struct object_security {
    std::uint32_t everyone_access = 0;  // the access mask the descriptor grants Everyone; 0: none

    static object_security everyone(std::uint32_t access) { return {access}; }
};

}  // namespace platform::sync

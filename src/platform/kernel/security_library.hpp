// The system's security library ("advapi32.dll"), loaded on first use and kept for the life of the
// process: the token's privilege state lives in it, and the addresses bound from it must stay valid.
// The one place that loads it, for the registry's privilege check and the security functions alike,
// so that both see the same token.
//
// It is looked up among the libraries already loaded, then in the default directories
// (dynamic_library.hpp: the copy the program carries comes first). Null when it cannot be loaded; a
// later call tries again. Safe to call from any thread.
#pragma once

#include "platform/kernel/dynamic_library.hpp"

namespace platform::kernel {

const dynamic_library* security_library();

}  // namespace platform::kernel

// The access a named object of the installer gives: the Everyone descriptor of the security layer,
// read back as the platform's object security, so that the installer and the product it counts can
// share the objects whatever account runs them.
#pragma once

#include "platform/sync/object_security.hpp"

#include <cstdint>

// The access the descriptor made by MakeEveryoneSecurity(accessMask) grants Everyone. Throws the
// security layer's HRESULT when the descriptor cannot be built.
platform::sync::object_security MakeEveryoneObjectSecurity(std::uint32_t accessMask);

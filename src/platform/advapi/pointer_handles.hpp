// 32-bit handles for the pointers an absolute security descriptor holds, so that the descriptor keeps
// its 20-byte layout on a 64-bit build. A pointer always gets the same handle, so the table grows only
// with the number of distinct addresses ever stored and a handle means exactly what the pointer
// meant: the memory behind it stays the caller's.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

namespace platform::advapi {

// 0 for null.
DWORD handle_for_pointer(const void* pointer);
// Null for 0; ERROR_INVALID_SECURITY_DESCR for a handle the table never gave.
void* pointer_for_handle(DWORD handle);

}  // namespace platform::advapi

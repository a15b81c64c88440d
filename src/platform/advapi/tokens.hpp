// Access tokens and their handles. The process token's privilege states are process-wide: every
// handle to it sees the same states, as every caller in the process adjusts the one token. An
// impersonation token (ImpersonateSelf) carries a copy of them for its thread.
#pragma once

#include "platform/advapi/advapi_abi.hpp"
#include "platform/advapi/identity.hpp"

#include <map>
#include <memory>
#include <mutex>

namespace platform::advapi {

// Per privilege LUID: SE_PRIVILEGE_ENABLED and SE_PRIVILEGE_REMOVED.
struct privilege_states {
    std::mutex mutex;
    std::map<DWORD, DWORD> attributes;
};

struct token {
    bool impersonation = false;
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
    identity who;
    std::shared_ptr<privilege_states> privileges;

    bool holds(const privilege_info& privilege) const;  // call with the states locked
    bool enabled(const privilege_info& privilege) const;
};

// The thread's impersonation token, else the process token, as an access check sees it.
std::shared_ptr<const token> effective_token();

// The token behind a handle, which must have been opened with the required access.
std::shared_ptr<token> token_for_handle(HANDLE handle, ACCESS_MASK required);

HANDLE open_process_token(HANDLE process, ACCESS_MASK access);
HANDLE open_thread_token(HANDLE thread, ACCESS_MASK access);
void close_token_handle(HANDLE handle);

void impersonate_self(SECURITY_IMPERSONATION_LEVEL level);
void revert_to_self();

// Whether the token, or without one the caller's effective token, has the SID enabled.
bool check_membership(HANDLE token_handle, const void* sid);

// Changes privilege states; false when a privilege named is not held (ERROR_NOT_ALL_ASSIGNED).
bool adjust_privileges(HANDLE token_handle, bool disable_all, const TOKEN_PRIVILEGES* new_state, DWORD buffer_length,
                       TOKEN_PRIVILEGES* previous_state, DWORD* return_length);

// Whether the privileges of the set are enabled (all of them, or any with Control 0); each enabled
// one is marked SE_PRIVILEGE_USED_FOR_ACCESS.
bool privilege_check(HANDLE token_handle, PRIVILEGE_SET* required);

LUID lookup_privilege(const WCHAR* system_name, const WCHAR* name);

}  // namespace platform::advapi

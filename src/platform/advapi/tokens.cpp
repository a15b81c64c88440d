#include "platform/advapi/tokens.hpp"

#include "platform/advapi/errors.hpp"
#include "platform/advapi/wide_text.hpp"

#include <strings.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <vector>

namespace platform::advapi {
namespace {

constexpr ACCESS_MASK token_read = 0x00020008;
constexpr ACCESS_MASK token_write = 0x000200E0;
constexpr ACCESS_MASK token_execute = 0x00020000;

// Handles are the addresses of these records; only those in the open set are accepted.
struct token_handle_record {
    std::shared_ptr<token> object;
    ACCESS_MASK access;
};

std::mutex handles_mutex;
std::set<const void*> open_handles;

thread_local std::shared_ptr<token> thread_token;

std::shared_ptr<privilege_states> process_privileges() {
    static const std::shared_ptr<privilege_states> states = [] {
        auto initial = std::make_shared<privilege_states>();
        for (const privilege_info& p : all_privileges()) {
            initial->attributes[p.luid] = p.enabled_by_default ? SE_PRIVILEGE_ENABLED : 0;
        }
        return initial;
    }();
    return states;
}

std::shared_ptr<token> make_process_token() {
    auto object = std::make_shared<token>();
    object->who = identity::current();
    object->privileges = process_privileges();
    return object;
}

ACCESS_MASK map_token_access(ACCESS_MASK access) {
    if (access & MAXIMUM_ALLOWED) {
        return TOKEN_ALL_ACCESS;
    }
    ACCESS_MASK mapped = access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
    mapped |= (access & GENERIC_READ) ? token_read : 0;
    mapped |= (access & GENERIC_WRITE) ? token_write : 0;
    mapped |= (access & GENERIC_EXECUTE) ? token_execute : 0;
    mapped |= (access & GENERIC_ALL) ? TOKEN_ALL_ACCESS : 0;
    return mapped;
}

// The entries of a TOKEN_PRIVILEGES or PRIVILEGE_SET run past their declared one-element array.
LUID_AND_ATTRIBUTES& entry_at(LUID_AND_ATTRIBUTES* first, DWORD index) {
    return first[index];
}
const LUID_AND_ATTRIBUTES& entry_at(const LUID_AND_ATTRIBUTES* first, DWORD index) {
    return first[index];
}

HANDLE new_handle(std::shared_ptr<token> object, ACCESS_MASK access) {
    auto* record = new token_handle_record{std::move(object), map_token_access(access)};
    std::lock_guard lock(handles_mutex);
    open_handles.insert(record);
    return record;
}

DWORD attributes_for_report(const token& t, const privilege_info& p) {
    return (t.enabled(p) ? SE_PRIVILEGE_ENABLED : 0) | (p.enabled_by_default ? SE_PRIVILEGE_ENABLED_BY_DEFAULT : 0);
}

bool is_local_machine(const std::string& name) {
    std::string bare = name;
    while (!bare.empty() && bare.front() == '\\') {
        bare.erase(bare.begin());
    }
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    return bare.empty() || strcasecmp(bare.c_str(), host) == 0 || strcasecmp(bare.c_str(), "localhost") == 0 ||
           bare == ".";
}

}  // namespace

bool token::holds(const privilege_info& privilege) const {
    auto it = privileges->attributes.find(privilege.luid);
    const bool removed = it != privileges->attributes.end() && (it->second & SE_PRIVILEGE_REMOVED);
    return !removed && who.holds(privilege);
}

bool token::enabled(const privilege_info& privilege) const {
    auto it = privileges->attributes.find(privilege.luid);
    return holds(privilege) && it != privileges->attributes.end() && (it->second & SE_PRIVILEGE_ENABLED);
}

std::shared_ptr<const token> effective_token() {
    return thread_token ? thread_token : make_process_token();
}

std::shared_ptr<token> token_for_handle(HANDLE handle, ACCESS_MASK required) {
    std::lock_guard lock(handles_mutex);
    if (!open_handles.count(handle)) {
        fail(ERROR_INVALID_HANDLE);
    }
    const auto* record = static_cast<const token_handle_record*>(handle);
    if ((record->access & required) != required) {
        fail(ERROR_ACCESS_DENIED);
    }
    return record->object;
}

HANDLE open_process_token(HANDLE process, ACCESS_MASK access) {
    if (process != current_process_handle()) {
        fail(ERROR_INVALID_HANDLE);
    }
    return new_handle(make_process_token(), access);
}

HANDLE open_thread_token(HANDLE thread, ACCESS_MASK access) {
    if (thread != current_thread_handle()) {
        fail(ERROR_INVALID_HANDLE);
    }
    if (!thread_token) {
        fail(ERROR_NO_TOKEN);
    }
    return new_handle(thread_token, access);
}

void close_token_handle(HANDLE handle) {
    std::unique_ptr<token_handle_record> record;
    {
        std::lock_guard lock(handles_mutex);
        if (!open_handles.erase(handle)) {
            fail(ERROR_INVALID_HANDLE);
        }
        record.reset(static_cast<token_handle_record*>(handle));
    }
}

void impersonate_self(SECURITY_IMPERSONATION_LEVEL level) {
    if (level < SecurityAnonymous || level > SecurityDelegation) {
        fail(ERROR_INVALID_PARAMETER);
    }
    auto copy = std::make_shared<token>();
    copy->impersonation = true;
    copy->level = level;
    copy->who = identity::current();
    copy->privileges = std::make_shared<privilege_states>();
    const auto shared = process_privileges();
    std::lock_guard lock(shared->mutex);
    copy->privileges->attributes = shared->attributes;
    thread_token = std::move(copy);
}

void revert_to_self() {
    thread_token.reset();
}

bool check_membership(HANDLE token_handle, const void* sid) {
    std::shared_ptr<const token> object;
    if (token_handle) {
        object = token_for_handle(token_handle, TOKEN_QUERY);
        if (!object->impersonation) {
            fail(ERROR_NO_IMPERSONATION_TOKEN);
        }
        if (object->level < SecurityIdentification) {
            fail(ERROR_BAD_IMPERSONATION_LEVEL);
        }
    } else {
        object = effective_token();
    }
    if (!sid_valid(sid)) {
        fail(ERROR_INVALID_SID);
    }
    return object->who.has_sid(sid);
}

bool adjust_privileges(HANDLE token_handle, bool disable_all, const TOKEN_PRIVILEGES* new_state, DWORD buffer_length,
                       TOKEN_PRIVILEGES* previous_state, DWORD* return_length) {
    const auto object = token_for_handle(token_handle, TOKEN_ADJUST_PRIVILEGES | (previous_state ? TOKEN_QUERY : 0));
    if (!disable_all && !new_state) {
        fail(ERROR_INVALID_PARAMETER);
    }
    std::lock_guard lock(object->privileges->mutex);

    struct change {
        const privilege_info* privilege;
        DWORD new_attributes;
    };
    std::vector<change> changes;
    bool all_assigned = true;
    auto& states = object->privileges->attributes;
    if (disable_all) {
        for (const privilege_info& p : all_privileges()) {
            if (object->enabled(p)) {
                changes.push_back({&p, states[p.luid] & ~SE_PRIVILEGE_ENABLED});
            }
        }
    } else {
        for (DWORD i = 0; i < new_state->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& wanted = entry_at(&new_state->Privileges[0], i);
            const privilege_info* p = find_privilege(wanted.Luid);
            if (!p || !object->holds(*p)) {
                all_assigned = false;
                continue;
            }
            const DWORD now = states[p->luid];
            DWORD next = (wanted.Attributes & SE_PRIVILEGE_REMOVED)
                             ? SE_PRIVILEGE_REMOVED
                             : (now & ~SE_PRIVILEGE_ENABLED) | (wanted.Attributes & SE_PRIVILEGE_ENABLED);
            if (next != now) {
                changes.push_back({p, next});
            }
        }
    }

    // The previous state lists what changes; a buffer too small for it changes nothing.
    if (previous_state) {
        const DWORD required = static_cast<DWORD>(sizeof(DWORD) + changes.size() * sizeof(LUID_AND_ATTRIBUTES));
        if (return_length) {
            *return_length = required;
        }
        if (buffer_length < required) {
            fail(ERROR_INSUFFICIENT_BUFFER);
        }
        previous_state->PrivilegeCount = static_cast<DWORD>(changes.size());
        auto* entries = reinterpret_cast<BYTE*>(previous_state) + sizeof(DWORD);
        for (const change& c : changes) {
            const LUID_AND_ATTRIBUTES entry{{c.privilege->luid, 0}, attributes_for_report(*object, *c.privilege)};
            std::memcpy(entries, &entry, sizeof entry);
            entries += sizeof entry;
        }
    }
    for (const change& c : changes) {
        states[c.privilege->luid] = c.new_attributes;
    }
    return all_assigned;
}

bool privilege_check(HANDLE token_handle, PRIVILEGE_SET* required) {
    // A primary token is accepted as well as an impersonation token, so that a process can test its
    // own privileges without impersonating itself first.
    const auto object = token_for_handle(token_handle, TOKEN_QUERY);
    if (!required) {
        fail(ERROR_INVALID_PARAMETER);
    }
    std::lock_guard lock(object->privileges->mutex);
    DWORD enabled_count = 0;
    for (DWORD i = 0; i < required->PrivilegeCount; ++i) {
        LUID_AND_ATTRIBUTES& entry = entry_at(&required->Privilege[0], i);
        const privilege_info* p = find_privilege(entry.Luid);
        if (p && object->enabled(*p)) {
            entry.Attributes |= SE_PRIVILEGE_USED_FOR_ACCESS;
            ++enabled_count;
        }
    }
    if (required->Control & PRIVILEGE_SET_ALL_NECESSARY) {
        return enabled_count == required->PrivilegeCount;
    }
    return enabled_count > 0;
}

LUID lookup_privilege(const WCHAR* system_name, const WCHAR* name) {
    if (!name) {
        fail(ERROR_INVALID_PARAMETER);
    }
    if (system_name && !is_local_machine(to_utf8(system_name))) {
        fail(RPC_S_SERVER_UNAVAILABLE);
    }
    const privilege_info* p = find_privilege(to_utf8(name));
    if (!p) {
        fail(ERROR_NO_SUCH_PRIVILEGE);
    }
    return LUID{p->luid, 0};
}

}  // namespace platform::advapi

#include "platform/registry/privilege_check.hpp"

#include "platform/kernel/security_library.hpp"
#include "platform/text/utf_convert.hpp"

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>

namespace platform::registry {
namespace {

// The security library's types, with their Windows layouts.
using HANDLE = void*;
using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using WCHAR = char16_t;

struct LUID {
    DWORD LowPart;
    std::int32_t HighPart;
};
struct LUID_AND_ATTRIBUTES {
    LUID Luid;
    DWORD Attributes;
};
struct PRIVILEGE_SET {
    DWORD PrivilegeCount;
    DWORD Control;
    LUID_AND_ATTRIBUTES Privilege[1];
};
static_assert(sizeof(LUID) == 8 && sizeof(LUID_AND_ATTRIBUTES) == 12 && sizeof(PRIVILEGE_SET) == 20);

const HANDLE current_process = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
constexpr DWORD token_query = 8;
constexpr DWORD privilege_set_all_necessary = 1;

using OpenProcessToken_t = BOOL (*)(HANDLE process, DWORD access, HANDLE* token);
using LookupPrivilegeValueW_t = BOOL (*)(const WCHAR* system, const WCHAR* name, LUID* luid);
using PrivilegeCheck_t = BOOL (*)(HANDLE token, PRIVILEGE_SET* privileges, BOOL* result);
using CloseHandle_t = BOOL (*)(HANDLE handle);

struct privilege_functions {
    OpenProcessToken_t open_process_token = nullptr;
    LookupPrivilegeValueW_t lookup_privilege_value = nullptr;
    PrivilegeCheck_t privilege_check = nullptr;
    CloseHandle_t close_handle = nullptr;
};

template <class Function>
Function bound(const platform::kernel::dynamic_library* library, const char* name) {
    std::error_code ignored;
    return reinterpret_cast<Function>(library->entry_point(name, ignored));
}

// Bound once and kept for the life of the process, as the security code keeps it: the token's
// privilege state lives in the library, so it must never be unloaded.
const privilege_functions* library() {
    static std::mutex guard;
    static privilege_functions functions;
    static bool loaded = false;
    std::lock_guard lock(guard);
    if (!loaded) {
        const platform::kernel::dynamic_library* handle = platform::kernel::security_library();
        if (!handle) {
            return nullptr;
        }
        functions.open_process_token = bound<OpenProcessToken_t>(handle, "OpenProcessToken");
        functions.lookup_privilege_value = bound<LookupPrivilegeValueW_t>(handle, "LookupPrivilegeValueW");
        functions.privilege_check = bound<PrivilegeCheck_t>(handle, "PrivilegeCheck");
        functions.close_handle = bound<CloseHandle_t>(handle, "CloseHandle");
        loaded = true;
    }
    const auto& f = functions;
    return f.open_process_token && f.lookup_privilege_value && f.privilege_check && f.close_handle ? &f : nullptr;
}

bool token_has_enabled(std::string_view privilege_name) {
    const privilege_functions* f = library();
    if (!f) {
        return false;
    }
    const std::u16string name = text::utf8_to_utf16(privilege_name);
    LUID luid{};
    if (!f->lookup_privilege_value(nullptr, name.c_str(), &luid)) {
        return false;
    }
    HANDLE token = nullptr;
    if (!f->open_process_token(current_process, token_query, &token)) {
        return false;
    }
    PRIVILEGE_SET privileges{1, privilege_set_all_necessary, {{luid, 0}}};
    BOOL enabled = 0;
    const BOOL checked = f->privilege_check(token, &privileges, &enabled);
    f->close_handle(token);
    return checked && enabled;
}

std::mutex probe_guard;
privilege_probe& probe() {
    static privilege_probe installed;
    return installed;
}

}  // namespace

bool privilege_enabled(std::string_view privilege_name) {
    privilege_probe current;
    {
        std::lock_guard lock(probe_guard);
        current = probe();
    }
    return current ? current(privilege_name) : token_has_enabled(privilege_name);
}

privilege_probe replace_privilege_probe(privilege_probe replacement) {
    std::lock_guard lock(probe_guard);
    return std::exchange(probe(), std::move(replacement));
}

}  // namespace platform::registry

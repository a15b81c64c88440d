#include "platform/advapi/pointer_handles.hpp"

#include "platform/advapi/errors.hpp"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace platform::advapi {
namespace {

struct table {
    std::mutex mutex;
    std::unordered_map<const void*, DWORD> handles;
    std::vector<const void*> pointers{nullptr};  // index = handle
};

table& the_table() {
    static table instance;
    return instance;
}

}  // namespace

DWORD handle_for_pointer(const void* pointer) {
    if (!pointer) {
        return 0;
    }
    table& t = the_table();
    std::lock_guard lock(t.mutex);
    if (auto it = t.handles.find(pointer); it != t.handles.end()) {
        return it->second;
    }
    if (t.pointers.size() > MAXDWORD - 1) {
        fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    const auto handle = static_cast<DWORD>(t.pointers.size());
    t.pointers.push_back(pointer);
    t.handles.emplace(pointer, handle);
    return handle;
}

void* pointer_for_handle(DWORD handle) {
    if (handle == 0) {
        return nullptr;
    }
    table& t = the_table();
    std::lock_guard lock(t.mutex);
    if (handle >= t.pointers.size()) {
        fail(ERROR_INVALID_SECURITY_DESCR);
    }
    return const_cast<void*>(t.pointers[handle]);
}

}  // namespace platform::advapi

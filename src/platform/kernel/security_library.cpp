#include "platform/kernel/security_library.hpp"

#include <atomic>
#include <system_error>
#include <utility>

namespace platform::kernel {

namespace {

constexpr const char* library_name = "advapi32.dll";

// Never freed: the bound addresses stay valid for the life of the process.
std::atomic<dynamic_library*> loaded{nullptr};

}  // namespace

const dynamic_library* security_library() {
    if (dynamic_library* known = loaded.load(std::memory_order_acquire)) {
        return known;
    }
    std::error_code error;
    dynamic_library library = dynamic_library::find_loaded(library_name, error);
    if (!library) {
        library = dynamic_library::load(library_name, search_default_dirs, error);
    }
    if (!library) {
        library = dynamic_library::load(library_name, load_default, error);
    }
    if (!library) {
        return nullptr;
    }
    auto* mine = new dynamic_library(std::move(library));
    dynamic_library* expected = nullptr;
    if (!loaded.compare_exchange_strong(expected, mine, std::memory_order_acq_rel)) {
        delete mine;  // another thread was first; its handle is the one kept
        return expected;
    }
    return mine;
}

}  // namespace platform::kernel

#include "platform/kernel/embedded_library.hpp"

#include "platform/resources/resource_module.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string_view>
#include <utility>

namespace platform::kernel {
namespace {

struct carried_library {
    const char* name;
    std::uint32_t id;
};

constexpr std::array<carried_library, 1> carried = {{{"advapi32.dll", 1}}};

std::string lower_ascii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

int create_memory_file(const std::string& name) {
#ifdef MFD_EXEC
    // Where memory files are not executable by default, ask for it; older kernels refuse the flag.
    const int fd = memfd_create(name.c_str(), MFD_CLOEXEC | MFD_ALLOW_SEALING | MFD_EXEC);
    if (fd >= 0 || errno != EINVAL) {
        return fd;
    }
#endif
    return memfd_create(name.c_str(), MFD_CLOEXEC | MFD_ALLOW_SEALING);
}

}  // namespace

std::optional<std::uint32_t> embedded_library_id(const std::string& name) {
    const std::string wanted = lower_ascii(name);
    for (const carried_library& library : carried) {
        if (wanted == library.name) {
            return library.id;
        }
    }
    return std::nullopt;
}

std::optional<std::span<const std::byte>> embedded_library_image(const std::string& name) {
    const auto id = embedded_library_id(name);
    if (!id) {
        return std::nullopt;
    }
    return platform::resources::resource_module::self().find(embedded_library_type, *id);
}

unique_fd sealed_memory_file(const std::string& name, std::span<const std::byte> image, std::error_code& error) {
    unique_fd fd(create_memory_file(name));
    if (!fd) {
        error = std::error_code(errno, std::system_category());
        return {};
    }
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
    if (const int failure = write_all(fd.get(), bytes); failure != 0) {
        error = std::error_code(failure, std::system_category());
        return {};
    }
    if (fcntl(fd.get(), F_ADD_SEALS, F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        error = std::error_code(errno, std::system_category());
        return {};
    }
    error.clear();
    return fd;
}

}  // namespace platform::kernel

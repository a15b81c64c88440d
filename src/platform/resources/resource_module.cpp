#include "platform/resources/resource_module.hpp"

#include "platform/kernel/unique_fd.hpp"
#include "platform/resources/elf_section.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::resources {

// A whole file mapped read-only; unmapped with its owner.
struct resource_module::mapping {
    void* address = MAP_FAILED;
    std::size_t size = 0;

    std::span<const std::byte> bytes() const {
        return address == MAP_FAILED ? std::span<const std::byte>{}
                                     : std::span<const std::byte>(static_cast<const std::byte*>(address), size);
    }
    ~mapping() {
        if (address != MAP_FAILED) {
            munmap(address, size);
        }
    }
};

resource_module::resource_module(std::unique_ptr<mapping> map) : m_map(std::move(map)) {
    const auto image = m_map->bytes();
    if (const auto range = find_elf_section(image, resource_section_name)) {
        m_table = resource_table::parse(image.subspan(range->offset, range->size));
    }
}

resource_module::resource_module(resource_module&&) noexcept = default;
resource_module& resource_module::operator=(resource_module&&) noexcept = default;
resource_module::~resource_module() = default;

std::optional<resource_module> resource_module::open(const boost::filesystem::path& file) {
    const kernel::unique_fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        return std::nullopt;
    }
    auto map = std::make_unique<mapping>();
    struct stat st {};
    if (fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        map->size = static_cast<std::size_t>(st.st_size);
        map->address = mmap(nullptr, map->size, PROT_READ, MAP_PRIVATE, fd.get(), 0);
    }
    if (map->address == MAP_FAILED || !find_elf_section(map->bytes(), ".shstrtab")) {
        return std::nullopt;
    }
    return resource_module(std::move(map));
}

const resource_module& resource_module::self() {
    static const resource_module own = [] {
        auto opened = open("/proc/self/exe");
        return opened ? std::move(*opened) : resource_module(std::make_unique<mapping>());
    }();
    return own;
}

std::optional<std::span<const std::byte>> resource_module::find(std::uint32_t type, std::uint32_t id) const {
    return m_table ? m_table->find(type, id) : std::nullopt;
}

const std::vector<resource_ref>& resource_module::entries() const {
    static const std::vector<resource_ref> none;
    return m_table ? m_table->entries() : none;
}

}  // namespace platform::resources

#include "platform/version/file_version_info.hpp"

#include "platform/resources/resource_module.hpp"
#include "platform/version/version_block.hpp"

#include <algorithm>
#include <optional>

namespace platform::version {
namespace {

namespace res = platform::resources;

// The version block within a module's resource, cut to the block's own length.
std::span<const std::byte> version_block_of(const res::resource_module& module) {
    const auto data = module.find(res::rt_version, version_resource_id);
    if (!data) {
        return {};
    }
    return data->first(version_block_length(*data));
}

}  // namespace

std::uint32_t file_version_info_size(const boost::filesystem::path& file) {
    const auto module = res::resource_module::open(file);
    return module ? static_cast<std::uint32_t>(version_block_of(*module).size()) : 0;
}

bool file_version_info(const boost::filesystem::path& file, std::span<std::byte> buffer) {
    const auto module = res::resource_module::open(file);
    if (!module) {
        return false;
    }
    const auto block = version_block_of(*module);
    if (block.empty()) {
        return false;
    }
    std::copy_n(block.begin(), std::min(block.size(), buffer.size()), buffer.begin());
    return true;
}

std::span<const std::byte> own_version_info() {
    return version_block_of(res::resource_module::self());
}

}  // namespace platform::version

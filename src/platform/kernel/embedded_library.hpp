// Shared libraries the program carries inside its own file as resources, so that a lone copy of the
// program finds them without files beside it. They reach the dynamic loader through sealed memory
// files, never through a temporary file another user could swap.
#pragma once

#include "platform/kernel/unique_fd.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <system_error>

namespace platform::kernel {

// The resource type of carried libraries; the id tells which library.
inline constexpr std::uint32_t embedded_library_type = 1000;

// The resource id of the carried library with this file name (not case-sensitive), if it is one.
std::optional<std::uint32_t> embedded_library_id(const std::string& name);

// The bytes of the carried library with this file name in the running program's own resources;
// empty when the name is not a carried library or the program lacks it.
std::optional<std::span<const std::byte>> embedded_library_image(const std::string& name);

// A close-on-exec memory file holding `image`, sealed against writing, shrinking and growing, and
// against further seals. Invalid on failure, with the system error set.
unique_fd sealed_memory_file(const std::string& name, std::span<const std::byte> image, std::error_code& error);

}  // namespace platform::kernel

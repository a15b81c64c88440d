// What a product program says about itself comes from its version resource, never from a copy in
// the code: the family's id, the name and version it shows.
#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace quillon {

// The string `key` ("ProductName", "FileVersion", ...) of the block's first translation that has
// it; empty when none has.
std::string version_string(std::span<const std::byte> block, const std::string& key);

// The same from the running program's own version resource.
std::string own_version_string(const std::string& key);

// "ProductName ProductVersion" of the block ("Quillon 7.02b"): how the product names itself.
std::string product_title(std::span<const std::byte> block);

}  // namespace quillon

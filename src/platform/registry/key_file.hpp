// The file a saved key lives in: the key's tree in a small binary layout, little-endian, checked by a
// CRC-32 over everything before it. Reading refuses anything that is not exactly such a file, so a
// damaged or foreign file never reaches the store.
//
//   "VNREGKEY" | u32 version (1) | u32 key count | keys... | u32 crc
//   key:   u32 parent index (0xFFFFFFFF for the first) | name | u32 value count | values...
//   value: name | u32 type | u32 size | data
//   name:  u32 byte length | UTF-8 bytes
#pragma once

#include "platform/registry/key_tree.hpp"
#include "platform/registry/result.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <span>
#include <vector>

namespace platform::registry::detail {

std::vector<std::uint8_t> encode_key_file(const key_tree& tree);
// registry_corrupt for anything malformed.
result<key_tree> decode_key_file(std::span<const std::uint8_t> bytes);

// Creates the file exclusively (already_exists when something is there, a symbolic link included) and
// leaves no file behind on failure.
std::error_code write_key_file(const boost::filesystem::path& file, const key_tree& tree);
result<key_tree> read_key_file(const boost::filesystem::path& file);

}  // namespace platform::registry::detail

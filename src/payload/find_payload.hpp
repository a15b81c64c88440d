// The payload resource (type 260, id 134) of the running program, read in place.
// Stands in for FindResourceW, LoadResource, SizeofResource and LockResource on the own module.
#pragma once

#include "payload/vn/memstream.hpp"
#include "platform/resources/resource_table.hpp"

#include <cstdint>

namespace payload {

inline constexpr std::uint32_t payload_resource_type = platform::resources::rt_payload;
inline constexpr std::uint32_t payload_resource_id = 134;

// An input stream directly over the resource's bytes in the program's mapped image; nothing is
// copied. When the resource is missing or empty the stream is empty: good, and at its end at once.
vn::imemstream find_payload();

}  // namespace payload

// The parallel decoder: `workers` threads decode bzip2 blocks while the calling thread reads the
// source and feeds the sink. It delivers the same bytes in the same order and fails with the same
// error after the same bytes as the sequential pipeline: on damage it starts that pipeline over from
// the source's start and skips what it delivered. No thread outlives the call.
//
// A source that cannot seek back to where it started, no workers, or no thread to be had is decoded
// sequentially. A source that cannot go back after damage throws std::runtime_error.
#pragma once

#include "payload/block_sink.hpp"

#include <cstdint>
#include <istream>

namespace payload {

std::uint64_t decompress_payload_parallel(std::istream& source, const block_sink& sink, unsigned workers);

}  // namespace payload

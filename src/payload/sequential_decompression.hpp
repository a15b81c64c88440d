// The sequential decompression pipeline: the source is read in blocks of pipeline_block_size bytes
// on the calling thread and pushed through the bzip2 decompressor into a block sink.
//
// Returns the number of compressed bytes read. Damaged or cut-short compressed data throws
// std::system_error with compress_errc::bad_stream; whatever the sink throws passes unchanged; a
// source without a stream buffer throws std::invalid_argument.
#pragma once

#include "payload/block_sink.hpp"

#include <cstdint>
#include <istream>

namespace payload {

std::uint64_t decompress_payload_sequential(std::istream& source, const block_sink& sink);

}  // namespace payload

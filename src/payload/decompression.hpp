// The payload's decompression: the source is read and pushed through the bzip2 decompressor into
// a block sink, which receives at most pipeline_block_size bytes per call. This picks the decoder:
// the sequential pipeline on one processor, the parallel decoder otherwise.
#pragma once

#include "payload/block_sink.hpp"

#include <cstdint>
#include <istream>

namespace payload {

// Runs the source to its end and returns the number of compressed bytes read. Damaged or cut-short
// compressed data throws std::system_error with compress_errc::bad_stream; whatever the sink throws
// passes unchanged. Decodes on every processor the process may use.
std::uint64_t decompress_payload(std::istream& source, const block_sink& sink);

}  // namespace payload

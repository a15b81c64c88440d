// The payload's decompression pipeline: the source is read and pushed through the bzip2
// decompressor into an output end, which receives at most 4096 bytes per call.
#pragma once

#include <cstdint>
#include <functional>
#include <ios>
#include <istream>

namespace payload {

inline constexpr std::streamsize pipeline_block_size = 4096;

// Takes a block of decompressed bytes and returns how many it consumed; the pipeline offers the
// rest again until all is taken.
using block_sink = std::function<std::streamsize(const char* bytes, std::streamsize count)>;

// Runs the source to its end and returns the number of compressed bytes read. Damaged or cut-short
// compressed data throws std::system_error with compress_errc::bad_stream; whatever the sink throws
// passes unchanged. Decodes on every processor the process may use.
std::uint64_t decompress_payload(std::istream& source, const block_sink& sink);

// The same on the calling thread alone, reading the source in blocks of 4096 bytes.
std::uint64_t decompress_payload_sequential(std::istream& source, const block_sink& sink);

// The same with `workers` threads decoding blocks while the calling thread reads the source and
// feeds the sink. It delivers the same bytes in the same order and fails with the same error after
// the same bytes as the sequential pipeline. No thread outlives the call. A source that cannot seek
// back to where it started is decoded sequentially.
std::uint64_t decompress_payload_parallel(std::istream& source, const block_sink& sink, unsigned workers);

}  // namespace payload

// The payload's decompression pipeline: the source is read in blocks of 4096 bytes and pushed
// through the bzip2 decompressor into an output end, which receives at most one block per call.
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
// passes unchanged.
std::uint64_t decompress_payload(std::istream& source, const block_sink& sink);

}  // namespace payload

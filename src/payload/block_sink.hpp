// Where decompressed payload bytes go: a block sink takes at most pipeline_block_size bytes per
// call and says how many it consumed. Both decoders deliver through offer_all, so a sink sees the
// same calls from either.
#pragma once

#include <functional>
#include <ios>

namespace payload {

inline constexpr std::streamsize pipeline_block_size = 4096;

// Takes a block of decompressed bytes and returns how many it consumed; the pipeline offers the
// rest again until all is taken.
using block_sink = std::function<std::streamsize(const char* bytes, std::streamsize count)>;

// Offers the bytes to the sink in blocks until it has taken all of them. A sink that claims more
// than it was offered (or a negative count) throws std::logic_error; whatever the sink throws passes
// unchanged.
void offer_all(const block_sink& sink, const char* bytes, std::streamsize count);

}  // namespace payload

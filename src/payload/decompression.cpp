#include "payload/decompression.hpp"

#include "payload/parallel_decompression.hpp"
#include "payload/sequential_decompression.hpp"
#include "platform/system/processors.hpp"

namespace payload {

std::uint64_t decompress_payload(std::istream& source, const block_sink& sink) {
    const unsigned processors = platform::system::available_processors();
    if (processors < 2) {
        return decompress_payload_sequential(source, sink);
    }
    return decompress_payload_parallel(source, sink, processors);
}

}  // namespace payload

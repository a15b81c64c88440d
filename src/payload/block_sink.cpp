#include "payload/block_sink.hpp"

#include <algorithm>
#include <stdexcept>

namespace payload {

void offer_all(const block_sink& sink, const char* bytes, std::streamsize count) {
    for (std::streamsize done = 0; done < count;) {
        const std::streamsize offered = std::min(count - done, pipeline_block_size);
        const std::streamsize taken = sink(bytes + done, offered);
        if (taken < 0 || taken > offered) {
            throw std::logic_error("block sink took more than it was offered");
        }
        done += taken;
    }
}

}  // namespace payload

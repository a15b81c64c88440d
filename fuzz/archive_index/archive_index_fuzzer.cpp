// Feeds arbitrary bytes to the archive writer as if they were a decompressed archive: the index is
// parsed and checked, and every entry goes to a target that keeps nothing but sizes and CRC-32s.
//
// Each input runs three times: in 4096-byte blocks, in small blocks of changing sizes, and with
// every other entry skipped. The first two must end alike (same outcome, same index, same count of
// bytes), and every run must keep the writer's promises: only compress errors refuse the input, a
// failed writer swallows what follows, and the bytes accounted for never exceed the archive.
#include "payload/archive_writer.hpp"
#include "payload/compress_error.hpp"
#include "support/memory_archive_target.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct run_outcome {
    int error = 0;  // compress error value, 0 when the writer took everything
    std::vector<std::string> destinations;
    std::uint64_t bytes_done = 0;
};

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "archive writer broke a promise: %s\n", what);
        std::abort();
    }
}

run_outcome run_writer(std::string_view archive, bool small_blocks, bool skip_every_other) {
    using payload::notification;
    test_support::memory_archive_target target(false);
    std::size_t begun = 0;
    payload::archive_writer writer(
        "/inst", "/samples", "/work",
        [&](notification message) {
            if (const auto* progress = std::get_if<notification::progress>(&message)) {
                require(progress->bytes_done <= progress->bytes_total, "progress beyond the total");
            }
            if (std::holds_alternative<notification::entry_begin>(message) && skip_every_other && ++begun % 2 == 0) {
                return notification::result::skip;
            }
            return notification::result::proceed;
        },
        target);

    run_outcome outcome;
    std::size_t done = 0;
    try {
        std::size_t step = 0;
        std::size_t idle = 0;
        while (done < archive.size()) {
            const std::size_t block = small_blocks ? 1 + step++ % 7 : 4096;
            const auto offered = static_cast<std::streamsize>(std::min(block, archive.size() - done));
            const auto taken = writer.write(archive.data() + done, offered);
            require(taken >= 0 && taken <= offered, "took more than offered");
            // Only an empty entry takes nothing, and one at most per entry.
            idle = taken == 0 ? idle + 1 : 0;
            require(idle <= writer.entries().size() + 1, "took nothing again and again");
            done += static_cast<std::size_t>(taken);
        }
    } catch (const std::system_error& e) {
        require(e.code().category() == payload::compress_category(), "refused with a foreign error");
        require(writer.broken(), "failed without breaking");
        const auto rest = static_cast<std::streamsize>(archive.size() - done);
        require(writer.write(archive.data() + done, rest) == rest, "broken writer did not swallow");
        outcome.error = e.code().value();
    }
    if (writer.bytes_total() != 0) {
        require(writer.bytes_done() <= writer.bytes_total(), "more bytes done than the archive holds");
    }
    for (const auto& entry : writer.entries()) {
        outcome.destinations.push_back(entry.destination.string());
    }
    outcome.bytes_done = writer.bytes_done();
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view archive(reinterpret_cast<const char*>(data), size);
    const auto whole = run_writer(archive, false, false);
    const auto small = run_writer(archive, true, false);
    require(whole.error == small.error, "outcome depends on the block size");
    require(whole.destinations == small.destinations, "index depends on the block size");
    require(whole.bytes_done == small.bytes_done, "bytes done depend on the block size");
    run_writer(archive, true, true);
    return 0;
}

// Generated payloads shaped like the product's: 71 entries of mixed sizes, text-like data mixed
// with incompressible blocks so that bzip2 packs the archive to about a third.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>

namespace bench {

struct generated_payload {
    std::uint64_t archive_size = 0;
    std::uint64_t compressed_size = 0;
};

// Writes the compressed payload of an archive of about `archive_size` bytes to `file`, streaming.
generated_payload write_payload(const boost::filesystem::path& file, std::uint64_t archive_size);

}  // namespace bench

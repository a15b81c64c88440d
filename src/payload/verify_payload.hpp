// The check that the installation makes before extracting: the whole payload is decompressed once
// and the output thrown away.
#pragma once

#include <istream>

namespace payload {

// True when the source was read to its end without a stream error. Reads the source to its end:
// the caller seeks back to 0 before extracting. Damaged compressed data is not answered with false
// but throws as decompress_payload does, so that the caller can tell what went wrong.
bool verify_payload(std::istream& source);

}  // namespace payload

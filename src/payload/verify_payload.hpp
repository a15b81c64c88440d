// The check that the installation makes before extracting: the whole payload is decompressed once
// and the output thrown away.
#pragma once

#include <functional>
#include <istream>

namespace payload {

// True when the source was read to its end without a stream error. Reads the source to its end:
// the caller seeks back to 0 before extracting. Damaged compressed data is not answered with false
// but throws as decompress_payload does, so that the caller can tell what went wrong. `on_block`, when
// given, is called after every decompressed block: a caller on the user-interface thread serves its
// window from there during the long read.
bool verify_payload(std::istream& source, const std::function<void()>& on_block = {});

}  // namespace payload

// The installer's own error category, "compress", shared by the payload reader, the extraction and
// the installation sequence. Its values travel as std::error_code.
#pragma once

#include <string>
#include <system_error>

namespace payload {

enum class compress_errc {
    invalid_checksum = 3,  // a written file's CRC-32 differs from the index
    verify_failed = 4,     // the payload did not pass its check before the extraction
    interrupted = 5,       // the caller asked to stop
    bad_stream = 6,        // the compressed data is damaged
    unexpected = 7,        // an inconsistent archive, or a failure of no other kind
};

const std::error_category& compress_category() noexcept;

std::error_code make_error_code(compress_errc value) noexcept;

// The exception that carries a compress error.
std::system_error compress_failure(compress_errc value);

}  // namespace payload

template <>
struct std::is_error_code_enum<payload::compress_errc> : std::true_type {};

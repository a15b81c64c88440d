#include "payload/verify_payload.hpp"

#include "payload/decompression.hpp"

#include <string>

namespace payload {

bool verify_payload(std::istream& source) {
    if (source.rdbuf() == nullptr) {
        return false;
    }
    decompress_payload(source, [](const char*, std::streamsize count) { return count; });
    const bool stream_error = (source.rdstate() & (std::ios::failbit | std::ios::badbit)) != 0;
    return !stream_error && std::char_traits<char>::eq_int_type(source.rdbuf()->sgetc(), std::char_traits<char>::eof());
}

}  // namespace payload

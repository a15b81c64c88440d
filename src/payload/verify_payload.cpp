#include "payload/verify_payload.hpp"

#include "payload/decompression.hpp"

#include <string>

namespace payload {

bool verify_payload(std::istream& source, const std::function<void()>& on_block) {
    if (source.rdbuf() == nullptr) {
        return false;
    }
    decompress_payload(source, [&on_block](const char*, std::streamsize count) {
        if (on_block) {
            on_block();
        }
        return count;
    });
    const bool stream_error = (source.rdstate() & (std::ios::failbit | std::ios::badbit)) != 0;
    return !stream_error && std::char_traits<char>::eq_int_type(source.rdbuf()->sgetc(), std::char_traits<char>::eof());
}

}  // namespace payload

// Streams over memory: an input stream that reads a borrowed range in place, and an input and
// output stream over an owned range that grows as it is written.
#pragma once

#include "payload/vn/membuf.hpp"

#include <istream>
#include <utility>

namespace vn {

namespace details {

// Constructs the buffer before the stream base that points at it.
template <class CharT, class Traits>
struct membuf_holder {
    membuf_holder() = default;
    membuf_holder(const CharT* data, std::size_t size) : m_buf(data, size) {}
    membuf_holder(membuf_holder&&) noexcept = default;

    basic_membuf<CharT, Traits> m_buf;
};

}  // namespace details

template <class CharT, class Traits = std::char_traits<CharT>>
class basic_imemstream : private details::membuf_holder<CharT, Traits>, public std::basic_istream<CharT, Traits> {
    using holder = details::membuf_holder<CharT, Traits>;
    using stream = std::basic_istream<CharT, Traits>;

public:
    // An empty stream: good, and at its end at once.
    basic_imemstream() : basic_imemstream(nullptr, 0) {}
    // Reads [data, data + size) in place; the range must outlive the stream.
    basic_imemstream(const CharT* data, std::size_t size) : holder(data, size), stream(&this->m_buf) {}

    basic_imemstream(basic_imemstream&& other) noexcept : holder(std::move(other)), stream(std::move(other)) {
        this->set_rdbuf(&this->m_buf);
    }

    basic_membuf<CharT, Traits>* rdbuf() const { return const_cast<basic_membuf<CharT, Traits>*>(&this->m_buf); }
};

template <class CharT, class Traits = std::char_traits<CharT>>
class basic_memstream : private details::membuf_holder<CharT, Traits>, public std::basic_iostream<CharT, Traits> {
    using holder = details::membuf_holder<CharT, Traits>;
    using stream = std::basic_iostream<CharT, Traits>;

public:
    basic_memstream() : stream(&this->m_buf) {}

    basic_memstream(basic_memstream&& other) noexcept : holder(std::move(other)), stream(std::move(other)) {
        this->set_rdbuf(&this->m_buf);
    }

    basic_membuf<CharT, Traits>* rdbuf() const { return const_cast<basic_membuf<CharT, Traits>*>(&this->m_buf); }
};

using imemstream = basic_imemstream<char>;
using memstream = basic_memstream<char>;

}  // namespace vn

// A stream buffer over bytes in memory. It either borrows a range and reads it in place (nothing is
// copied, nothing can be written), or owns a growable range that can be written, read back and
// repositioned.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <ios>
#include <limits>
#include <memory>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <utility>

namespace vn {

template <class CharT, class Traits = std::char_traits<CharT>>
class basic_membuf : public std::basic_streambuf<CharT, Traits> {
    using base = std::basic_streambuf<CharT, Traits>;

public:
    using char_type = CharT;
    using traits_type = Traits;
    using int_type = typename Traits::int_type;
    using pos_type = typename Traits::pos_type;
    using off_type = typename Traits::off_type;

    // An owned buffer, empty, open for reading and writing.
    basic_membuf() : m_writable(true) {}

    // Reads [data, data + size) in place; the range must outlive the buffer.
    basic_membuf(const CharT* data, std::size_t size) : m_writable(false) {
        // The get area is declared mutable but a read-only buffer never writes through it.
        CharT* begin = const_cast<CharT*>(data);
        this->setg(begin, begin, begin + size);
    }

    basic_membuf(basic_membuf&& other) noexcept
        : base(other),
          m_storage(std::move(other.m_storage)),
          m_capacity(std::exchange(other.m_capacity, 0)),
          m_content_end(std::exchange(other.m_content_end, nullptr)),
          m_writable(other.m_writable) {
        other.setg(nullptr, nullptr, nullptr);
        other.setp(nullptr, nullptr);
    }

    basic_membuf& operator=(basic_membuf&& other) noexcept {
        if (this != &other) {
            base::operator=(other);
            m_storage = std::move(other.m_storage);
            m_capacity = std::exchange(other.m_capacity, 0);
            m_content_end = std::exchange(other.m_content_end, nullptr);
            m_writable = other.m_writable;
            other.setg(nullptr, nullptr, nullptr);
            other.setp(nullptr, nullptr);
        }
        return *this;
    }

    basic_membuf(const basic_membuf&) = delete;
    basic_membuf& operator=(const basic_membuf&) = delete;

    // The content: the borrowed range, or everything written so far.
    const CharT* data() const { return this->eback(); }
    std::size_t size() const { return static_cast<std::size_t>(content_end() - this->eback()); }
    // Elements allocated for an owned buffer (0 for a borrowed one).
    std::size_t capacity() const { return m_capacity; }

    // The capacity after one growth step: 256 more while short, then half as much again, which
    // keeps small buffers small and large ones from being copied too often.
    static std::size_t grown_capacity(std::size_t capacity) {
        const std::size_t step = capacity < 512 ? 256 : capacity / 2;
        if (capacity > max_capacity() - step) {
            throw std::length_error("vn::basic_membuf: buffer too large");
        }
        return capacity + step;
    }

protected:
    int_type underflow() override {
        const CharT* end = content_end();
        if (this->gptr() < end) {
            this->setg(this->eback(), this->gptr(), const_cast<CharT*>(end));
            return Traits::to_int_type(*this->gptr());
        }
        return Traits::eof();
    }

    int_type overflow(int_type c) override {
        if (!m_writable) {
            return Traits::eof();
        }
        if (Traits::eq_int_type(c, Traits::eof())) {
            return Traits::not_eof(c);
        }
        reserve(written() + 1);
        *this->pptr() = Traits::to_char_type(c);
        this->pbump(1);
        return c;
    }

    std::streamsize xsputn(const CharT* s, std::streamsize n) override {
        if (!m_writable || n <= 0) {
            return 0;
        }
        const auto count = static_cast<std::size_t>(n);
        if (count > max_capacity() - written()) {
            throw std::length_error("vn::basic_membuf: buffer too large");
        }
        reserve(written() + count);
        Traits::copy(this->pptr(), s, count);
        advance_put(count);
        return n;
    }

    std::streamsize showmanyc() override {
        const CharT* end = content_end();
        return this->gptr() < end ? end - this->gptr() : -1;
    }

    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
        const bool in = (which & std::ios_base::in) != 0;
        const bool out = (which & std::ios_base::out) != 0;
        if ((!in && !out) || (out && !m_writable) || (in && out && dir == std::ios_base::cur)) {
            return invalid();
        }
        off_type origin = 0;
        if (dir == std::ios_base::cur) {
            origin = in ? this->gptr() - this->eback() : static_cast<off_type>(written());
        } else if (dir == std::ios_base::end) {
            origin = static_cast<off_type>(size());
        }
        return move_to(origin, off, in, out);
    }

    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
        return seekoff(off_type(pos), std::ios_base::beg, which);
    }

private:
    static std::size_t max_capacity() {
        return std::min<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max() / sizeof(CharT),
                                     std::numeric_limits<off_type>::max());
    }

    static pos_type invalid() { return pos_type(off_type(-1)); }

    // The end of the content; writing may have gone beyond the last known end.
    const CharT* content_end() const {
        if (!m_writable) {
            return this->egptr();
        }
        return std::max<const CharT*>(m_content_end, this->pptr());
    }

    std::size_t written() const { return static_cast<std::size_t>(this->pptr() - this->pbase()); }

    pos_type move_to(off_type origin, off_type off, bool in, bool out) {
        const auto length = static_cast<off_type>(size());
        if ((off > 0 && origin > length - off) || (off < 0 && origin < -off)) {
            return invalid();
        }
        const off_type target = origin + off;
        m_content_end = const_cast<CharT*>(content_end());
        if (in) {
            this->setg(this->eback(), this->eback() + target, m_content_end);
        }
        if (out) {
            this->setp(this->pbase(), this->epptr());
            advance_put(static_cast<std::size_t>(target));
        }
        return pos_type(target);
    }

    // pbump takes an int; positions may be larger.
    void advance_put(std::size_t count) {
        while (count > 0) {
            const auto step = static_cast<int>(std::min<std::size_t>(count, INT_MAX));
            this->pbump(step);
            count -= static_cast<std::size_t>(step);
        }
    }

    // Makes room for `needed` elements, growing by the capacity rule and keeping both positions.
    void reserve(std::size_t needed) {
        if (needed <= m_capacity) {
            return;
        }
        std::size_t capacity = m_capacity;
        while (capacity < needed) {
            capacity = grown_capacity(capacity);
        }
        const std::size_t length = size();
        const std::size_t get_offset = static_cast<std::size_t>(this->gptr() - this->eback());
        const std::size_t put_offset = written();
        auto storage = std::make_unique_for_overwrite<CharT[]>(capacity);
        if (length > 0) {
            Traits::copy(storage.get(), this->eback(), length);
        }
        m_storage = std::move(storage);
        m_capacity = capacity;
        CharT* begin = m_storage.get();
        m_content_end = begin + length;
        this->setg(begin, begin + get_offset, m_content_end);
        this->setp(begin, begin + capacity);
        advance_put(put_offset);
    }

    std::unique_ptr<CharT[]> m_storage;
    std::size_t m_capacity = 0;
    CharT* m_content_end = nullptr;
    bool m_writable;
};

using membuf = basic_membuf<char>;

}  // namespace vn

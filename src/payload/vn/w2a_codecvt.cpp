#include "payload/vn/w2a_codecvt.hpp"

#include "platform/locale/code_page.hpp"

#include <limits>
#include <memory>
#include <span>

namespace vn {
namespace details {
namespace {

namespace loc = platform::locale;

std::optional<loc::code_page_converter> converter_for(std::uint32_t code_page) {
    return loc::code_page_converter::open(code_page);
}

}  // namespace

std::size_t w2a_codecvt::wide_length(const char* first, const char* last, std::size_t max) const {
    auto converter = converter_for(m_code_page);
    const auto count = converter
                           ? converter->wide_length(std::string_view(first, static_cast<std::size_t>(last - first)))
                           : std::nullopt;
    return count ? std::min(*count, max) : 0;
}

w2a_codecvt::result w2a_codecvt::do_in(state_type&, const extern_type* from, const extern_type* from_end,
                                       const extern_type*& from_next, intern_type* to, intern_type* to_end,
                                       intern_type*& to_next) const {
    from_next = from;
    to_next = to;
    if (from == from_end) {
        return ok;
    }
    auto converter = converter_for(m_code_page);
    const auto written =
        converter ? converter->to_wide(std::string_view(from, static_cast<std::size_t>(from_end - from)), {to, to_end})
                  : std::nullopt;
    if (!written || *written == 0) {
        return error;
    }
    from_next = from_end;
    to_next = to + *written;
    return ok;
}

w2a_codecvt::result w2a_codecvt::do_out(state_type&, const intern_type* from, const intern_type* from_end,
                                        const intern_type*& from_next, extern_type* to, extern_type* to_end,
                                        extern_type*& to_next) const {
    from_next = from;
    to_next = to;
    if (from == from_end) {
        return ok;
    }
    auto converter = converter_for(m_code_page);
    const auto written =
        converter
            ? converter->to_bytes(std::wstring_view(from, static_cast<std::size_t>(from_end - from)), {to, to_end})
            : std::nullopt;
    if (!written || *written == 0) {
        return error;
    }
    from_next = from_end;
    to_next = to + *written;
    return ok;
}

w2a_codecvt::result w2a_codecvt::do_unshift(state_type&, extern_type* to, extern_type*, extern_type*& to_next) const {
    to_next = to;
    return ok;
}

int w2a_codecvt::do_length(state_type&, const extern_type* from, const extern_type* from_end, std::size_t max) const {
    auto converter = converter_for(m_code_page);
    const auto used =
        converter ? converter->bytes_for_wide(std::string_view(from, static_cast<std::size_t>(from_end - from)), max)
                  : std::nullopt;
    return used ? static_cast<int>(std::min<std::size_t>(*used, std::numeric_limits<int>::max())) : 0;
}

}  // namespace details

namespace {

constexpr std::uint32_t CP_THREAD_ACP = platform::locale::CP_THREAD_ACP;
constexpr std::size_t stack_buffer_bytes = 511;
constexpr std::size_t max_wide_result = 0x7FFFFFFE;
constexpr std::size_t max_narrow_buffer = 0x7FFFFFFF;

// A conversion buffer of `count` elements: on the stack while it fits in 511 bytes, else on the heap.
template <typename T>
class conversion_buffer {
public:
    explicit conversion_buffer(std::size_t count) : m_count(count) {
        if (count * sizeof(T) > stack_buffer_bytes) {
            m_heap = std::make_unique_for_overwrite<T[]>(count);
        }
    }
    T* begin() { return m_heap ? m_heap.get() : reinterpret_cast<T*>(m_stack); }
    T* end() { return begin() + m_count; }

private:
    std::size_t m_count;
    alignas(T) unsigned char m_stack[stack_buffer_bytes];
    std::unique_ptr<T[]> m_heap;
};

}  // namespace

std::wstring to_wide(const char* first, const char* last) {
    if (first == last) {
        return {};
    }
    const details::w2a_codecvt facet(CP_THREAD_ACP);
    // One extra conversion measures the result, so that the buffer has its exact size.
    const std::size_t length = facet.wide_length(first, last, max_wide_result + 1);
    if (length == 0 || length > max_wide_result) {
        return {};
    }
    conversion_buffer<wchar_t> buffer(length);
    std::mbstate_t state{};
    const char* from_next = nullptr;
    wchar_t* to_next = nullptr;
    if (facet.in(state, first, last, from_next, buffer.begin(), buffer.end(), to_next) != std::codecvt_base::ok) {
        return {};
    }
    return std::wstring(buffer.begin(), to_next);
}

std::string to_narrow(const wchar_t* first, const wchar_t* last) {
    if (first == last) {
        return {};
    }
    const details::w2a_codecvt facet(CP_THREAD_ACP);
    const auto count = static_cast<std::size_t>(last - first);
    const auto per_character = static_cast<std::size_t>(facet.max_length());
    if (count > max_narrow_buffer / per_character) {
        return {};
    }
    conversion_buffer<char> buffer(count * per_character);
    std::mbstate_t state{};
    const wchar_t* from_next = nullptr;
    char* to_next = nullptr;
    if (facet.out(state, first, last, from_next, buffer.begin(), buffer.end(), to_next) != std::codecvt_base::ok) {
        return {};
    }
    return std::string(buffer.begin(), to_next);
}

}  // namespace vn

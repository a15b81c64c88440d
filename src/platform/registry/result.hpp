// The outcome of a registry operation that yields something: the thing, or the Windows error number
// that says why not.
#pragma once

#include "platform/registry/error.hpp"

#include <cassert>
#include <system_error>
#include <utility>
#include <variant>

namespace platform::registry {

template <class T>
class [[nodiscard]] result {
public:
    result(T value) : m_state(std::move(value)) {}
    result(errc code) : result(make_error_code(code)) {}
    result(std::error_code code) : m_state(code) { assert(code); }

    bool has_value() const noexcept { return m_state.index() == 0; }
    explicit operator bool() const noexcept { return has_value(); }

    // The failure; an empty code when there is a value.
    std::error_code error() const noexcept {
        return has_value() ? std::error_code{} : std::get<std::error_code>(m_state);
    }

    // Throws std::system_error when there is no value. A temporary result gives its value away, so that
    // `for (auto& v : *key.values())` iterates over a living object.
    T& value() & { return checked(); }
    const T& value() const& { return const_cast<result*>(this)->checked(); }
    T value() && { return std::move(checked()); }

    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

private:
    T& checked() {
        if (!has_value()) {
            throw std::system_error(std::get<std::error_code>(m_state));
        }
        return std::get<T>(m_state);
    }

    std::variant<T, std::error_code> m_state;
};

}  // namespace platform::registry

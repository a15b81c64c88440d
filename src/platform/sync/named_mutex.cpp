#include "platform/sync/named_mutex.hpp"

#include "platform/process/win32_error.hpp"
#include "platform/sync/shared_object.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <thread>

namespace platform::sync {
namespace detail {

// Written by the owner, so that the next owner can tell a released mutex from an abandoned one.
struct owner_record {
    std::uint32_t owned;
    std::int32_t pid;
};

class mutex_state final : public shared_object {
public:
    explicit mutex_state(bool take_on_creation) : m_take_on_creation(take_on_creation) {}

    // Guard held.
    std::optional<wait_result> try_take() {
        const auto me = std::this_thread::get_id();
        if (m_owner == me) {
            ++m_recursion;
            return wait_result::object_0;
        }
        if (m_owner != std::thread::id{} || !try_lock(mutex_owner_byte, F_WRLCK)) {
            return std::nullopt;
        }
        try {
            owner_record record{};
            read_at(&record, sizeof record, data_offset);
            const bool abandoned = record.owned != 0;
            record = {1, static_cast<std::int32_t>(getpid())};
            write_at(&record, sizeof record, data_offset);
            m_owner = me;
            m_recursion = 1;
            return abandoned ? wait_result::abandoned : wait_result::object_0;
        } catch (const object_error&) {
            unlock(mutex_owner_byte);
            throw;
        }
    }

    // Guard held.
    bool give_back() {
        if (m_owner != std::this_thread::get_id()) {
            return false;
        }
        if (--m_recursion > 0) {
            return true;
        }
        try {
            const owner_record released{0, 0};
            write_at(&released, sizeof released, data_offset);
        } catch (const object_error&) {
            // The record still says owned: the next owner sees an abandoned mutex, not a stuck one.
        }
        try {
            unlock(mutex_owner_byte);
        } catch (const object_error&) {
            // Dropped with the descriptor at the latest.
        }
        m_owner = {};
        changed().notify_all();
        return true;
    }

private:
    void initialize() override {
        owner_record record{};
        // Nobody can hold the owner byte of an object that did not exist.
        if (m_take_on_creation && try_lock(mutex_owner_byte, F_WRLCK)) {
            record = {1, static_cast<std::int32_t>(getpid())};
            m_owner = std::this_thread::get_id();
            m_recursion = 1;
        }
        write_at(&record, sizeof record, data_offset);
    }

    bool m_take_on_creation;
    std::thread::id m_owner;
    std::uint32_t m_recursion = 0;
};

}  // namespace detail

named_mutex named_mutex::create(std::string_view name, bool initial_owner, const object_security& security) {
    named_mutex result;
    try {
        auto opened = detail::open_shared_object(
            name, detail::object_kind::mutex, detail::grants_everyone_use(security, mutex_modify_state),
            [initial_owner] { return std::make_unique<detail::mutex_state>(initial_owner); });
        result.m_state = std::static_pointer_cast<detail::mutex_state>(opened.object);
        result.m_last_error = opened.already_existed ? process::error_already_exists : process::error_success;
    } catch (const object_error& error) {
        result.m_last_error = error.code;
    }
    return result;
}

named_mutex::~named_mutex() = default;

wait_result named_mutex::wait(std::chrono::milliseconds timeout) {
    if (!m_state) {
        return wait_result::failed;
    }
    return detail::wait_until_acquired(*m_state, timeout, [this] { return m_state->try_take(); });
}

bool named_mutex::release() {
    if (!m_state) {
        return false;
    }
    const std::lock_guard lock(m_state->guard());
    return m_state->give_back();
}

}  // namespace platform::sync

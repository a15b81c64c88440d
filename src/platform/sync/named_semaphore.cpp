#include "platform/sync/named_semaphore.hpp"

#include "platform/process/win32_error.hpp"
#include "platform/sync/shared_object.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <vector>

namespace platform::sync {
namespace detail {

struct semaphore_header {
    std::int32_t maximum;
    std::int32_t initial_left;  // initial counts not taken yet; they belong to the object itself
    std::uint32_t slot_count;
    std::uint32_t reserved;
};

// The counts one process has added and not yet given away. Slot i is alive while its process holds
// the lock on byte first_slot_byte + i.
struct slot_record {
    std::int32_t pid;  // 0: free
    std::int32_t count;
};

constexpr std::uint32_t max_slots = 4096;
constexpr off_t slots_offset = data_offset + static_cast<off_t>(sizeof(semaphore_header));

class semaphore_state final : public shared_object {
public:
    semaphore_state(std::int32_t initial, std::int32_t maximum) : m_initial(initial), m_maximum(maximum) {}

    ~semaphore_state() override {
        if (m_slot < 0) {
            return;
        }
        try {
            const gate gate(*this);
            table counts = load();
            counts.slots[m_slot] = {0, 0};
            store(counts);
            unlock(slot_byte(m_slot));
        } catch (const object_error&) {
            // The slot dies with the descriptor: the lock goes, and the next reader frees it.
        }
    }

    // Guard held.
    release_outcome add(std::int32_t count) {
        const gate gate(*this);
        table counts = load();
        const std::int64_t previous = counts.total();
        if (previous + count > counts.header.maximum) {
            return {process::error_too_many_posts, 0};
        }
        counts.slots[m_slot].count += count;
        store(counts);
        changed().notify_all();
        return {0, static_cast<std::int32_t>(previous)};
    }

    // Guard held.
    std::optional<wait_result> try_take() {
        const gate gate(*this);
        table counts = load();
        std::int32_t* source = nullptr;
        if (counts.slots[m_slot].count > 0) {
            source = &counts.slots[m_slot].count;
        } else if (counts.header.initial_left > 0) {
            source = &counts.header.initial_left;
        } else {
            for (auto& slot : counts.slots) {
                if (slot.count > 0) {
                    source = &slot.count;
                    break;
                }
            }
        }
        if (!source) {
            return std::nullopt;
        }
        --*source;
        store(counts);
        return wait_result::object_0;
    }

private:
    struct table {
        semaphore_header header{};
        std::vector<slot_record> slots;

        std::int64_t total() const {
            std::int64_t sum = header.initial_left;
            for (const auto& slot : slots) {
                sum += slot.count;
            }
            return sum;
        }
    };

    static off_t slot_byte(std::size_t slot) { return first_slot_byte + static_cast<off_t>(slot); }

    // The counts as they stand, without those of processes that have ended. Gate held.
    table load() {
        table counts;
        read_at(&counts.header, sizeof counts.header, data_offset);
        if (counts.header.slot_count > max_slots) {
            throw object_error{process::error_invalid_handle};
        }
        counts.slots.resize(counts.header.slot_count);
        read_at(counts.slots.data(), counts.slots.size() * sizeof(slot_record), slots_offset);
        for (std::size_t i = 0; i < counts.slots.size(); ++i) {
            auto& slot = counts.slots[i];
            if (slot.pid != 0 && static_cast<std::ptrdiff_t>(i) != m_slot && !locked_elsewhere(slot_byte(i))) {
                slot = {0, 0};
            }
        }
        return counts;
    }

    void store(table& counts) {
        counts.header.slot_count = static_cast<std::uint32_t>(counts.slots.size());
        write_at(&counts.header, sizeof counts.header, data_offset);
        write_at(counts.slots.data(), counts.slots.size() * sizeof(slot_record), slots_offset);
    }

    void initialize() override {
        const semaphore_header header{m_maximum, m_initial, 0, 0};
        write_at(&header, sizeof header, data_offset);
    }

    // Takes a slot of this process: a free one, one of an ended process, or a new one.
    void attach() override {
        table counts = load();
        for (std::size_t i = 0; i <= counts.slots.size() && i < max_slots; ++i) {
            if (i < counts.slots.size() && counts.slots[i].pid != 0) {
                continue;
            }
            // A free slot can still be locked for a moment by a process closing it.
            if (!try_lock(slot_byte(i), F_WRLCK)) {
                continue;
            }
            if (i == counts.slots.size()) {
                counts.slots.emplace_back();
            }
            counts.slots[i] = {static_cast<std::int32_t>(getpid()), 0};
            m_slot = static_cast<std::ptrdiff_t>(i);
            store(counts);
            return;
        }
        throw object_error{process::error_not_enough_memory};
    }

    std::int32_t m_initial;
    std::int32_t m_maximum;
    std::ptrdiff_t m_slot = -1;
};

}  // namespace detail

named_semaphore named_semaphore::create(std::string_view name, std::int32_t initial_count, std::int32_t maximum_count,
                                        const object_security& security) {
    named_semaphore result;
    if (maximum_count <= 0 || initial_count < 0 || initial_count > maximum_count) {
        result.m_last_error = process::error_invalid_parameter;
        return result;
    }
    try {
        auto opened = detail::open_shared_object(
            name, detail::object_kind::semaphore, detail::grants_everyone_use(security, semaphore_modify_state),
            [=] { return std::make_unique<detail::semaphore_state>(initial_count, maximum_count); });
        result.m_state = std::static_pointer_cast<detail::semaphore_state>(opened.object);
        result.m_last_error = opened.already_existed ? process::error_already_exists : process::error_success;
    } catch (const object_error& error) {
        result.m_last_error = error.code;
    }
    return result;
}

named_semaphore::~named_semaphore() = default;

wait_result named_semaphore::wait(std::chrono::milliseconds timeout) {
    if (!m_state) {
        return wait_result::failed;
    }
    return detail::wait_until_acquired(*m_state, timeout, [this] { return m_state->try_take(); });
}

release_outcome named_semaphore::release(std::int32_t count) {
    if (!m_state) {
        return {process::error_invalid_handle, 0};
    }
    if (count <= 0) {
        return {process::error_invalid_parameter, 0};
    }
    try {
        const std::lock_guard lock(m_state->guard());
        return m_state->add(count);
    } catch (const object_error& error) {
        return {error.code, 0};
    }
}

}  // namespace platform::sync

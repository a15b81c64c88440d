// The object manager behind CreateMutexW and CreateSemaphoreW: one object file per name, shared by
// every process that has the object open, and one in-process state per object, shared by this
// process's handles (the handles of a Windows process refer to one kernel object in the same way).
//
// Byte-range locks on the open file description carry everything that must end with a process:
// the kernel drops them when the process's last descriptor closes, also when it is killed.
//   gate byte      exclusive while a process reads or changes the object's data
//   presence byte  shared by every process that has the object open: without one, the object no
//                  longer exists and its file is stale
//   further bytes  the mutex owner, the semaphore's per-process slots
//
// The process that closes the object last removes its file, as a kernel frees an object with its
// last handle, and the folder when that was the last object. It unlinks only while it holds the gate
// and sees no other presence, and an opener checks under the gate that its file is still the named
// one (else it opens again), so no process ever keeps using a removed file. A process that ends
// without closing leaves a stale file that the next opener removes. What no object is (a link, a
// FIFO, a folder, a file with a second name) is taken away unopened (object_folder.hpp).
#pragma once

#include "platform/kernel/unique_fd.hpp"
#include "platform/sync/object_namespace.hpp"
#include "platform/sync/object_security.hpp"
#include "platform/sync/wait_result.hpp"

#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace platform::sync::detail {

enum class object_kind : std::uint32_t { mutex = 1, semaphore = 2 };

inline constexpr off_t gate_byte = 0;
inline constexpr off_t presence_byte = 1;
inline constexpr off_t mutex_owner_byte = 2;
inline constexpr off_t first_slot_byte = 1024;

// Where each kind's data starts in the file, after the common header.
inline constexpr off_t data_offset = 16;

class shared_object {
public:
    shared_object() = default;
    shared_object(const shared_object&) = delete;
    shared_object& operator=(const shared_object&) = delete;
    // Removes the object file when no other process has the object open.
    virtual ~shared_object();

    object_kind kind() const { return m_kind; }

    // Serialises this process's threads; held around every use of the locks below, since threads
    // sharing one descriptor do not exclude each other through its locks.
    std::mutex& guard() { return m_guard; }
    // Notified when this process releases the object, so that its own waiters need not poll.
    std::condition_variable& changed() { return m_changed; }

    // Byte locks on the object file; type is F_RDLCK or F_WRLCK. They throw object_error on a
    // failure of the system.
    bool try_lock(off_t byte, short type);  // false while another process holds a conflicting lock
    void unlock(off_t byte);
    bool locked_elsewhere(off_t byte);  // whether another open of the file holds a lock on the byte

    // Data of the object file; bytes beyond its end read as zero.
    void read_at(void* data, std::size_t size, off_t offset);
    void write_at(const void* data, std::size_t size, off_t offset);

    // Holds the gate for one scope.
    class gate {
    public:
        explicit gate(shared_object& object);
        ~gate();
        gate(const gate&) = delete;
        gate& operator=(const gate&) = delete;

    private:
        shared_object& m_object;
    };

private:
    friend struct object_opener;

    // Called with the gate held when the object is new machine-wide: writes the kind's initial data.
    virtual void initialize() = 0;
    // Called with the gate held when this process joins the object, new or not.
    virtual void attach() {}

    void remove_file_if_unused() noexcept;

    kernel::unique_fd m_fd;
    boost::filesystem::path m_folder;
    std::string m_file;
    object_kind m_kind{};
    std::mutex m_guard;
    std::condition_variable m_changed;
};

struct opened_object {
    std::shared_ptr<shared_object> object;
    bool already_existed = false;
};

// Creates the named object of the kind, or opens the existing one (this process's state when it
// has one already). make builds an empty state of the kind. everyone_may_use gives the new object's
// file to every account. Throws object_error, with error_invalid_handle when the name belongs to an
// object of another kind.
opened_object open_shared_object(std::string_view name, object_kind kind, bool everyone_may_use,
                                 const std::function<std::unique_ptr<shared_object>()>& make);

// Calls try_acquire, with the object's guard held, until it gives a result or the timeout passes.
// A release by this process wakes the wait at once; one by another process is noticed by polling,
// at short intervals that grow to a few milliseconds. A system failure gives wait_result::failed.
template <class TryAcquire>
wait_result wait_until_acquired(shared_object& object, std::chrono::milliseconds timeout, TryAcquire try_acquire) {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const auto deadline = timeout == infinite
                              ? steady_clock::time_point::max()
                              : start + std::clamp(timeout, milliseconds(0), milliseconds(hours(24 * 365)));
    milliseconds pause(1);
    std::unique_lock lock(object.guard());
    try {
        for (;;) {
            if (const std::optional<wait_result> result = try_acquire()) {
                return *result;
            }
            const auto now = steady_clock::now();
            if (now >= deadline) {
                return wait_result::timeout;
            }
            object.changed().wait_until(lock, std::min(deadline, now + pause));
            pause = std::min(pause * 2, milliseconds(16));
        }
    } catch (const object_error&) {
        return wait_result::failed;
    }
}

// Whether the access granted to Everyone lets every account wait for and release the object.
bool grants_everyone_use(const object_security& security, std::uint32_t modify_state);

}  // namespace platform::sync::detail

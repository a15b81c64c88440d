#include "platform/sync/shared_object.hpp"

#include "platform/kernel/win32_error.hpp"
#include "platform/sync/object_folder.hpp"
#include "platform/sync/object_namespace.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <boost/filesystem/operations.hpp>

#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace platform::sync::detail {
namespace {

constexpr std::array<char, 8> magic{'Q', 'N', 'O', 'B', 'J', '\0', '\0', '\1'};

struct file_header {
    std::array<char, 8> magic;
    std::uint32_t kind;
    std::uint32_t reserved;
};
static_assert(sizeof(file_header) == data_offset);

// A stale file is replaced by a fresh one, and a file can be replaced while a process waits for its
// gate; each of these sends the opener round again, but never more than a few times in practice.
constexpr int max_open_attempts = 64;

flock byte_range(off_t byte, short type) {
    flock range{};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = byte;
    range.l_len = 1;
    return range;
}

bool names_same_file(int dir, const std::string& file, int fd) {
    struct stat named {
    }, opened{};
    return fstatat(dir, file.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && fstat(fd, &opened) == 0 &&
           named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
}

// An object's file as the opener found it: an existing one, one created here, or none, which sends
// the opener round again (the name changed meanwhile, or something that is no object was taken away
// from it), after opening the folder again when that went with the last object.
struct object_file {
    unique_fd fd;
    bool created = false;
    bool folder_gone = false;
};

object_file open_object_file(int dir, const boost::filesystem::path& folder, const std::string& file, mode_t mode) {
    constexpr int flags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    struct stat found {};
    if (fstatat(dir, file.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) {
            throw_errno();
        }
        object_file result;
        result.fd.reset(openat(dir, file.c_str(), flags | O_CREAT | O_EXCL, mode));
        if (!result.fd) {
            if (errno != EEXIST && errno != ENOENT) {
                throw_errno();
            }
            result.folder_gone = errno == ENOENT;
            return result;
        }
        if (fchmod(result.fd.get(), mode) != 0) {
            throw_errno();
        }
        result.created = true;
        return result;
    }
    if (!may_be_object_file(found)) {
        // A link, a FIFO, a folder or a second name of another file: never an object, never opened.
        take_away(dir, folder, file, found);
        return object_file{};
    }
    // Opening an existing file without O_CREAT also works where the system protects files of other
    // accounts in sticky folders from being opened with it.
    unique_fd fd(openat(dir, file.c_str(), flags));
    if (!fd) {
        if (errno == EWOULDBLOCK) {
            // A lease on the file holds the opening back; no object's file ever has one.
            take_away(dir, folder, file, found);
            return object_file{};
        }
        if (errno == ENOENT || errno == ELOOP) {
            return object_file{};
        }
        throw_errno();
    }
    struct stat opened {};
    if (fstat(fd.get(), &opened) != 0) {
        throw_errno();
    }
    // Replaced between the look and the opening, or removed as stale since.
    if (opened.st_dev != found.st_dev || opened.st_ino != found.st_ino || !may_be_object_file(opened)) {
        return object_file{};
    }
    return object_file{std::move(fd)};
}

std::map<std::string, std::weak_ptr<shared_object>>& process_objects() {
    static std::map<std::string, std::weak_ptr<shared_object>> objects;
    return objects;
}

std::mutex& process_objects_guard() {
    static std::mutex guard;
    return guard;
}

}  // namespace

shared_object::~shared_object() {
    if (m_fd) {
        remove_file_if_unused();
    }
}

void shared_object::remove_file_if_unused() noexcept {
    try {
        const gate gate(*this);
        // This process's presence goes under the gate too: of two processes closing at once, the
        // second then sees no other and removes the file.
        unlock(presence_byte);
        if (locked_elsewhere(presence_byte)) {
            return;
        }
        const unique_fd dir(open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        // Only while the name still means this file: an opener may have replaced a stale one. An
        // unlink refused in the sticky folder (another account's file) leaves a stale file, which
        // the next opener removes or reuses.
        if (dir && names_same_file(dir.get(), m_file, m_fd.get()) && unlinkat(dir.get(), m_file.c_str(), 0) == 0) {
            // The folder goes with the last object too; refused while it holds another one. An
            // opener that finds it gone makes it again.
            rmdir(m_folder.c_str());
        }
    } catch (const object_error&) {
        // Left as a stale file, which the next opener removes.
    }
}

bool shared_object::try_lock(off_t byte, short type) {
    flock range = byte_range(byte, type);
    while (fcntl(m_fd.get(), F_OFD_SETLK, &range) != 0) {
        if (errno == EAGAIN || errno == EACCES) {
            return false;
        }
        if (errno != EINTR) {
            throw_errno();
        }
    }
    return true;
}

void shared_object::unlock(off_t byte) {
    flock range = byte_range(byte, F_UNLCK);
    if (fcntl(m_fd.get(), F_OFD_SETLK, &range) != 0) {
        throw_errno();
    }
}

bool shared_object::locked_elsewhere(off_t byte) {
    flock range = byte_range(byte, F_WRLCK);
    if (fcntl(m_fd.get(), F_OFD_GETLK, &range) != 0) {
        throw_errno();
    }
    return range.l_type != F_UNLCK;
}

void shared_object::read_at(void* data, std::size_t size, off_t offset) {
    auto* bytes = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(m_fd.get(), bytes + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw_errno();
        }
        if (n == 0) {
            std::memset(bytes + done, 0, size - done);
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

void shared_object::write_at(const void* data, std::size_t size, off_t offset) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = pwrite(m_fd.get(), bytes + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw_errno();
        }
        done += static_cast<std::size_t>(n);
    }
}

shared_object::gate::gate(shared_object& object) : m_object(object) {
    flock range = byte_range(gate_byte, F_WRLCK);
    while (fcntl(m_object.m_fd.get(), F_OFD_SETLKW, &range) != 0) {
        if (errno != EINTR) {
            throw_errno();
        }
    }
}

shared_object::gate::~gate() {
    flock range = byte_range(gate_byte, F_UNLCK);
    fcntl(m_object.m_fd.get(), F_OFD_SETLK, &range);
}

struct object_opener {
    static opened_object open(const std::string& file, object_kind kind, bool everyone_may_use,
                              const std::function<std::unique_ptr<shared_object>()>& make) {
        const mode_t mode = everyone_may_use ? 0666 : 0600;
        const boost::filesystem::path folder = objects_folder();
        unique_fd dir = open_objects_folder();
        for (int attempt = 0; attempt < max_open_attempts; ++attempt) {
            object_file found = open_object_file(dir.get(), folder, file, mode);
            if (found.folder_gone) {
                dir = open_objects_folder();
            }
            if (!found.fd) {
                continue;
            }
            unique_fd& fd = found.fd;
            const bool created = found.created;

            std::shared_ptr<shared_object> object = make();
            object->m_fd = std::move(fd);
            object->m_kind = kind;
            object->m_folder = folder;
            object->m_file = file;
            const shared_object::gate gate(*object);
            if (!names_same_file(dir.get(), file, object->m_fd.get())) {
                continue;  // removed as stale while we waited for the gate
            }
            const bool existed = object->locked_elsewhere(presence_byte);
            if (!existed && !created) {
                // Left by processes that have all ended: the object is gone, as a kernel object is
                // once its last handle closes. A fresh file also takes the access asked for now.
                if (unlinkat(dir.get(), file.c_str(), 0) == 0) {
                    continue;
                }
                if (fchmod(object->m_fd.get(), mode) != 0) {
                    // Not ours to remove or change (sticky folder): it is reused as it is.
                }
            }
            if (existed) {
                file_header header{};
                object->read_at(&header, sizeof header, 0);
                if (header.magic != magic || header.kind != static_cast<std::uint32_t>(kind)) {
                    throw object_error{kernel::win32::invalid_handle};
                }
            } else {
                if (ftruncate(object->m_fd.get(), 0) != 0) {
                    throw_errno();
                }
                const file_header header{magic, static_cast<std::uint32_t>(kind), 0};
                object->write_at(&header, sizeof header, 0);
                object->initialize();
            }
            if (!object->try_lock(presence_byte, F_RDLCK)) {
                throw object_error{kernel::win32::gen_failure};
            }
            object->attach();
            return {std::move(object), existed};
        }
        throw object_error{kernel::win32::gen_failure};
    }
};

opened_object open_shared_object(std::string_view name, object_kind kind, bool everyone_may_use,
                                 const std::function<std::unique_ptr<shared_object>()>& make) {
    const std::string file = object_file_name(name);
    const std::string key = (objects_folder() / file).string();
    const std::lock_guard lock(process_objects_guard());
    auto& objects = process_objects();
    if (const auto found = objects.find(key); found != objects.end()) {
        if (auto object = found->second.lock()) {
            if (object->kind() != kind) {
                throw object_error{kernel::win32::invalid_handle};
            }
            return {std::move(object), true};
        }
        objects.erase(found);
    }
    opened_object opened = object_opener::open(file, kind, everyone_may_use, make);
    std::erase_if(objects, [](const auto& entry) { return entry.second.expired(); });
    objects[key] = opened.object;
    return opened;
}

bool grants_everyone_use(const object_security& security, std::uint32_t modify_state) {
    const std::uint32_t granted = security.everyone_access;
    return (granted & generic_all) != 0 || ((granted & synchronize) != 0 && (granted & modify_state) != 0);
}

}  // namespace platform::sync::detail

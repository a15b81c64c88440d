#include "platform/process/process_descriptor.hpp"

#include <sys/syscall.h>
#include <unistd.h>

namespace platform::process {

kernel::unique_fd open_process_descriptor(pid_t process) {
#ifdef SYS_pidfd_open
    return kernel::unique_fd(static_cast<int>(::syscall(SYS_pidfd_open, process, 0)));
#else
    (void)process;
    return {};
#endif
}

}  // namespace platform::process

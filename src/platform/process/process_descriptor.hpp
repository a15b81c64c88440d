// A descriptor that becomes readable when a child process ends, so that its end can be waited for
// with poll and a timeout instead of by looking again and again.
#pragma once

#include "platform/kernel/unique_fd.hpp"

#include <sys/types.h>

namespace platform::process {

// Empty where the kernel has no process descriptors; the caller then looks at the process itself.
kernel::unique_fd open_process_descriptor(pid_t process);

}  // namespace platform::process

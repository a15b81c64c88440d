#include "platform/kernel/file_modes.hpp"

#include <sys/stat.h>

namespace platform::kernel {

void use_shared_file_modes() {
    ::umask(022);
}

}  // namespace platform::kernel

// What a new file or folder may be read by. An installer and the programs it installs write for every
// user of the machine, so what they create must not depend on the umask of whoever started them
// (root's is often 077). Files meant to be private are created with explicit private modes.
#pragma once

namespace platform::kernel {

// From now on, new files and folders of this process are readable by all (umask 022), whatever umask
// the process was started with.
void use_shared_file_modes();

}  // namespace platform::kernel

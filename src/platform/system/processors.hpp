// How many processors this process may run on, for sizing pools of worker threads.
#pragma once

namespace platform::system {

// The smaller of the machine's processor count and the number of processors in the process's
// affinity mask; at least 1.
unsigned available_processors();

}  // namespace platform::system

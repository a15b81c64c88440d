// Where the machine's named objects live and how an object name becomes a file name. Stands in for
// the global object name space of the Windows kernel ("Global\..." names).
//
// Each object is a file in R/run/lock/quillon-objects while some process has it open, and the folder
// exists while some object does. It is sticky and writable by every account, like /tmp, so that any
// account can create an object and none can remove another's; each object's own file mode decides
// who may use it. "Global\" and "Local\" name the same space here, as there is only one session.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::sync {

// A failed named-object operation, as a Windows error code.
struct object_error {
    std::uint32_t code;
};

// R/run/lock/quillon-objects (it may not exist: it is made with the first object).
boost::filesystem::path objects_folder();

// The file name of an object name: the name without its "Global\" or "Local\" prefix, with every
// byte outside letters, digits and "-_.{}+=,@~" (and a leading dot) written as %XX, so no name can
// reach outside the folder. Throws object_error with error_invalid_name for an empty name,
// error_path_not_found for a further backslash and error_filename_exced_range for a name too long.
std::string object_file_name(std::string_view name);

}  // namespace platform::sync

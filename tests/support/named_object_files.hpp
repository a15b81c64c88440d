// The files that named objects keep in the objects folder, by name: the tests that check nothing of a
// run is left behind list them.
#pragma once

#include "platform/sync/object_namespace.hpp"

#include <boost/filesystem/operations.hpp>

#include <string>
#include <vector>

namespace test_support {

inline std::vector<std::string> named_object_files() {
    std::vector<std::string> names;
    boost::system::error_code error;
    for (boost::filesystem::directory_iterator it(platform::sync::objects_folder(), error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

}  // namespace test_support

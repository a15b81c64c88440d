// A file's whole content, read and written as bytes: how the tests set up and look at files.
#pragma once

#include <boost/filesystem/path.hpp>

#include <string>
#include <string_view>

namespace test_support {

// The file's bytes; empty when it cannot be read.
std::string read_file(const boost::filesystem::path& path);

// Makes `bytes` the file's whole content, creating missing folders on the way. False when the file
// could not be written.
bool write_file(const boost::filesystem::path& path, std::string_view bytes);

}  // namespace test_support

#include "support/file_content.hpp"

#include <boost/filesystem/operations.hpp>

#include <fstream>
#include <sstream>

namespace test_support {

std::string read_file(const boost::filesystem::path& path) {
    std::ifstream in(path.string(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool write_file(const boost::filesystem::path& path, std::string_view bytes) {
    if (path.has_parent_path()) {
        boost::system::error_code ignored;  // a folder that cannot be made fails the opening below
        boost::filesystem::create_directories(path.parent_path(), ignored);
    }
    std::ofstream out(path.string(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace test_support

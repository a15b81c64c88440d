#include "platform/sync/object_namespace.hpp"

#include "platform/process/win32_error.hpp"

#include <gtest/gtest.h>

#include <string>

namespace objects = platform::sync;
namespace proc = platform::process;

TEST(ObjectNames, FileNamesStayInsideTheFolder) {
    const struct {
        std::string name;
        std::string file;
    } cases[] = {
        {"Global\\Quillon7.{a3526b56-ca7c-4e16-8a26-da7758a378fd}", "Quillon7.{a3526b56-ca7c-4e16-8a26-da7758a378fd}"},
        {"Local\\Quillon7", "Quillon7"},
        {"plain name", "plain%20name"},
        {"../../etc/passwd", "%2E.%2F..%2Fetc%2Fpasswd"},
        {"..", "%2E."},
        {".hidden", "%2Ehidden"},
        {"a%2Fb", "a%252Fb"},  // the escape character itself is escaped, so names stay distinct
        {"\xC3\x9C"
         "bung",
         "%C3%9Cbung"},
        {"Case", "Case"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(objects::object_file_name(c.name), c.file) << c.name;
    }
}

TEST(ObjectNames, UnusableNamesAreRefused) {
    const struct {
        std::string name;
        std::uint32_t error;
    } cases[] = {
        {"", proc::error_invalid_name},
        {"Global\\", proc::error_invalid_name},
        {"Global\\a\\b", proc::error_path_not_found},
        {"global\\a", proc::error_path_not_found},  // prefixes are case-sensitive
        {std::string(261, 'a'), proc::error_filename_exced_range},
        {std::string(100, '/'), proc::error_filename_exced_range},  // fits Windows, not a file name
    };
    for (const auto& c : cases) {
        try {
            objects::object_file_name(c.name);
            ADD_FAILURE() << c.name << " accepted";
        } catch (const objects::object_error& error) {
            EXPECT_EQ(error.code, c.error) << c.name;
        }
    }
}

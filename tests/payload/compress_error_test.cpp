#include "payload/compress_error.hpp"

#include <gtest/gtest.h>

TEST(CompressCategory, NameAndMessages) {
    using payload::compress_errc;
    EXPECT_STREQ(payload::compress_category().name(), "compress");
    const std::pair<int, const char*> cases[] = {
        {3, "invalid checksum"}, {4, "unknown error"}, {5, "interrupted"},   {6, "bzip2 error"},
        {7, "unexpected error"}, {0, "unknown error"}, {8, "unknown error"},
    };
    for (const auto& [value, message] : cases) {
        EXPECT_EQ(payload::compress_category().message(value), message) << value;
    }
    const std::error_code code = compress_errc::bad_stream;  // converts implicitly
    EXPECT_EQ(code.value(), 6);
    EXPECT_EQ(&code.category(), &payload::compress_category());
}

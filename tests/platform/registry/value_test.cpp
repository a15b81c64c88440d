#include "platform/registry/value.hpp"

#include <gtest/gtest.h>

namespace reg = platform::registry;

namespace {

using bytes = std::vector<std::uint8_t>;

TEST(RegistryValue, StringsAreUtf16LittleEndianWithTheirTerminatingNull) {
    EXPECT_EQ(reg::utf16le_bytes("Aé", true), (bytes{'A', 0, 0xE9, 0, 0, 0}));
    EXPECT_EQ(reg::utf16le_bytes("Aé", false), (bytes{'A', 0, 0xE9, 0}));
    EXPECT_EQ(reg::utf16le_bytes("\xF0\x9F\x98\x80", false), (bytes{0x3D, 0xD8, 0x00, 0xDE}));
    EXPECT_EQ(reg::string_value("").data, (bytes{0, 0}));

    const struct {
        bytes data;
        const char* text;
    } reads[] = {
        {{'a', 0, 'b', 0, 0, 0}, "ab"},
        {{'a', 0, 'b', 0}, "ab"},                 // no terminating null
        {{'a', 0, 0, 0, 'z', 0, 0, 0}, "a"},      // text ends at the first null
        {{'a', 0, 'b'}, "a"},                     // odd last byte
        {{0x3D, 0xD8, 'x', 0}, "\xEF\xBF\xBDx"},  // lone surrogate
        {{}, ""},
    };
    for (const auto& r : reads) {
        EXPECT_EQ(reg::text_of_utf16le(r.data), r.text);
    }
}

TEST(RegistryValue, ReadersAcceptOnlyTheirTypeAndSize) {
    EXPECT_EQ(reg::as_string(reg::string_value("x", reg::value_type::expand_sz)), "x");
    EXPECT_EQ(reg::as_string(reg::dword_value(1)), std::nullopt);
    EXPECT_EQ(reg::as_dword(reg::dword_value(0x01020304)), 0x01020304u);
    EXPECT_EQ(reg::dword_value(0x01020304).data, (bytes{4, 3, 2, 1}));
    EXPECT_EQ(reg::as_dword({reg::value_type::dword, {1, 2}}), std::nullopt);
    EXPECT_EQ(reg::as_dword(reg::qword_value(1)), std::nullopt);
    EXPECT_EQ(reg::as_qword(reg::qword_value(0x0007000200020001)), 0x0007000200020001u);

    const auto multi = reg::multi_string_value({"a", "bc"});
    EXPECT_EQ(multi.data, (bytes{'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0}));
    EXPECT_EQ(reg::as_multi_string(multi), (std::vector<std::string>{"a", "bc"}));
    EXPECT_EQ(reg::as_multi_string(reg::multi_string_value({})), std::vector<std::string>{});
    EXPECT_EQ(reg::as_multi_string({reg::value_type::multi_sz, {'a', 0}}), std::vector<std::string>{"a"});
}

TEST(RegistryValue, DescriptionsShowTypeAndDataForPeople) {
    const struct {
        reg::value v;
        const char* text;
    } cases[] = {
        {reg::string_value("C:\\x \"y\""), "REG_SZ \"C:\\\\x \\\"y\\\"\" (18 bytes)"},
        {{reg::value_type::sz, {'a', 0}}, "REG_SZ \"a\" (2 bytes: 61 00)"},
        {reg::string_value("%TEMP%", reg::value_type::expand_sz), "REG_EXPAND_SZ \"%TEMP%\" (14 bytes)"},
        {reg::multi_string_value({"a", "b"}), "REG_MULTI_SZ \"a\" \"b\" (10 bytes)"},
        {reg::dword_value(42), "REG_DWORD 0x0000002a (42)"},
        {reg::qword_value(1), "REG_QWORD 0x0000000000000001 (1)"},
        {{reg::value_type::dword, {1, 2}}, "REG_DWORD 01 02 (2 bytes)"},
        {reg::binary_value(bytes{0, 0xAB}), "REG_BINARY 00 ab (2 bytes)"},
        {{reg::value_type::none, {}}, "REG_NONE (0 bytes)"},
        {{static_cast<reg::value_type>(0x99), {7}}, "type 0x99 07 (1 byte)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(reg::describe(c.v), c.text);
    }
}

}  // namespace

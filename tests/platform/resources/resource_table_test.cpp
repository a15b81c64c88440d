#include "platform/resources/resource_module.hpp"
#include "platform/resources/resource_table.hpp"
#include "platform/resources/string_table.hpp"

#include <gtest/gtest.h>

#include <string>

namespace res = platform::resources;

namespace {

std::vector<std::byte> bytes_of(const std::string& text) {
    std::vector<std::byte> out;
    for (char c : text) {
        out.push_back(static_cast<std::byte>(c));
    }
    return out;
}

std::string text_of(std::span<const std::byte> bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(ResourceTable, BuildsAndFindsEveryResourceInPlace) {
    res::resource_table_builder builder;
    builder.set(res::rt_payload, 134, bytes_of("payload bytes"));
    builder.set(res::rt_string, 2, bytes_of(""));
    builder.set(res::rt_version, 1, bytes_of("old"));
    builder.set(res::rt_version, 1, bytes_of("version"));  // replaces
    const auto bytes = builder.build();

    const auto table = res::resource_table::parse(bytes);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->entries().size(), 3u);
    EXPECT_EQ(table->entries().front().type, res::rt_string);  // sorted by type
    const auto payload = table->find(res::rt_payload, 134);
    ASSERT_TRUE(payload);
    EXPECT_EQ(text_of(*payload), "payload bytes");
    EXPECT_GE(payload->data(), bytes.data());  // a view into the table, not a copy
    EXPECT_LT(payload->data(), bytes.data() + bytes.size());
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(payload->data()) % 16, reinterpret_cast<std::uintptr_t>(bytes.data()) % 16);
    EXPECT_EQ(text_of(*table->find(res::rt_version, 1)), "version");
    EXPECT_TRUE(table->find(res::rt_string, 2)->empty());
    EXPECT_FALSE(table->find(res::rt_payload, 135));
}

TEST(ResourceTable, RefusesMalformedTables) {
    res::resource_table_builder builder;
    builder.set(res::rt_payload, 134, bytes_of("0123456789"));
    const auto good = builder.build();

    auto truncated = good;
    truncated.resize(truncated.size() - 1);  // the data of the last entry runs past the end
    auto bad_magic = good;
    bad_magic[0] = std::byte{'X'};
    auto huge_count = good;
    huge_count[8] = std::byte{0xFF};
    huge_count[11] = std::byte{0x7F};

    for (const auto* bytes : {&truncated, &bad_magic, &huge_count}) {
        EXPECT_FALSE(res::resource_table::parse(*bytes));
    }
    EXPECT_FALSE(res::resource_table::parse({}));
}

TEST(StringTable, FindsTextsByNumber) {
    const auto table = res::encode_string_table({{2000, "Installer"}, {2001, ""}, {2110, "a\r\nb"}});
    EXPECT_EQ(res::find_string(table, 2000), "Installer");
    EXPECT_EQ(res::find_string(table, 2001), "");
    EXPECT_EQ(res::find_string(table, 2110), "a\r\nb");
    EXPECT_FALSE(res::find_string(table, 2002));
    EXPECT_FALSE(res::find_string(table, 9999));
    auto cut = table;
    cut.resize(cut.size() - 4);
    EXPECT_FALSE(res::find_string(cut, 2110));
}

TEST(ResourceModule, ReadsTheRunningProgramsOwnStringTables) {
    const auto& self = res::resource_module::self();
    ASSERT_TRUE(self.has_section());
    EXPECT_EQ(res::load_string(self, 2000), "Installer");
    EXPECT_EQ(res::load_string(self, 2115), "Copying File  %1...");
    EXPECT_FALSE(res::load_string(self, 2116));
}

TEST(ResourceModule, OpensOtherProgramFilesAndRefusesOtherFiles) {
    const auto other = res::resource_module::open("/proc/self/exe");
    ASSERT_TRUE(other);
    EXPECT_EQ(res::load_string(*other, 2000), "Installer");
    EXPECT_FALSE(res::resource_module::open(QUILLON_SOURCE_DIR "/CMakeLists.txt"));
    EXPECT_FALSE(res::resource_module::open("/nonexistent/program"));
    const auto plain = res::resource_module::open("/bin/sh");  // a program file without resources
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->has_section());
    EXPECT_FALSE(plain->find(res::rt_version, 1));
}

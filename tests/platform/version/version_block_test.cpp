#include "platform/version/version_block.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ver = platform::version;

namespace {

ver::version_resource sample_resource() {
    ver::version_resource r;
    r.fixed.emplace();
    r.fixed->dwFileVersionMS = 0x00070002;
    r.fixed->dwFileVersionLS = 0x00020001;
    r.fixed->dwFileFlags = ver::VS_FF_PRERELEASE;
    r.string_tables = {{"040c04b0", {{"ProductName", "Quillon bêta"}, {"Comments", ""}}},
                       {"040904b0", {{"ProductName", "Quillon"}, {"ProductVersion", "7.02b"}}}};
    r.translations = {{0x040C, 1200}, {0x0409, 1200}, {0x0407, 1252}};
    return r;
}

std::uint16_t u16_at(const std::vector<std::byte>& b, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(b[at]) | std::to_integer<unsigned>(b[at + 1]) << 8);
}

std::string text_of(std::span<const std::byte> block, std::string_view path) {
    const auto value = ver::query_version_value(block, path);
    return value ? ver::version_value_text(*value) : "<none>";
}

}  // namespace

TEST(VersionBlock, HasTheGenuineRootLayout) {
    const auto block = ver::build_version_block(sample_resource());
    EXPECT_EQ(u16_at(block, 0), block.size());  // wLength covers the whole block
    EXPECT_EQ(u16_at(block, 2), 52);            // wValueLength: VS_FIXEDFILEINFO
    EXPECT_EQ(u16_at(block, 4), 0);             // wType: binary
    const std::u16string key = u"VS_VERSION_INFO";
    for (std::size_t i = 0; i < key.size(); ++i) {
        EXPECT_EQ(u16_at(block, 6 + 2 * i), key[i]);
    }
    EXPECT_EQ(u16_at(block, 6 + 2 * key.size()), 0);
    // Key ends at 38; the value starts on the next 32-bit boundary with the signature.
    EXPECT_EQ(u16_at(block, 40), 0x04BD);
    EXPECT_EQ(u16_at(block, 42), 0xFEEF);
    EXPECT_EQ(block.size() % 4, 0);
    EXPECT_EQ(ver::version_block_length(block), block.size());
}

// A block written out by hand from the record layout: header, key, padding, value, children.
TEST(VersionBlock, MatchesAHandWrittenBlock) {
    std::vector<std::byte> expected;
    auto u16 = [&](std::uint16_t v) {
        expected.push_back(static_cast<std::byte>(v & 0xFF));
        expected.push_back(static_cast<std::byte>(v >> 8));
    };
    auto header = [&](std::uint16_t length, std::uint16_t value_length, std::uint16_t type, std::u16string_view key) {
        u16(length);
        u16(value_length);
        u16(type);
        for (char16_t c : key) {
            u16(c);
        }
        u16(0);
        while (expected.size() % 4 != 0) {
            expected.push_back(std::byte{0});
        }
    };
    header(216, 0, 0, u"VS_VERSION_INFO");
    header(108, 0, 1, u"StringFileInfo");
    header(72, 0, 1, u"040904b0");
    header(48, 8, 1, u"ProductName");
    for (char16_t c : std::u16string_view(u"Quillon\0", 8)) {
        u16(c);
    }
    header(68, 0, 1, u"VarFileInfo");
    header(36, 4, 0, u"Translation");
    u16(0x0409);
    u16(1200);

    ver::version_resource r;
    r.string_tables = {{"040904b0", {{"ProductName", "Quillon"}}}};
    r.translations = {{0x0409, 1200}};
    EXPECT_EQ(ver::build_version_block(r), expected);
    EXPECT_EQ(text_of(expected, "\\StringFileInfo\\040904b0\\ProductName"), std::string("Quillon\0", 8));
}

TEST(VersionBlock, QueriesFindWhatWasBuilt) {
    const auto block = ver::build_version_block(sample_resource());

    const auto root = ver::query_version_value(block, "\\");
    ASSERT_TRUE(root);
    const auto fixed = ver::read_fixed_file_info(*root);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00070002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00020001u);
    EXPECT_EQ(fixed->dwFileFlags, ver::VS_FF_PRERELEASE);
    EXPECT_EQ(fixed->dwStrucVersion, ver::VS_FFI_STRUCVERSION);

    const auto translation = ver::query_version_value(block, "\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    EXPECT_FALSE(translation->is_text);
    EXPECT_EQ(translation->length, 12u);  // bytes
    EXPECT_EQ(ver::read_translations(*translation),
              (std::vector<ver::translation>{{0x040C, 1200}, {0x0409, 1200}, {0x0407, 1252}}));

    EXPECT_EQ(text_of(block, "\\StringFileInfo\\040904b0\\ProductVersion"), std::string("7.02b\0", 6));
    EXPECT_EQ(text_of(block, "\\StringFileInfo\\040c04b0\\ProductName"), std::string("Quillon bêta\0", 14));
    // Keys compare without regard to case; a leading separator is optional.
    EXPECT_EQ(text_of(block, "stringfileinfo\\040C04B0\\productname"), std::string("Quillon bêta\0", 14));
    EXPECT_EQ(text_of(block, "\\StringFileInfo\\040c04b0\\Comments"), std::string("\0", 1));
    EXPECT_EQ(text_of(block, "\\StringFileInfo\\040904b0\\Comments"), "<none>");
    EXPECT_EQ(text_of(block, "\\StringFileInfo\\040704e4\\ProductName"), "<none>");
    EXPECT_EQ(text_of(block, "\\VarFileInfo\\Nothing"), "<none>");
}

TEST(VersionBlock, StringLengthsCountTheTerminatorOrNot) {
    auto r = sample_resource();
    const auto counted = ver::build_version_block(r, ver::string_length::counts_terminator);
    const auto uncounted = ver::build_version_block(r, ver::string_length::excludes_terminator);
    const char* path = "\\StringFileInfo\\040904b0\\ProductName";
    EXPECT_EQ(ver::query_version_value(counted, path)->length, 8u);
    EXPECT_EQ(ver::query_version_value(uncounted, path)->length, 7u);
    EXPECT_EQ(text_of(uncounted, path), "Quillon");
    // The zero is stored either way, so the blocks have the same size.
    EXPECT_EQ(counted.size(), uncounted.size());
}

TEST(VersionBlock, WithoutFixedInformationOrTranslations) {
    ver::version_resource r;
    r.string_tables = {{"040904b0", {{"ProductName", "Quillon"}}}};
    const auto block = ver::build_version_block(r);
    const auto root = ver::query_version_value(block, "\\");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->length, 0u);
    EXPECT_FALSE(ver::read_fixed_file_info(*root));
    EXPECT_FALSE(ver::query_version_value(block, "\\VarFileInfo\\Translation"));
    EXPECT_EQ(text_of(block, "\\StringFileInfo\\040904b0\\ProductName"), std::string("Quillon\0", 8));
}

TEST(VersionBlock, FixedInformationNeedsItsSignatureAndSize) {
    auto r = sample_resource();
    r.fixed->dwSignature = 0x12345678;
    const auto block = ver::build_version_block(r);
    EXPECT_FALSE(ver::read_fixed_file_info(*ver::query_version_value(block, "\\")));

    const std::vector<std::byte> short_value(40, std::byte{0xBD});
    EXPECT_FALSE(ver::read_fixed_file_info({short_value, 40, false}));
}

TEST(VersionBlock, EveryTruncationOrCorruptionIsReadSafely) {
    const auto block = ver::build_version_block(sample_resource());
    const char* paths[] = {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904b0\\ProductVersion",
                           "\\StringFileInfo\\040c04b0\\ProductName"};
    auto read_all = [&](std::span<const std::byte> bytes) {
        for (const char* path : paths) {
            if (const auto value = ver::query_version_value(bytes, path)) {
                // The value always lies inside the bytes given.
                ASSERT_GE(value->data.data(), bytes.data());
                ASSERT_LE(value->data.data() + value->data.size(), bytes.data() + bytes.size());
                ver::version_value_text(*value);
                ver::read_fixed_file_info(*value);
                ver::read_translations(*value);
            }
        }
    };
    for (std::size_t size = 0; size < block.size(); ++size) {
        // Cut short, with the root's length left claiming the whole block.
        std::vector<std::byte> cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size));
        read_all(cut);
        EXPECT_EQ(ver::version_block_length(cut), 0u) << size;
    }
    for (std::size_t at = 0; at < block.size(); ++at) {
        for (const std::byte junk : {std::byte{0x00}, std::byte{0xFF}, std::byte{0x07}}) {
            auto damaged = block;
            damaged[at] = junk;
            read_all(damaged);
        }
    }
}

TEST(VersionBlock, BuilderRejectsWhatTheLayoutCannotHold) {
    ver::version_resource r;
    r.string_tables = {{"040904b0", {{"ProductName", "bad \xFF text"}}}};
    EXPECT_THROW(ver::build_version_block(r), std::invalid_argument);

    r.string_tables = {{"040904b0", {{"Comments", std::string(40000, 'x')}}}};
    EXPECT_THROW(ver::build_version_block(r), std::length_error);
}

TEST(VersionBlock, StringTableKeyOfATranslation) {
    EXPECT_EQ(ver::string_table_key({0x0409, 1200}), "040904b0");
    EXPECT_EQ(ver::string_table_key({0x040C, 1252}), "040c04e4");
}

#include "platform/registry/key_file.hpp"

#include <gtest/gtest.h>

namespace reg = platform::registry;
namespace detail = platform::registry::detail;

using reg::errc;

namespace {

reg::key_tree sample_tree() {
    return {
        {"", 0, {{"", reg::string_value("default")}, {"Blob", reg::binary_value(std::vector<std::uint8_t>{0, 0})}}},
        {"Sub", 0, {{"n", reg::dword_value(7)}, {"none", {reg::value_type::none, {}}}}},
        {"Deeper", 1, {}},
        {"Side", 0, {{"ü", reg::multi_string_value({"a", ""})}}},
    };
}

TEST(RegistryKeyFile, EncodesAndDecodesATree) {
    const auto tree = sample_tree();
    EXPECT_EQ(*detail::decode_key_file(detail::encode_key_file(tree)), tree);
    const reg::key_tree empty_key{reg::tree_key{}};
    EXPECT_EQ(*detail::decode_key_file(detail::encode_key_file(empty_key)), empty_key);
}

TEST(RegistryKeyFile, EveryTruncationAndEveryDamagedByteIsRefused) {
    const auto bytes = detail::encode_key_file(sample_tree());
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        EXPECT_EQ(detail::decode_key_file({bytes.data(), size}).error(), errc::registry_corrupt) << size;
    }
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        auto damaged = bytes;
        damaged[at] ^= 0x40;
        EXPECT_EQ(detail::decode_key_file(damaged).error(), errc::registry_corrupt) << at;
    }
    auto longer = bytes;
    longer.push_back(0);
    EXPECT_EQ(detail::decode_key_file(longer).error(), errc::registry_corrupt);
}

// Files whose checksum is right but whose content could not come from a saved key.
TEST(RegistryKeyFile, ImpossibleTreesAreRefused) {
    const struct {
        const char* what;
        reg::key_tree tree;
    } cases[] = {
        {"no keys", {}},
        {"parent after the key", {{}, {"a", 2, {}}, {"b", 0, {}}}},
        {"parent is the key itself", {{}, {"a", 1, {}}}},
        {"same subkey name in another case", {{}, {"Name", 0, {}}, {"NAME", 0, {}}}},
        {"same value name in another case", {{"", 0, {{"v", reg::dword_value(1)}, {"V", reg::dword_value(2)}}}}},
        {"empty subkey name", {{}, {"", 0, {}}}},
        {"separator in a subkey name", {{}, {"a\\b", 0, {}}}},
        {"ill-formed name", {{}, {"\xC3", 0, {}}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(detail::decode_key_file(detail::encode_key_file(c.tree)).error(), errc::registry_corrupt) << c.what;
    }
    // The same names under different parents are fine.
    const reg::key_tree fine{{}, {"a", 0, {}}, {"x", 1, {}}, {"b", 0, {}}, {"X", 3, {}}};
    EXPECT_TRUE(detail::decode_key_file(detail::encode_key_file(fine)));
}

}  // namespace

#include "platform/resources/dialog_template.hpp"

#include <gtest/gtest.h>

namespace res = platform::resources;

namespace {

res::dialog_template sample() {
    res::dialog_template d;
    d.style = 0x80C80040;
    d.ex_style = 0x40000;
    d.x = -1;
    d.cx = 273;
    d.cy = 139;
    d.font_size = 8;
    d.caption = "Installer – Quillon";  // UTF-8 survives
    d.controls.push_back({1005, "STATIC", "", 0, -3, 0, 67, 112, 0x50000006, 0});
    d.controls.push_back({-1, "STATIC", "", 137, 3, 3, 58, 105, 0x5000000E, 0x20000});
    d.controls.push_back({1, "BUTTON", "Next >>", 0, 138, 118, 66, 14, 0x50010001, 0});
    return d;
}

}  // namespace

TEST(DialogTemplate, DecodesWhatItEncodes) {
    const auto bytes = res::encode_dialog(sample());
    const auto decoded = res::decode_dialog(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, sample());
}

TEST(DialogTemplate, RefusesDamagedBytes) {
    const auto good = res::encode_dialog(sample());
    auto bad_magic = good;
    bad_magic[0] = std::byte{'X'};
    auto bad_version = good;
    bad_version[4] = std::byte{2};
    auto trailing = good;
    trailing.push_back(std::byte{0});
    auto huge_count = res::encode_dialog(res::dialog_template{});
    huge_count[huge_count.size() - 1] = std::byte{0x7F};  // the control count's last byte
    for (const auto& bytes : {bad_magic, bad_version, trailing, huge_count}) {
        EXPECT_FALSE(res::decode_dialog(bytes));
    }
    for (std::size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(res::decode_dialog(std::span(good).first(size))) << "truncated to " << size;
    }
}

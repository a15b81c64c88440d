#include "platform/ui/detail/dialog_units.hpp"
#include "platform/ui/dialog.hpp"
#include "platform/ui/framework_constants.hpp"
#include "ui_test.hpp"

#include <QFontInfo>
#include <QWidget>

#include <cmath>

namespace res = platform::resources;
using namespace platform::ui;

namespace {

// Windows' MulDiv, computed another way: to the nearest, halves away from zero.
int dialog_units_to_pixels(int units, int base, int divisor) {
    return static_cast<int>(std::lround(static_cast<double>(units) * base / divisor));
}

class DialogLayout : public ui_test::ui_fixture {};

}  // namespace

TEST(DialogUnits, RoundLikeMulDiv) {
    const struct {
        int a, b, c, expected;
    } cases[] = {{3, 6, 4, 5},   {-3, 6, 4, -5}, {1, 13, 8, 2},    {7, 13, 8, 11}, {12, 13, 8, 20},
                 {-3, 7, 4, -5}, {0, 7, 4, 0},   {273, 7, 4, 478}, {5, 1, -2, -3}};
    for (const auto& c : cases) {
        EXPECT_EQ(detail::mul_div(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
    }
    const CRect mapped = detail::map_dialog_rect({6, 13}, {7, 7, 212, 61});
    EXPECT_EQ(mapped, (CRect{11, 11, 318, 99}));
}

TEST_F(DialogLayout, EveryTemplatePutsItsControlsAtTheirRectanglesInTheDialogFont) {
    ui_test::parent_window parent;
    for (const unsigned id : {100u, 102u, 132u, 133u, 134u, 135u, 136u, 137u}) {
        SCOPED_TRACE("template " + std::to_string(id));
        const res::dialog_template dialog = ui_test::resource_template(id);
        ASSERT_FALSE(dialog.controls.empty());
        CDialog page(dialog);
        ASSERT_TRUE(page.Create(&parent));

        const QFontInfo font(page.GetSafeHwnd()->font());
        EXPECT_EQ(font.family(), "DejaVu Sans");
        EXPECT_EQ(font.pixelSize(), 11);  // 8 points at 96 dots per inch
        const CSize base = page.GetBaseUnits();
        EXPECT_GE(base.cx, 5);  // a narrow or missing font would shrink every dialog
        EXPECT_LE(base.cx, 8);
        EXPECT_GE(base.cy, 12);
        EXPECT_LE(base.cy, 14);
        EXPECT_EQ(page.GetSafeHwnd()->size(),
                  QSize(dialog_units_to_pixels(dialog.cx, base.cx, 4), dialog_units_to_pixels(dialog.cy, base.cy, 8)));

        for (const res::control_template& control : dialog.controls) {
            SCOPED_TRACE("control " + std::to_string(control.id));
            if (control.id == -1) {
                continue;  // several share the id; their placement is checked through the others
            }
            const CWnd* window = page.GetDlgItem(control.id);
            ASSERT_TRUE(window);
            const QRect actual = window->GetSafeHwnd()->geometry();
            EXPECT_EQ(actual.x(), dialog_units_to_pixels(control.x, base.cx, 4));
            EXPECT_EQ(actual.y(), dialog_units_to_pixels(control.y, base.cy, 8));
            EXPECT_EQ(actual.width(), dialog_units_to_pixels(control.cx, base.cx, 4));
            const bool combo = control.window_class.starts_with("ComboBox");
            if (combo) {
                // The template gives the height with the list dropped down; closed, the box is one line.
                EXPECT_LT(actual.height(), dialog_units_to_pixels(control.cy, base.cy, 8));
                EXPECT_GE(actual.height(), base.cy);
            } else {
                EXPECT_EQ(actual.height(), dialog_units_to_pixels(control.cy, base.cy, 8));
            }
        }
    }
}

TEST_F(DialogLayout, PagesCarryTheStatusLineAndTheControlsTheirCodeAddresses) {
    const struct {
        unsigned id;
        std::vector<int> controls;
    } pages[] = {
        {132, {1022, 1023, 1016, 1003}},
        {136, {1021, 1018, 1019, 1003}},
        {133, {1008, 1009, 1007, 1006, 1003}},
        {134, {1012, 1011, 1007, 1006, 1010, 1003}},
        {135, {1015, 1014, 1003}},
        {137, {1016, 1003}},
        {102, {1005, 1002, 3, 1, 2}},
        {100, {1019, 1020, 1}},
    };
    for (const auto& page : pages) {
        const res::dialog_template dialog = ui_test::resource_template(page.id);
        std::vector<int> ids;
        for (const auto& control : dialog.controls) {
            if (control.id != -1) {
                ids.push_back(control.id);
            }
        }
        EXPECT_EQ(ids, page.controls) << "template " << page.id;
        const bool isPage = page.id >= 132;
        EXPECT_EQ((dialog.style & WS_CHILD) != 0, isPage) << "template " << page.id;
        EXPECT_EQ((dialog.style & WS_VISIBLE) != 0, false) << "pages are shown by the host";
    }
}

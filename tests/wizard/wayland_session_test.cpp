// The wizard in a Wayland session without X. The test "wizard_on_wayland" runs it on a headless
// compositor of its own (tests/wizard/under_weston); elsewhere it has no compositor and is skipped.
#include "platform/ui/display_connection.hpp"
#include "platform/ui/framework_constants.hpp"
#include "wizard_fixture.hpp"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <boost/filesystem/operations.hpp>

#include <cstdlib>
#include <set>
#include <string>

namespace {

class WaylandSession : public wizard_test::WizardTest {};

TEST_F(WaylandSession, TheWizardShowsOnAWaylandCompositor) {
    if (!std::getenv("WAYLAND_DISPLAY")) {
        GTEST_SKIP() << "no Wayland compositor: the test wizard_on_wayland provides one";
    }
    EXPECT_EQ(std::getenv("DISPLAY"), nullptr);
    EXPECT_EQ(QGuiApplication::platformName(), "wayland");
    EXPECT_EQ(platform::ui::display_problem(), "");

    const boost::filesystem::path pictures = boost::filesystem::path(QUILLON_BINARY_DIR) / "pictures";
    boost::filesystem::create_directories(pictures);
    wizard_test::CTestHost host;
    RunHost(host, [&] {
        QWidget* window = host.GetSafeHwnd();
        ASSERT_TRUE(window->isVisible());
        ASSERT_TRUE(window->windowHandle());
        const QImage picture = window->grab().toImage();
        EXPECT_TRUE(picture.save(QString::fromStdString((pictures / "wizard-wayland-page0.png").string())));
        std::set<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 3) {
            for (int x = 0; x < picture.width(); x += 3) {
                colours.insert(picture.pixel(x, y));
            }
        }
        EXPECT_GT(colours.size(), 3u) << "the page drew nothing";
        wizard_test::click(host.GetDlgItem(platform::ui::IDOK));
        EXPECT_EQ(host.GetCurrentPage(), CInstallDlg::ModePage);
    });
}

}  // namespace

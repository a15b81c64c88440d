// Saves a picture of every dialog template and of the folder picker under the build folder
// (ui-templates/), for a person to look at; the test checks that each picture was made and is not
// blank.
#include "platform/ui/dialog.hpp"
#include "platform/ui/folder_picker.hpp"
#include "platform/ui/framework_constants.hpp"
#include "ui_test.hpp"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <boost/filesystem/operations.hpp>

#include <set>

using namespace platform::ui;

namespace {

class Render : public ui_test::ui_fixture {
protected:
    const boost::filesystem::path m_folder = boost::filesystem::path(QUILLON_BINARY_DIR) / "ui-templates";
    void SetUp() override { boost::filesystem::create_directories(m_folder); }

    void save(const QImage& picture, const std::string& name) {
        const auto file = m_folder / (name + ".png");
        ASSERT_TRUE(picture.save(QString::fromStdString(file.string()))) << file;
        std::set<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 3) {
            for (int x = 0; x < picture.width(); x += 3) {
                colours.insert(picture.pixel(x, y));
            }
        }
        EXPECT_GT(colours.size(), 3u) << name << " drew nothing";
    }
};

// Texts the code sets at run time, in English, so that the picture shows how they fit.
void fill_texts(CDialog& dialog, unsigned id) {
    switch (id) {
        case 132:
            dialog.SetDlgItemText(1016, "Update from '7.01' to 'Quillon 7.02b'.\r\nDo you confirm Reinstallation ?");
            dialog.SetDlgItemText(1003, "Click on 'Next' to continue or on 'Cancel' to exit Installation.");
            break;
        case 133:
            dialog.SetDlgItemText(1007, "/opt/Vintrel/Quillon 7");
            [[fallthrough]];
        case 134:
        case 136:
            dialog.SetDlgItemText(1003, "Click on 'Next' to continue.");
            break;
        case 135:
            dialog.SetDlgItemText(1015, "'Quillon 7.02b' Installation.\r\n------- Installation Options -------\r\n");
            dialog.SetDlgItemText(1003, "Click on 'Install' to start Installation.");
            break;
        case 137:
            dialog.SetDlgItemText(1016, "Installation is complete.");
            dialog.SetDlgItemText(1003, "Click on 'Exit' to exit Installation.");
            break;
        default:
            break;
    }
}

}  // namespace

TEST_F(Render, EveryTemplateIsSavedAsAPicture) {
    ui_test::parent_window parent;
    for (const unsigned id : {100u, 102u, 132u, 133u, 134u, 135u, 136u, 137u}) {
        CDialog dialog(ui_test::resource_template(id));
        ASSERT_TRUE(dialog.Create(&parent));
        fill_texts(dialog, id);
        dialog.ShowWindow(SW_SHOW);
        save(dialog.GetSafeHwnd()->grab().toImage(), "dialog-" + std::to_string(id));
    }
}

TEST_F(Render, TheFolderPickerIsSavedAsAPicture) {
    CFolderPicker picker(nullptr, {"Select 'Quillon' Installation Folder.", std::nullopt, true, true, {}});
    QImage picture;
    ui_test::when_modal([&] {
        picker.SetSelection(QUILLON_SOURCE_DIR);
        picture = picker.GetSafeHwnd()->grab().toImage();
        picker.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(picker.DoModal(), IDCANCEL);
    save(picture, "folder-picker");
}

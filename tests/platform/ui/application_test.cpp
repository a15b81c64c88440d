#include "platform/ui/application.hpp"
#include "platform/ui/dialog.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/message_box.hpp"
#include "platform/ui/message_pump.hpp"
#include "ui_test.hpp"

using namespace platform::ui;

namespace {

class CTestApp : public CWinApp {
public:
    explicit CTestApp(bool runLoop) : m_bRunLoop(runLoop) {}
    bool InitInstance() override {
        CWinApp::InitInstance();
        SetAppName("Installer – Quillon 7.02b");
        if (m_bRunLoop) {
            PostQuitMessage(5);
        } else {
            // Start-up runs its wizard modally and ends without the application's loop.
            CDialog wizard(
                ui_test::popup_template({ui_test::control(IDOK, "BUTTON", BS_DEFPUSHBUTTON, 10, 10, 50, 14)}));
            m_pMainWnd = &wizard;
            ui_test::when_modal([&] {
                AfxMessageBox("question", MB_YESNO);
                m_bBoxOwned = m_script.records().back().owned;
                wizard.EndDialog(IDCANCEL);
            });
            wizard.DoModal();
            m_bMainWindowCleared = m_pMainWnd == nullptr;
        }
        return m_bRunLoop;
    }

    bool m_bRunLoop;
    bool m_bBoxOwned = false;
    bool m_bMainWindowCleared = false;
    message_box_script m_script;
};

class Application : public ui_test::ui_fixture {};

}  // namespace

TEST_F(Application, WinMainRunsInitInstanceAndTheLoopUntilTheQuitRequest) {
    EXPECT_EQ(AfxWinMain(0, nullptr), 1) << "no application object";
    EXPECT_EQ(AfxGetAppName(), "test_platform");  // the program file's name without the application

    {
        CTestApp app(true);
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_EQ(AfxGetAppName(), "test_platform");
        EXPECT_EQ(AfxWinMain(0, nullptr), 5);
        EXPECT_EQ(AfxGetAppName(), "Installer – Quillon 7.02b");
    }
    EXPECT_EQ(AfxGetApp(), nullptr);

    CTestApp app(false);
    EXPECT_EQ(AfxWinMain(0, nullptr), 0);
    EXPECT_TRUE(app.m_bBoxOwned) << "the main window owns the application's message boxes";
    EXPECT_TRUE(app.m_bMainWindowCleared) << "a destroyed main window is no main window";
}

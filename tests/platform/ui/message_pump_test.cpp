#include "platform/ui/message_pump.hpp"
#include "platform/ui/application.hpp"
#include "platform/ui/wait_cursor.hpp"
#include "ui_test.hpp"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

using namespace platform::ui;

namespace {

class MessagePump : public ui_test::ui_fixture {};

// Runs the application's loop, or gives up with -1 after a while so that a lost quit request
// fails the test instead of hanging it.
int run_loop(CWinApp& app) {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { PostQuitMessage(-1); });
    guard.start(5000);
    return app.Run();
}

}  // namespace

TEST_F(MessagePump, DispatchesWaitingEventsAndLeavesTheQuitRequestToTheApplicationsLoop) {
    CWinApp app("test");
    int dispatched = 0;
    QMetaObject::invokeMethod(
        qApp, [&] { ++dispatched; }, Qt::QueuedConnection);
    PostQuitMessage(7);
    QMetaObject::invokeMethod(
        qApp, [&] { ++dispatched; }, Qt::QueuedConnection);

    PumpMessages();
    EXPECT_EQ(dispatched, 2);
    PumpMessages();  // the request is still waiting, again and again
    EXPECT_EQ(run_loop(app), 7);

    PumpMessages();  // nothing is waiting any more
    PostQuitMessage(3);
    EXPECT_EQ(run_loop(app), 3);
}

TEST_F(MessagePump, TheWaitCursorLastsAsLongAsItsObject) {
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        CWaitCursor wait;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        { CWaitCursor nested; }
        EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

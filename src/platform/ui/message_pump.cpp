#include "platform/ui/message_pump.hpp"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <optional>

namespace platform::ui {
namespace {

const QEvent::Type quit_event_type = static_cast<QEvent::Type>(QEvent::registerEventType());

struct quit_event : QEvent {
    explicit quit_event(int code) : QEvent(quit_event_type), exit_code(code) {}
    int exit_code;
};

// Receives quit requests and ends the running loops with their code.
class quit_receiver : public QObject {
public:
    static quit_receiver* instance() {
        static QPointer<quit_receiver> receiver;
        if (!receiver && QCoreApplication::instance()) {
            receiver = new quit_receiver(QCoreApplication::instance());
        }
        return receiver;
    }

    bool event(QEvent* event) override {
        if (event->type() != quit_event_type) {
            return QObject::event(event);
        }
        QCoreApplication::exit(static_cast<quit_event*>(event)->exit_code);
        return true;
    }

private:
    using QObject::QObject;
};

// Holds back quit requests while it is installed.
class quit_keeper : public QObject {
public:
    std::optional<int> kept;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != quit_event_type) {
            return false;
        }
        kept = static_cast<quit_event*>(event)->exit_code;
        return true;
    }
};

}  // namespace

void PostQuitMessage(int exitCode) {
    if (quit_receiver* receiver = quit_receiver::instance()) {
        QCoreApplication::postEvent(receiver, new quit_event(exitCode));
    }
}

void PumpMessages() {
    quit_receiver* receiver = quit_receiver::instance();
    if (!receiver) {
        return;
    }
    quit_keeper keeper;
    receiver->installEventFilter(&keeper);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    receiver->removeEventFilter(&keeper);
    if (keeper.kept) {
        PostQuitMessage(*keeper.kept);
    }
}

}  // namespace platform::ui

#include "window_session.hpp"

#include "identity/product_identity.hpp"
#include "own_version.hpp"
#include "platform/ui/application.hpp"
#include "platform/version/file_version_info.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSocketNotifier>
#include <QVBoxLayout>

#include <memory>

namespace quillon {

program_window::program_window(std::span<const std::byte> version_block, const std::string& document) {
    setWindowTitle(QString::fromStdString(product_title(version_block)));

    auto* layout = new QVBoxLayout(this);
    if (!document.empty()) {
        auto* name = new QLabel(QString::fromStdString(document), this);
        name->setObjectName(QStringLiteral("document"));
        name->setTextFormat(Qt::PlainText);
        layout->addWidget(name);
    }
    const std::string version = "Version " + version_string(version_block, "ProductVersion") + " (" +
                                version_string(version_block, "FileVersion") + ")";
    auto* version_label = new QLabel(QString::fromStdString(version), this);
    version_label->setObjectName(QStringLiteral("version"));
    layout->addWidget(version_label);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* quit = new QPushButton(QStringLiteral("Quit"), this);
    quit->setObjectName(QStringLiteral("quit"));
    quit->setDefault(true);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(quit);
    layout->addLayout(buttons);
}

void program_window::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted() && m_closed) {
        m_closed();
    }
}

void run_window_session(int end_fd, const std::string& document) {
    const platform::ui::application_instance application;
    // The window class the menu entries name, whatever the program file is called.
    QCoreApplication::setApplicationName(
        QString::fromUtf8(kProductWindowClass.data(), static_cast<qsizetype>(kProductWindowClass.size())));
    QEventLoop loop;
    program_window window(platform::version::own_version_info(), document);
    window.on_closed([&loop] { loop.quit(); });
    std::unique_ptr<QSocketNotifier> ended;
    if (end_fd >= 0) {
        ended = std::make_unique<QSocketNotifier>(end_fd, QSocketNotifier::Read);
        QObject::connect(ended.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    }
    window.show();
    loop.exec();
}

}  // namespace quillon

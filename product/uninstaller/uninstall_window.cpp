#include "uninstall_window.hpp"

#include "platform/ui/application.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon {

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

const char* button_name(uninstaller_text text) {
    switch (text) {
        case uninstaller_text::yes:
            return "yes";
        case uninstaller_text::no:
            return "no";
        case uninstaller_text::retry:
            return "retry";
        case uninstaller_text::cancel:
            return "cancel";
        default:
            return "close";
    }
}

uninstaller_text kept_text_number(kept_reason reason) {
    switch (reason) {
        case kept_reason::changed:
            return uninstaller_text::kept_changed;
        case kept_reason::preexisting:
            return uninstaller_text::kept_preexisting;
        case kept_reason::holds_other_files:
            return uninstaller_text::kept_holds_other_files;
        case kept_reason::shared_component:
            break;
    }
    return uninstaller_text::kept_shared_component;
}

}  // namespace

uninstall_window::uninstall_window(const uninstaller_texts& texts, const std::string& product, uninstall_steps steps,
                                   bool ask)
    : m_texts(texts), m_product(product), m_steps(std::move(steps)), m_ask(ask), m_layout(new QVBoxLayout(this)) {
    setWindowTitle(qt(m_texts(uninstaller_text::title, m_product)));
    setMinimumWidth(480);
}

void uninstall_window::start() {
    if (m_ask) {
        show_question();
    } else {
        try_removing();
    }
}

void uninstall_window::clear(const std::string& message) {
    delete m_page;
    m_page = new QWidget(this);
    m_layout->addWidget(m_page);
    auto* layout = new QVBoxLayout(m_page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(qt(message), m_page);
    label->setObjectName(QStringLiteral("message"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    layout->addWidget(label);
}

void uninstall_window::add_buttons(const std::vector<std::pair<uninstaller_text, std::function<void()>>>& buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    QPushButton* first = nullptr;
    for (const auto& [text, action] : buttons) {
        auto* button = new QPushButton(qt(m_texts(text)), m_page);
        button->setObjectName(QString::fromLatin1(button_name(text)));
        connect(button, &QPushButton::clicked, this, action);
        row->addWidget(button);
        first = first ? first : button;
    }
    static_cast<QVBoxLayout*>(m_page->layout())->addLayout(row);
    m_page->show();  // a widget added to a shown window stays hidden until told
    // The first answer (Yes, Retry, Close) is the one the keyboard gives.
    if (first) {
        first->setFocus();
    }
}

void uninstall_window::show_question() {
    clear(m_texts(uninstaller_text::question, m_product));
    add_buttons({{uninstaller_text::yes, [this] { try_removing(); }}, {uninstaller_text::no, [this] { close(); }}});
}

void uninstall_window::try_removing() {
    if (m_steps.product_running && m_steps.product_running()) {
        show_running();
        if (!m_ask) {
            close();  // nobody to answer Retry
        }
    } else {
        remove();
    }
}

void uninstall_window::show_running() {
    m_exit_code = 3;
    clear(m_texts(uninstaller_text::product_running, m_product));
    add_buttons(
        {{uninstaller_text::retry, [this] { try_removing(); }}, {uninstaller_text::cancel, [this] { close(); }}});
}

void uninstall_window::remove() {
    clear(m_texts(uninstaller_text::removing, m_product));
    auto* bar = new QProgressBar(m_page);
    bar->setObjectName(QStringLiteral("progress"));
    m_page->layout()->addWidget(bar);
    m_page->show();
    m_busy = true;
    const uninstall_report report = m_steps.remove([bar](std::size_t done, std::size_t total) {
        bar->setMaximum(static_cast<int>(total));
        bar->setValue(static_cast<int>(done));
        // The window stays drawn while the files go; its buttons are gone and closing waits.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    m_busy = false;
    show_result(report);
}

void uninstall_window::show_result(const uninstall_report& report) {
    m_exit_code = report.complete() ? 0 : 1;
    clear(m_texts(
        report.complete() && report.kept.empty() ? uninstaller_text::removed_all : uninstaller_text::removed_but,
        m_product));
    auto* list = new QListWidget(m_page);
    list->setObjectName(QStringLiteral("result"));
    const auto heading = [list, this](uninstaller_text text) {
        auto* item = new QListWidgetItem(qt(m_texts(text)), list);
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
    };
    if (!report.failures.empty()) {
        heading(uninstaller_text::not_removed_heading);
        for (const auto& line : report.failures) {
            list->addItem(qt(line));
        }
    }
    if (!report.kept.empty()) {
        heading(uninstaller_text::kept_heading);
        for (const auto& item : report.kept) {
            list->addItem(qt(m_texts(kept_text_number(item.reason), item.what)));
        }
    }
    if (report.unjudged_files > 0 && report.record != RecordState::valid) {
        auto* note = new QListWidgetItem(qt(m_texts(uninstaller_text::record_not_used)), list);
        note->setData(Qt::UserRole, QStringLiteral("record"));
    }
    heading(uninstaller_text::removed_heading);
    for (const auto& line : report.removed) {
        list->addItem(qt(line));
    }
    list->setMinimumSize(560, 240);
    m_page->layout()->addWidget(list);
    add_buttons({{uninstaller_text::close, [this] { close(); }}});
    adjustSize();
    if (!m_ask) {
        close();  // the caller has the lists
    }
}

void uninstall_window::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    if (event->isAccepted() && m_closed) {
        m_closed();
    }
}

int run_uninstall_window(const uninstaller_texts& texts, const std::string& product, uninstall_steps steps, bool ask) {
    const platform::ui::application_instance application;
    QEventLoop loop;
    uninstall_window window(texts, product, std::move(steps), ask);
    window.on_closed([&loop] { loop.quit(); });
    window.show();
    window.start();
    if (window.isVisible()) {
        loop.exec();
    }
    return window.exit_code();
}

}  // namespace quillon

#include "product_programs.hpp"

#include "platform/ui/application.hpp"
#include "platform/version/file_version_info.hpp"
#include "window_session.hpp"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

using product_test::built;

std::vector<std::byte> version_block_of(const boost::filesystem::path& program) {
    std::vector<std::byte> block(platform::version::file_version_info_size(program));
    EXPECT_FALSE(block.empty()) << program;
    EXPECT_TRUE(platform::version::file_version_info(program, block));
    return block;
}

QString label_text(const QWidget& window, const char* name) {
    const auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<none>");
}

quillon::program_window* shown_program_window() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = dynamic_cast<quillon::program_window*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

TEST(ProgramWindow, ShowsTheProgramsVersionResourceAndTheDocument) {
    const platform::ui::application_instance qt;
    const auto block = version_block_of(built("quillon"));
    quillon::program_window window(block, "/home/ann/Drawings/<b>sketch</b>.qln");
    bool closed = false;
    window.on_closed([&closed] { closed = true; });
    window.show();

    EXPECT_EQ(window.windowTitle(), "Quillon 7.02b");
    EXPECT_EQ(label_text(window, "document"), "/home/ann/Drawings/<b>sketch</b>.qln");
    EXPECT_EQ(label_text(window, "version"), "Version 7.02b (7.2.2.1)");
    EXPECT_EQ(quillon::program_window(block, "").findChild<QLabel*>("document"), nullptr);

    auto* quit = window.findChild<QPushButton*>("quit");
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->text(), "Quit");
    quit->click();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(window.isVisible());
}

// The session ends with its window, or when the termination signals' descriptor becomes readable.
TEST(ProgramWindow, TheSessionEndsWithQuitOrASignal) {
    const platform::ui::application_instance qt;
    for (const bool by_signal : {false, true}) {
        SCOPED_TRACE(by_signal ? "signal" : "Quit");
        int signalled[2];
        ASSERT_EQ(::pipe(signalled), 0);
        bool was_shown = false;
        QTimer act;
        act.setSingleShot(true);
        QObject::connect(&act, &QTimer::timeout, [&] {
            quillon::program_window* window = shown_program_window();
            was_shown = window != nullptr;
            if (!window) {
                QApplication::exit();  // nothing to end the session with: fail, not hang
            } else if (by_signal) {
                (void)!::write(signalled[1], "x", 1);
            } else if (auto* quit = window->findChild<QPushButton*>("quit")) {
                quit->click();
            }
        });
        act.start(0);
        quillon::run_window_session(signalled[0], "");
        EXPECT_TRUE(was_shown);
        EXPECT_EQ(shown_program_window(), nullptr);
        ::close(signalled[0]);
        ::close(signalled[1]);
    }
}

}  // namespace

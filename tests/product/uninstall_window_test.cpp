// The uninstaller's window on the offscreen platform, with the built uninstaller's own string tables:
// driven through its buttons once from the question to the result, and pictured in two languages.
#include "product_programs.hpp"

#include "platform/ui/application.hpp"
#include "uninstall_window.hpp"

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

#include <set>

namespace {

using product_test::built;

constexpr std::uint32_t kFrench = 0;
constexpr std::uint32_t kEnglish = 1;
constexpr std::uint32_t kGerman = 2;
constexpr std::uint32_t kDutch = 5;  // the product knows it; the uninstaller reads English for it

const platform::resources::resource_module& uninstaller_resources() {
    static const auto module = platform::resources::resource_module::open(built("uninstall"));
    EXPECT_TRUE(module && module->has_section());
    return *module;
}

QString message(const QWidget& window) {
    const auto* label = window.findChild<QLabel*>(QStringLiteral("message"));
    return label ? label->text() : QStringLiteral("<none>");
}

bool click(const QWidget& window, const char* name) {
    auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
    if (!button || !button->isVisible()) {
        return false;
    }
    button->click();
    return true;
}

QStringList result_lines(const QWidget& window) {
    QStringList lines;
    if (const auto* list = window.findChild<QListWidget*>(QStringLiteral("result"))) {
        for (int i = 0; i < list->count(); ++i) {
            lines << list->item(i)->text();
        }
    }
    return lines;
}

quillon::uninstall_report sample_report() {
    quillon::uninstall_report report;
    report.removed = {"/opt/Vintrel/Quillon 7/quillon", "/opt/Vintrel/Quillon 7"};
    report.kept = {{"/home/ann/Documents/Quillon Examples/Sample01.qln", quillon::kept_reason::changed},
                   {"/var/opt/Vintrel/Quillon 7/Brushes.qbr", quillon::kept_reason::preexisting}};
    report.failures = {"/opt/Vintrel/Quillon 7/Lang: Access is denied. (5)"};
    return report;
}

// Yes, then Retry while the product still runs, then Close on the result; No and Cancel end with
// nothing removed and their own exit codes; told not to ask, it needs no button at all.
TEST(UninstallWindow, IsDrivenByItsButtonsFromTheQuestionToTheResult) {
    const platform::ui::application_instance qt;
    const quillon::uninstaller_texts texts(uninstaller_resources(), kEnglish);
    int running_checks = 0;
    int removals = 0;
    quillon::uninstall_steps steps;
    steps.product_running = [&running_checks] { return ++running_checks == 1; };
    steps.remove = [&removals](const std::function<void(std::size_t, std::size_t)>& progress) {
        ++removals;
        progress(1, 2);
        progress(2, 2);
        return sample_report();
    };

    quillon::uninstall_window window(texts, "Quillon 7.02b", steps, true);
    bool closed = false;
    window.on_closed([&closed] { closed = true; });
    window.show();
    window.start();
    EXPECT_EQ(window.windowTitle(), "Uninstall Quillon 7.02b");
    EXPECT_EQ(message(window), "Remove Quillon 7.02b and all of its components?");
    ASSERT_TRUE(click(window, "yes"));
    EXPECT_EQ(message(window), "Quillon 7.02b is running. Close it, then click Retry.");
    EXPECT_EQ(removals, 0);
    ASSERT_TRUE(click(window, "retry"));
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(message(window), "Quillon 7.02b has been removed, except for the items below.");
    EXPECT_EQ(result_lines(window),
              (QStringList{"Not removed:", "/opt/Vintrel/Quillon 7/Lang: Access is denied. (5)", "Kept:",
                           "/home/ann/Documents/Quillon Examples/Sample01.qln (changed since the installation)",
                           "/var/opt/Vintrel/Quillon 7/Brushes.qbr (there before the installation)",
                           "Removed:", "/opt/Vintrel/Quillon 7/quillon", "/opt/Vintrel/Quillon 7"}));
    ASSERT_TRUE(click(window, "close"));
    EXPECT_TRUE(closed);
    EXPECT_EQ(window.exit_code(), 1);

    for (const auto& [first, second, exit_code] :
         {std::tuple{"no", "", quillon::exit_declined}, std::tuple{"yes", "cancel", 3}}) {
        SCOPED_TRACE(first);
        running_checks = 0;
        quillon::uninstall_window other(texts, "Quillon 7.02b", steps, true);
        other.show();
        other.start();
        ASSERT_TRUE(click(other, first));
        if (*second != '\0') {
            ASSERT_TRUE(click(other, second));
        }
        EXPECT_FALSE(other.isVisible());
        EXPECT_EQ(other.exit_code(), exit_code);
    }
    EXPECT_EQ(removals, 1);

    // A script's --yes: nothing to answer, and the window closes by itself.
    for (const bool running : {true, false}) {
        SCOPED_TRACE(running ? "running" : "not running");
        running_checks = running ? 0 : 1;
        quillon::uninstall_window unasked(texts, "Quillon 7.02b", steps, false);
        unasked.show();
        unasked.start();
        EXPECT_FALSE(unasked.isVisible());
        EXPECT_EQ(unasked.exit_code(), running ? 3 : 1);
    }
    EXPECT_EQ(removals, 2);
}

// A picture of the question and of the result in German and French, for a person to look at; each
// reads its own language, and a language without texts of its own reads English.
TEST(UninstallWindow, SpeaksTheRecordedLanguage) {
    const platform::ui::application_instance qt;
    const auto folder = boost::filesystem::path(QUILLON_BINARY_DIR) / "pictures";
    boost::filesystem::create_directories(folder);
    quillon::uninstall_steps steps;
    steps.remove = [](const auto&) { return sample_report(); };
    const struct {
        std::uint32_t language;
        const char* suffix;
        const char* question;
    } languages[] = {
        {kGerman, "de", "Quillon 7.02b und alle zugehörigen Komponenten entfernen?"},
        {kFrench, "fr", "Supprimer Quillon 7.02b et tous ses composants\u00a0?"},
        {kDutch, "nl", "Remove Quillon 7.02b and all of its components?"},
    };
    for (const auto& l : languages) {
        SCOPED_TRACE(l.suffix);
        const quillon::uninstaller_texts texts(uninstaller_resources(), l.language);
        quillon::uninstall_window window(texts, "Quillon 7.02b", steps, true);
        window.show();
        window.start();
        EXPECT_EQ(message(window).toStdString(), l.question);
        for (const char* page : {"question", "result"}) {
            if (std::string(page) == "result") {
                ASSERT_TRUE(click(window, "yes"));
            }
            const QImage picture = window.grab().toImage();
            const auto file = folder / (std::string("uninstaller-") + l.suffix + "-" + page + ".png");
            EXPECT_TRUE(picture.save(QString::fromStdString(file.string())));
            std::set<QRgb> colours;
            for (int y = 0; y < picture.height(); y += 3) {
                for (int x = 0; x < picture.width(); x += 3) {
                    colours.insert(picture.pixel(x, y));
                }
            }
            EXPECT_GT(colours.size(), 3u) << page << " drew nothing";
        }
        window.close();
    }
}

}  // namespace

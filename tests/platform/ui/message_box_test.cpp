#include "platform/ui/message_box.hpp"
#include "platform/ui/application.hpp"
#include "platform/ui/framework_constants.hpp"
#include "ui_test.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

using namespace platform::ui;

namespace {

class MessageBoxes : public ui_test::ui_fixture {};

QMessageBox* shown_box() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

void press(QWidget* widget, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

}  // namespace

TEST_F(MessageBoxes, AScriptAnswersAndRecordsEveryBox) {
    CWinApp app("Installer – Quillon 7.02b");
    message_box_script script{IDNO, IDRETRY};
    EXPECT_EQ(AfxMessageBox("Do you still confirm exit Installation ?", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
              IDNO);
    EXPECT_EQ(MessageBox(nullptr, "You should close 'Quillon'.", std::nullopt, MB_RETRYCANCEL | MB_ICONWARNING),
              IDRETRY);
    EXPECT_EQ(script.pending_answers(), 0u);

    ASSERT_EQ(script.records().size(), 2u);
    const message_box_record& first = script.records()[0];
    EXPECT_EQ(first.text, "Do you still confirm exit Installation ?");
    EXPECT_EQ(first.caption, "Installer – Quillon 7.02b");
    EXPECT_EQ(first.type, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_FALSE(first.owned);
    EXPECT_TRUE(first.scripted);
    EXPECT_EQ(script.records()[1].caption, "Error");  // no caption: the system's
}

TEST_F(MessageBoxes, WithoutAScriptedAnswerTheDefaultButtonAnswers) {
    const struct {
        unsigned type;
        int answer;
    } cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNO, IDYES},
        {MB_RETRYCANCEL, IDRETRY},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_CANCELTRYCONTINUE | MB_DEFBUTTON3, IDCONTINUE},
        {MB_OK | MB_DEFBUTTON3, IDOK},  // no third button: the first
    };
    message_box_script script;
    for (const auto& c : cases) {
        EXPECT_EQ(MessageBox(nullptr, "text", "caption", c.type), c.answer) << std::hex << c.type;
        EXPECT_FALSE(script.records().back().scripted);
    }
}

TEST_F(MessageBoxes, AShownBoxHasItsButtonsDefaultAndEscapeAnswer) {
    const struct {
        unsigned type;
        std::vector<int> keys;
        int answer;
    } cases[] = {
        {MB_YESNO | MB_DEFBUTTON2, {Qt::Key_Return}, IDNO},
        {MB_YESNO, {Qt::Key_Escape, Qt::Key_Return}, IDYES},  // no Cancel: Escape does nothing
        {MB_OKCANCEL, {Qt::Key_Escape}, IDCANCEL},
        {MB_OK, {Qt::Key_Escape}, IDOK},
        {MB_RETRYCANCEL, {Qt::Key_Return}, IDRETRY},
    };
    for (const auto& c : cases) {
        ui_test::when_modal([&] {
            QMessageBox* box = shown_box();
            ASSERT_TRUE(box);
            for (const int key : c.keys) {
                if (box->isVisible()) {
                    press(box, key);
                }
            }
        });
        EXPECT_EQ(MessageBox(nullptr, "text", "caption", c.type), c.answer) << std::hex << c.type;
    }
}

TEST_F(MessageBoxes, AShownBoxShowsItsCaptionTextButtonsInOrderAndReadingOrder) {
    ui_test::when_modal([] {
        QMessageBox* box = shown_box();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->windowTitle(), "Installer");
        EXPECT_EQ(box->text(), "line 1\nline 2");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->layoutDirection(), Qt::RightToLeft);
        QStringList texts;
        for (QAbstractButton* button : box->buttons()) {
            texts << button->text();
        }
        EXPECT_EQ(texts, (QStringList{"&Abort", "&Retry", "&Ignore"}));
        EXPECT_EQ(box->defaultButton()->text(), "&Retry");
        box->buttons().at(2)->click();
    });
    EXPECT_EQ(MessageBox(nullptr, "line 1\r\nline 2", "Installer",
                         MB_ABORTRETRYIGNORE | MB_ICONWARNING | MB_DEFBUTTON2 | MB_RTLREADING),
              IDIGNORE);
}

// The buttons speak the desktop's language through the system's own translations of the framework.
TEST_F(MessageBoxes, ButtonsFollowTheDesktopsLanguage) {
    ASSERT_TRUE(use_framework_translations("de_DE")) << "the system's translations are missing";
    ui_test::when_modal([] {
        QMessageBox* box = shown_box();
        ASSERT_TRUE(box);
        QStringList texts;
        for (QAbstractButton* button : box->buttons()) {
            texts << button->text();
        }
        EXPECT_EQ(texts, (QStringList{"&Ja", "&Nein"}));
        box->buttons().at(1)->click();
    });
    EXPECT_EQ(MessageBox(nullptr, "Wirklich beenden?", "Installer", MB_YESNO | MB_ICONQUESTION), IDNO);

    EXPECT_FALSE(use_framework_translations("C"));  // back to the framework's English texts
    ui_test::when_modal([] {
        QMessageBox* box = shown_box();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->buttons().at(0)->text(), "OK");
        box->buttons().at(0)->click();
    });
    EXPECT_EQ(MessageBox(nullptr, "text", "caption", MB_OK), IDOK);
}

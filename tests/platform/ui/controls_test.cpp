#include "platform/ui/button.hpp"
#include "platform/ui/combo_box.hpp"
#include "platform/ui/detail/compact_path.hpp"
#include "platform/ui/dialog.hpp"
#include "platform/ui/edit.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/image_list.hpp"
#include "platform/ui/picture.hpp"
#include "platform/ui/progress_control.hpp"
#include "platform/ui/static_control.hpp"
#include "ui_test.hpp"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <string>

using namespace platform::ui;
using ui_test::control;

namespace {

void type_text(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
    }
}

CPicture solid_picture(int cx, int cy, QRgb colour) {
    QImage image(cx, cy, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return *CPicture::FromBytes(std::as_bytes(std::span(png.constData(), static_cast<std::size_t>(png.size()))));
}

class Controls : public ui_test::ui_fixture {
protected:
    ui_test::parent_window m_parent;
};

// The install page's log: multi-line, read-only, with a vertical scroll bar. The page stays hidden,
// as it is while the host fills it before showing it.
class Log : public Controls {
protected:
    CDialog m_page{ui_test::resource_template(135)};
    CEdit* m_log = nullptr;
    void SetUp() override {
        ASSERT_TRUE(m_page.Create(&m_parent));
        m_log = m_page.GetDlgItem<CEdit>(1015);
        ASSERT_TRUE(m_log);
    }
    void append(const std::string& text) {
        m_log->SetSel(0x7FFFFFFF, -1);
        m_log->ReplaceSel(text);
    }
};

}  // namespace

TEST_F(Log, CountsPositionsAndReadsLinesTheWindowsWay) {
    EXPECT_TRUE(m_log->IsMultiLine());
    EXPECT_TRUE(m_log->IsReadOnly());
    append("abc\r\n");
    append("de");
    EXPECT_EQ(m_log->GetWindowText(), "abc\r\nde");
    int start = 0, end = 0;
    m_log->GetSel(start, end);
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(7, 7));  // a line end is two characters
    m_log->SetSel(5, -1);
    m_log->ReplaceSel("XY\r\nZ");
    EXPECT_EQ(m_log->GetWindowText(), "abc\r\nXY\r\nZ");
    EXPECT_EQ(m_log->GetLineCount(), 3);
    m_log->SetSel(0, -1);
    m_log->GetSel(start, end);
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(0, 10));
}

TEST_F(Log, ScrollsByLinesAndTellsItsFirstVisibleLine) {
    for (int i = 0; i < 40; ++i) {
        append("line " + std::to_string(i) + "\r\n");
    }
    m_log->ScrollCaret();
    const int bottom = m_log->GetFirstVisibleLine();
    EXPECT_GT(bottom, 30);  // the caret at the end is in view
    while (m_log->GetFirstVisibleLine() > 0) {
        m_log->LineScroll(-1);
    }
    EXPECT_EQ(m_log->GetFirstVisibleLine(), 0);
    m_log->LineScroll(5);
    EXPECT_EQ(m_log->GetFirstVisibleLine(), 5);
    m_page.ShowWindow(SW_SHOW);
    EXPECT_EQ(m_log->GetFirstVisibleLine(), 5);
    EXPECT_EQ(static_cast<QPlainTextEdit*>(m_log->GetSafeHwnd())->cursorForPosition(QPoint(1, 1)).blockNumber(), 5)
        << "the text shown is the line reported";
}

TEST_F(Log, ALineOfDashesMeasuredFromTheClientAreaAndMarginsFitsWithoutScrolling) {
    m_log->SetMargins(3, 5);
    EXPECT_EQ(m_log->GetMargins().nLeft, 3);
    EXPECT_EQ(m_log->GetMargins().nRight, 5);
    const CRect client = m_log->GetClientRect();
    EXPECT_LT(client.Width(), m_log->GetSafeHwnd()->width());  // the scroll bar and border are outside
    const int available = client.Width() - 3 - 5 - 2;
    const int dashes = available / m_log->GetTextExtent("-").cx;
    append(std::string(static_cast<std::size_t>(dashes), '-') + "\r\n");
    m_page.ShowWindow(SW_SHOW);
    auto* text = static_cast<QPlainTextEdit*>(m_log->GetSafeHwnd());
    EXPECT_EQ(text->horizontalScrollBar()->maximum(), 0);
    append(std::string(static_cast<std::size_t>(dashes) * 2, '-'));
    EXPECT_GT(text->horizontalScrollBar()->maximum(), 0);  // the check can fail
}

TEST_F(Log, ALineLongerThanTheLogBringsAHorizontalScrollBar) {
    m_page.ShowWindow(SW_SHOW);
    auto* text = static_cast<QPlainTextEdit*>(m_log->GetSafeHwnd());
    const auto bar_shown = [&] {
        QCoreApplication::processEvents();
        return text->horizontalScrollBar()->isVisible();
    };
    const int height = m_log->GetClientRect().Height();
    append("short\r\n");
    EXPECT_FALSE(bar_shown());
    append(std::string(400, 'x') + "\r\n");
    EXPECT_TRUE(bar_shown());
    EXPECT_LT(m_log->GetClientRect().Height(), height) << "the bar takes its room from the client area";
    m_log->SetWindowText("short");
    EXPECT_FALSE(bar_shown());
}

TEST_F(Controls, AnEditLimitStopsTypingButNotTheProgram) {
    CDialog page(ui_test::child_template({control(1007, "EDIT", WS_BORDER | ES_AUTOHSCROLL, 16, 39, 177, 12)}));
    ASSERT_TRUE(page.Create(&m_parent));
    auto* edit = page.GetDlgItem<CEdit>(1007);
    auto* line = static_cast<QLineEdit*>(edit->GetSafeHwnd());
    edit->LimitText(5);
    edit->SetWindowText("abc");
    line->end(false);
    type_text(line, "dexyz");
    EXPECT_EQ(edit->GetWindowText(), "abcde");
    edit->SetWindowText("1234567");
    EXPECT_EQ(edit->GetWindowText(), "1234567");
    line->end(false);
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QCoreApplication::sendEvent(line, &backspace);
    EXPECT_EQ(edit->GetWindowText(), "123456");  // a text over the limit may still shrink

    edit->SetReadOnly(true);
    EXPECT_TRUE(edit->GetStyle() & ES_READONLY);
    type_text(line, "q");
    EXPECT_EQ(edit->GetWindowText(), "123456");
}

TEST_F(Controls, TheImageComboBoxKeepsItsItemsPicturesDataAndDroppedWidth) {
    CDialog page(ui_test::resource_template(132));
    ASSERT_TRUE(page.Create(&m_parent));
    page.ShowWindow(SW_SHOW);
    auto* list = page.GetDlgItem<CComboBoxEx>(1023);
    ASSERT_TRUE(list);
    CImageList flags;
    ASSERT_TRUE(flags.Create(18, 12, ILC_COLOR24, 8, 1));
    EXPECT_EQ(flags.Add(solid_picture(16, 12, qRgb(0, 0, 255))), 0);
    EXPECT_EQ(flags.Add(solid_picture(16, 12, qRgb(255, 0, 0))), 1);
    EXPECT_EQ(flags.GetImage(1)->Width(), 18);  // drawn to the list's size
    list->SetImageList(&flags);
    EXPECT_EQ(list->InsertItem({-1, "Français", 0, 0, 0}), 0);
    EXPECT_EQ(list->InsertItem({-1, "English", 1, 1, 1}), 1);
    EXPECT_EQ(list->InsertItem({1, "Deutsch", 1, 1, 2}), 1);
    EXPECT_EQ(list->GetCount(), 3);
    EXPECT_EQ(list->GetCurSel(), -1);  // nothing is selected until the program says so
    EXPECT_EQ(list->GetLBText(2), "English");
    EXPECT_EQ(list->GetItemData(1), 2);
    EXPECT_EQ(list->GetItemData(7), CB_ERR);
    EXPECT_EQ(list->SetCurSel(2), 2);
    EXPECT_EQ(list->GetWindowText(), "English");
    EXPECT_EQ(list->SetCurSel(9), CB_ERR);
    EXPECT_EQ(list->GetCurSel(), -1);

    auto* box = static_cast<QComboBox*>(list->GetSafeHwnd());
    EXPECT_EQ(box->iconSize(), QSize(18, 12));
    EXPECT_FALSE(box->itemIcon(0).isNull());
    EXPECT_EQ(list->GetDroppedWidth(), box->width());  // never narrower than the box
    list->SetDroppedWidth(box->width() + 120);
    EXPECT_EQ(list->GetDroppedWidth(), box->width() + 120);
    box->showPopup();
    EXPECT_GE(box->view()->window()->width(), box->width() + 120);
    box->hidePopup();
}

TEST_F(Controls, ASortedListInsertsInOrderAndKeepsTheSelectionOnItsItem) {
    CDialog page(ui_test::child_template({control(5, "COMBOBOX", CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 80, 60)}));
    ASSERT_TRUE(page.Create(&m_parent));
    auto* list = page.GetDlgItem<CComboBox>(5);
    list->AddString("pear");
    list->AddString("Apple");
    list->SetCurSel(1);
    list->AddString("banana");
    EXPECT_EQ(list->GetLBText(0), "Apple");
    EXPECT_EQ(list->GetLBText(1), "banana");
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_EQ(list->GetWindowText(), "pear");
    EXPECT_EQ(list->DeleteString(0), 2);
    EXPECT_EQ(list->DeleteString(5), CB_ERR);
}

TEST_F(Controls, TheProgressBarKeepsItsPositionInsideItsRange) {
    CDialog page(ui_test::resource_template(135));
    ASSERT_TRUE(page.Create(&m_parent));
    auto* bar = page.GetDlgItem<CProgressCtrl>(1014);
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->GetPos(), 0);
    bar->SetRange32(0, 100);
    EXPECT_EQ(bar->SetPos(40), 0);
    EXPECT_EQ(bar->SetPos(150), 40);
    EXPECT_EQ(bar->GetPos(), 100);
    bar->SetPos(-5);
    EXPECT_EQ(bar->GetPos(), 0);
    int lower = -1, upper = -1;
    bar->GetRange(lower, upper);
    EXPECT_EQ(std::make_pair(lower, upper), std::make_pair(0, 100));
}

TEST_F(Controls, StaticTextShowsMnemonicsUnlessNoPrefixAndPicturesSizeTheControl) {
    CDialog page(ui_test::child_template({
        control(1, "STATIC", SS_LEFT, 0, 0, 100, 8, "Save && &Quit"),
        control(2, "STATIC", SS_LEFT | SS_NOPREFIX, 0, 10, 100, 8, "R&D\r\nline"),
        control(3, "STATIC", SS_BITMAP, 0, 20, 10, 10),
        control(4, "STATIC", SS_ICON, 0, 40, 10, 10),
    }));
    ASSERT_TRUE(page.Create(&m_parent));
    EXPECT_EQ(static_cast<QLabel*>(page.GetDlgItem(1)->GetSafeHwnd())->text(), "Save & Quit");
    EXPECT_EQ(static_cast<QLabel*>(page.GetDlgItem(2)->GetSafeHwnd())->text(), "R&D\nline");
    EXPECT_EQ(page.GetDlgItemText(2), "R&D\r\nline");  // read back as written

    page.GetDlgItem<CStatic>(3)->SetBitmap(solid_picture(87, 171, qRgb(0, 128, 0)));
    EXPECT_EQ(page.GetDlgItem(3)->GetSafeHwnd()->size(), QSize(87, 171));
    page.GetDlgItem<CStatic>(4)->SetIcon(solid_picture(256, 256, qRgb(0, 128, 0)));
    EXPECT_EQ(page.GetDlgItem(4)->GetSafeHwnd()->size(), QSize(32, 32));
}

TEST_F(Controls, AStaticTextTellsTheSizeItNeedsToShowWhole) {
    const std::string sentence = "A sentence of several words that one short line cannot hold";
    CDialog page(ui_test::child_template({
        control(1, "STATIC", SS_LEFT, 0, 0, 60, 8, sentence),
        control(2, "STATIC", SS_LEFT | SS_SUNKEN, 0, 10, 60, 8, sentence),
        control(3, "STATIC", SS_LEFTNOWORDWRAP, 0, 20, 60, 8, sentence),
        control(4, "STATIC", SS_LEFT, 0, 30, 60, 8, "Fits"),
        control(5, "STATIC", SS_BITMAP, 0, 40, 10, 10),
    }));
    ASSERT_TRUE(page.Create(&m_parent));
    const auto label = [&](int id) { return static_cast<QLabel*>(page.GetDlgItem(id)->GetSafeHwnd()); };
    const auto needed = [&](int id) { return page.GetDlgItem<CStatic>(id)->GetNeededSize(); };
    const int line = label(1)->fontMetrics().height();

    // Wrapped: several lines at the control's width, no wider than it.
    EXPECT_GT(needed(1).cy, 2 * line);
    EXPECT_LE(needed(1).cx, label(1)->width());
    // Given that height, the words wrapped at the control's width all show.
    label(1)->resize(label(1)->width(), needed(1).cy);
    const QRect wrapped =
        label(1)->fontMetrics().boundingRect(QRect(0, 0, label(1)->width(), 1000), Qt::TextWordWrap, label(1)->text());
    EXPECT_LE(wrapped.height(), label(1)->height());
    // The frame and its indent take room.
    EXPECT_GT(needed(2).cy, needed(1).cy);
    // Without word wrap: one line, wider than the control.
    EXPECT_EQ(needed(3).cy, needed(4).cy);
    EXPECT_GT(needed(3).cx, label(3)->width());
    // A text that fits needs no more than its rectangle; any text can be measured; no text needs nothing.
    EXPECT_LE(needed(4).cy, label(4)->height());
    EXPECT_EQ(page.GetDlgItem<CStatic>(4)->GetNeededSize(sentence), needed(1));
    EXPECT_EQ(needed(5), CSize{});
}

TEST_F(Controls, RadioGroupsAreIndependentOfEachOther) {
    CDialog page(ui_test::child_template({
        control(10, "BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 0, 0, 50, 8, "a"),
        control(11, "BUTTON", BS_AUTORADIOBUTTON, 0, 10, 50, 8, "b"),
        control(20, "BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 0, 20, 50, 8, "c"),
        control(21, "BUTTON", BS_AUTORADIOBUTTON, 0, 30, 50, 8, "d"),
    }));
    ASSERT_TRUE(page.Create(&m_parent));
    auto click = [&](int id) { static_cast<QAbstractButton*>(page.GetDlgItem(id)->GetSafeHwnd())->click(); };
    click(11);
    click(20);
    EXPECT_EQ(page.GetCheckedRadioButton(10, 11), 11);
    EXPECT_EQ(page.GetCheckedRadioButton(20, 21), 20);
    click(10);
    EXPECT_EQ(page.GetCheckedRadioButton(10, 11), 10);
    EXPECT_EQ(page.IsDlgButtonChecked(11), BST_UNCHECKED);
    page.CheckRadioButton(20, 21, 21);
    EXPECT_EQ(page.GetCheckedRadioButton(20, 21), 21);
    EXPECT_EQ(page.GetCheckedRadioButton(10, 11), 10);
}

TEST_F(Controls, APathIsShortenedInItsMiddleToFitItsControl) {
    const QFontMetrics metrics(QApplication::font());
    const QString path = "/opt/Vintrel/Quillon 7/data/samples/deeply/nested/folder/Example File.qln";
    const int width = metrics.horizontalAdvance("/opt/Vintrel/Quillon.../Example File.qln");
    const QString compact = detail::compact_path(path, metrics, width);
    EXPECT_LE(metrics.horizontalAdvance(compact), width);
    EXPECT_TRUE(compact.startsWith("/opt/Vintrel/")) << compact.toStdString();
    EXPECT_TRUE(compact.endsWith(".../Example File.qln")) << compact.toStdString();
    EXPECT_EQ(detail::compact_path("/short", metrics, width), "/short");
    const QString tiny = detail::compact_path(path, metrics, metrics.horizontalAdvance("...Exa"));
    EXPECT_LE(metrics.horizontalAdvance(tiny), metrics.horizontalAdvance("...Exa"));

    CDialog page(ui_test::child_template({control(1003, "STATIC", SS_LEFT, 7, 82, 100, 8)}));
    ASSERT_TRUE(page.Create(&m_parent));
    page.SetDlgItemPath(1003, path.toStdString());
    const std::string shown = page.GetDlgItemText(1003);
    EXPECT_NE(shown.find("..."), std::string::npos);
    EXPECT_LE(page.GetDlgItem(1003)->GetTextExtent(shown).cx, page.GetDlgItem(1003)->GetClientRect().Width());
}

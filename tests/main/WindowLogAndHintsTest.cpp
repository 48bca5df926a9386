// The log line and the hints in status panel 3.
#include "main/WindowFixture.h"

#include "main/LogBox.h"
#include "main/StatusBar.h"

#include <QCheckBox>
#include <QHelpEvent>
#include <QLabel>
#include <QToolTip>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace testmain {
namespace {

class WindowLogAndHintsTest : public WindowFixture {};

TEST_F(WindowLogAndHintsTest, AppendLogWritesDateBlankTimeMessageAndCrLf)
{
    auto& form = Build();
    form.AppendLog(" Cancel program");
    now = QDateTime(QDate(2026, 1, 2), QTime(14, 0, 9));
    form.AppendLog("Data error!");
    EXPECT_EQ(form.RTB->Text(), "2026/12/9 8:05:03 Cancel program\r\n"
                                "2026/1/2 14:00:09Data error!\r\n");
    EXPECT_EQ(form.RTB->toPlainText(), "2026/12/9 8:05:03 Cancel program\n2026/1/2 14:00:09Data error!\n");
}

TEST_F(WindowLogAndHintsTest, TheNewestLogLineStaysInView)
{
    auto& form = Build();
    for (int i = 0; i < 200; ++i) form.AppendLog(QStringLiteral(" line %1").arg(i));
    EXPECT_EQ(form.RTB->textCursor().position(), form.RTB->document()->characterCount() - 1);
    EXPECT_EQ(form.RTB->verticalScrollBar()->value(), form.RTB->verticalScrollBar()->maximum());
    EXPECT_EQ(form.RTB->Text().count("\r\n"), 200);
}

TEST_F(WindowLogAndHintsTest, MouseOverAControlWithAHintShowsItAndPanelKeepsTheLastHint)
{
    auto& form = Build();
    SendMouse(form.Check1[3], QEvent::MouseMove);
    EXPECT_EQ(form.SB->Panel(3), "Is the current effective set shall prevail");
    SendMouse(form.Check1[1], QEvent::MouseMove);
    EXPECT_EQ(form.SB->Panel(3), "Keep factory Settings");
    SendMouse(form.Check1[0], QEvent::MouseMove);  // "Version" is disabled
    EXPECT_EQ(form.SB->Panel(3), "Keep factory Settings");
    SendMouse(form.Command1, QEvent::MouseMove);
    EXPECT_EQ(form.SB->Panel(3), "Automatically detects available serial port");
    SendMouse(form.Command4, QEvent::MouseMove);  // no hint handler: tool tip only
    EXPECT_EQ(form.SB->Panel(3), "Automatically detects available serial port");
    SendMouse(form.Command3, QEvent::MouseMove);
    EXPECT_EQ(form.SB->Panel(3), "Choose to burning. BIN file");
}

// The text of the tool tip that pops up when the mouse rests on the control.
QString ToolTipOver(QWidget* control)
{
    QToolTip::hideText();  // fades out, and only then is gone
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 10000)) return "(an earlier tip stays)";
    const QPoint inside(2, 2);
    QHelpEvent event(QEvent::ToolTip, inside, control->mapToGlobal(inside));
    QApplication::sendEvent(control, &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST_F(WindowLogAndHintsTest, ADisabledControlPopsUpNoToolTip)
{
    auto& form = Load();
    for (QWidget* control : std::initializer_list<QWidget*>{form.MenuImg[4], form.Command3, form.Command4}) {
        SCOPED_TRACE(control->objectName().toStdString());
        control->setEnabled(false);
        EXPECT_EQ(ToolTipOver(control), "");
        control->setEnabled(true);
        EXPECT_EQ(ToolTipOver(control), control->toolTip());
    }
    QToolTip::hideText();
}

}  // namespace
}  // namespace testmain

// The other subsystems joined to the window: the link engine on the timer and the serial
// control's events, the programming buttons, the About menu, and the hints of the grids,
// the tree and the node panel.
#include "main/WindowFixture.h"

#include "main/LogBox.h"
#include "main/StatusBar.h"

#include "link/LinkExchange.h"
#include "params/FlexGrid.h"
#include "project/TreeView.h"

#include <QAction>
#include <QPlainTextEdit>

namespace testmain {
namespace {

class WindowWiringTest : public WindowFixture {};

TEST_F(WindowWiringTest, TicksDriveTheEngineOverTheWindowsSerialControl)
{
    auto& form = Load();
    form.MBTim_Timer();
    EXPECT_EQ(form.SB->Panel(1), "Open port first！");
    EXPECT_FALSE(form.Command3->isEnabled());

    form.Command2_Click();
    form.MBTim_Timer();
    EXPECT_TRUE(form.Command3->isEnabled());
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.written[0][1], 0xF0);  // the link query
    EXPECT_EQ(form.Link().LinkPhase, 1);
    port.OnComm(devlink::ComEvSend);  // the serial control's send-done event
    EXPECT_EQ(form.Link().LinkPhase, 2);
}

TEST_F(WindowWiringTest, ProgrammingButtonsRunTheirCommands)
{
    auto& form = Load();
    form.Command3->setEnabled(true);
    form.Command3->click();  // Load File, cancelled
    EXPECT_EQ(dialogs.fileDialogFilters, QStringList({"File(*.BIN)|*.BIN"}));

    form.Command2_Click();
    form.Command4->setEnabled(true);
    form.MSFG[1]->raise();
    form.Command4->click();  // Program with no image: nothing is armed
    EXPECT_TRUE(form.RTB->Text().endsWith(" File open error \r\n")) << form.RTB->Text().toStdString();
    EXPECT_EQ(form.Command4->text(), "Program");
    EXPECT_EQ(state.engine.Requested(), devlink::OpLinkCheck);
    const auto siblings = form.MSFG[0]->parentWidget()->children();
    EXPECT_GT(siblings.indexOf(form.MSFG[0]), siblings.indexOf(form.MSFG[1]));
}

TEST_F(WindowWiringTest, OperationManualEntryOpensTheManualOrSaysItIsMissing)
{
    auto& form = Load();
    form.PeoHelp->trigger();
    EXPECT_EQ(dialogs.MessageTexts(), QStringList({"Documentation is missing!"}));
    form.AboutVostel->trigger();
    EXPECT_EQ(dialogs.shellTargets.size(), 1);
}

TEST_F(WindowWiringTest, GridTreeAndNodePanelGiveTheirHints)
{
    auto& form = Load();
    SendMouse(form.MSFG[0]->viewport(), QEvent::MouseMove);
    EXPECT_EQ(form.SB->Panel(3), "设置参数");
    SendMouse(form.TreeView->viewport(), QEvent::MouseMove);
    EXPECT_EQ(form.SB->Panel(3), "右键选择功能操作");
    SendMouse(static_cast<QPlainTextEdit*>(form.NotesTxt[1])->viewport(), QEvent::MouseMove);
    EXPECT_EQ(form.SB->Panel(3), "最多512个字");
}

}  // namespace
}  // namespace testmain

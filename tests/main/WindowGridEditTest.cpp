// Editing setting values in the window's own grid, and sending the edited block to the
// controller with the picture menu's update entry.
#include "main/WindowLinkFixture.h"

#include "main/StatusBar.h"

#include "link/Commands.h"
#include "params/FlexGrid.h"
#include "params/GridColors.h"
#include "project/TreeView.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

namespace testmain {
namespace {

constexpr int kDataLen = 64;
constexpr int kModeRow = 1;   // list row, block byte 32: Off, On, Auto
constexpr int kLevelRow = 2;  // typed row, block byte 40, limits 0 to 200

class WindowGridEditTest : public WindowLinkFixture {
protected:
    void SetUp() override
    {
        WriteProtocolTable(programFolder, "Config.For", kDataLen, true);
        WriteProtocolTable(programFolder, "Display.For", 72);
        Load(false);
        ASSERT_TRUE(dialogs.messages.empty());
    }

    // The controller holds `device`; F5 is accepted, polls answer run mode.
    void AnswerAsController(const common::Bytes& device)
    {
        port.responder = [this, device](const common::Bytes& frame) {
            switch (CommandOf(frame)) {
            case devlink::CmdReadMemory:
                return ReadReply(frame, common::Bytes(device.begin(), device.begin() + kDataLen));
            case devlink::CmdWriteSettings: sentBlocks.emplace_back(frame.begin() + 9, frame.end() - 2); break;
            default: break;
            }
            return StatusReply(CommandOf(frame), CommandOf(frame) == devlink::CmdLinkQuery ? 2 : 0);
        };
    }

    int32_t ValueColour(int row) const
    {
        form->MSFG[0]->SetRow(row);
        form->MSFG[0]->SetCol(3);
        return form->MSFG[0]->CellForeColor();
    }

    std::vector<common::Bytes> sentBlocks;
};

TEST_F(WindowGridEditTest, EditedValuesGoToTheControllerInAStampedBlock)
{
    common::Bytes device = StampedBlock(kDataLen);
    device[32] = 1;
    device[40] = 7;
    params::StampBlockCrc(device, state.params.ProtoInfo[0]);
    AnswerAsController(device);
    OpenThePort();
    form->showMaximized();
    Click(form->MenuImg[1]);
    RunExchanges();
    ASSERT_EQ(form->SB->Panel(2), "Successful reading data set");
    EXPECT_EQ(form->MSFG[0]->TextMatrix(kModeRow, 3), "On");
    EXPECT_EQ(form->MSFG[0]->TextMatrix(kLevelRow, 3), "7");
    form->MenuImg[4]->setEnabled(false);

    DoubleClickValue(kLevelRow);
    ASSERT_TRUE(form->InPutTxt_0->isVisible());
    QTest::keyClicks(form->InPutTxt_0, "-150");  // the minus sign is not taken
    QTest::keyClick(form->InPutTxt_0, Qt::Key_Return);
    EXPECT_FALSE(form->InPutTxt_0->isVisible());
    EXPECT_EQ(form->MSFG[0]->TextMatrix(kLevelRow, 3), "150");
    EXPECT_EQ(ValueColour(kLevelRow), params::RGB(250, 0, 0));
    EXPECT_TRUE(form->MenuImg[4]->isEnabled());

    DoubleClickValue(kModeRow);
    ASSERT_TRUE(form->MSFGList->isVisible());
    QApplication::processEvents();
    EXPECT_FALSE(form->MSFGList->verticalScrollBar()->isVisible());  // every choice in view
    ChooseListEntry(2);
    EXPECT_EQ(form->MSFG[0]->TextMatrix(kModeRow, 3), "Auto");
    EXPECT_EQ(state.params.SetData[32], 2);
    EXPECT_EQ(state.params.SetData[40], 150);
    EXPECT_EQ(ValueColour(kModeRow), params::RGB(250, 0, 0));

    Click(form->MenuImg[2]);  // send the settings to the controller's RAM
    RunExchanges();
    ASSERT_EQ(CommandOf(port.written.back()), devlink::CmdWriteSettings);
    const common::Bytes& frame = port.written.back();
    EXPECT_EQ(AddressOf(frame), 0x20000110u);
    EXPECT_EQ(common::ReadLE<uint16_t>(frame, 6).value_or(0), kDataLen);
    EXPECT_EQ(frame[8], 0x00);
    ASSERT_EQ(sentBlocks.size(), 1u);
    common::Bytes sent = sentBlocks[0];
    ASSERT_EQ(sent.size(), size_t(kDataLen));
    EXPECT_EQ(sent[32], 2);
    EXPECT_EQ(sent[40], 150);
    sent.push_back(0);
    EXPECT_EQ(params::CheckBlockCrc(sent, state.params.ProtoInfo[0]), 0);
    EXPECT_NE(sent[28] * 256 + sent[29], device[28] * 256 + device[29]);  // stamped anew
    EXPECT_EQ(form->SB->Panel(2), "Update the set data successfully");
    EXPECT_EQ(form->MSFG[0]->CellForeColor(), params::RGB(0, 0, 0));
}

TEST_F(WindowGridEditTest, TheMouseOverTheTreeHidesTheEditorButNotTheValueList)
{
    AnswerAsController(StampedBlock(kDataLen));
    OpenThePort();
    Click(form->MenuImg[1]);
    RunExchanges();
    DoubleClickValue(kLevelRow);
    ASSERT_TRUE(form->InPutTxt_0->isVisible());
    QTest::keyClicks(form->InPutTxt_0, "5");
    SendMouse(form->TreeView->viewport(), QEvent::MouseMove);
    EXPECT_FALSE(form->InPutTxt_0->isVisible());
    EXPECT_EQ(form->SB->Panel(3), "右键选择功能操作");
    EXPECT_EQ(state.params.SetData[40], 0);

    DoubleClickValue(kModeRow);
    ASSERT_TRUE(form->MSFGList->isVisible());
    SendMouse(form->TreeView->viewport(), QEvent::MouseMove);
    EXPECT_TRUE(form->MSFGList->isVisible());
}

TEST_F(WindowGridEditTest, AValueOutsideItsLimitsIsNotTakenAndTheEditorStaysOpen)
{
    common::Bytes device = StampedBlock(kDataLen);
    AnswerAsController(device);
    OpenThePort();
    Click(form->MenuImg[1]);
    RunExchanges();
    DoubleClickValue(kLevelRow);
    QTest::keyClicks(form->InPutTxt_0, "201");
    QTest::keyClick(form->InPutTxt_0, Qt::Key_Return);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("设置超出范围，有效范围：0-200"));
    EXPECT_TRUE(form->InPutTxt_0->isVisible());
    EXPECT_EQ(state.params.SetData[40], 0);
    EXPECT_EQ(form->MSFG[0]->TextMatrix(kLevelRow, 3), "0");
}

}  // namespace
}  // namespace testmain

// The port boxes, open and close, AutoDetect.
#include "main/WindowFixture.h"

#include "main/LogBox.h"
#include "main/ShapeControl.h"
#include "main/StatusBar.h"

#include "link/PortSettings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QLabel>
#include <QPushButton>

namespace testmain {
namespace {

using common::MsgButtons;
using common::MsgIcon;

TEST(PortSettingsTest, SettingsStringTakesTheParityLetterOfExactlyNoneOddEven)
{
    struct Case {
        const char* parity;
        const char* expected;
    } cases[] = {{"None", "57600,n,8,1"}, {"Odd", "57600,o,8,1"}, {"Even", "57600,e,8,1"},
                 {"even", "57600,8,1"},  {"", "57600,8,1"}};
    for (const Case& c : cases)
        EXPECT_EQ(devlink::SettingsString("57600", c.parity, "8", "1"), c.expected) << c.parity;
}

TEST(PortSettingsTest, PortNumberIsTheTextAfterTheThirdCharacter)
{
    EXPECT_EQ(devlink::PortNumberFromText("COM12"), 12);
    EXPECT_EQ(devlink::PortNumberFromText("XYZ4"), 4);
    EXPECT_EQ(devlink::PortNumberFromText("COM 7 "), 7);
    EXPECT_EQ(devlink::PortNumberFromText("COM"), std::nullopt);
    EXPECT_EQ(devlink::PortNumberFromText("C1"), std::nullopt);
    EXPECT_EQ(devlink::PortNumberFromText("COMx"), std::nullopt);
    EXPECT_EQ(devlink::PortNumberFromText("COM99999"), std::nullopt);
}

class WindowPortsTest : public WindowFixture {};

TEST_F(WindowPortsTest, StartUpFillsTheBoxesWithTheirListsAndStartValues)
{
    auto& form = Load();
    EXPECT_EQ(form.ComboSet[0]->count(), 30);
    EXPECT_EQ(form.ComboSet[0]->itemText(29), "COM30");
    EXPECT_EQ(form.ComboSet[0]->currentText(), "COM4");
    const char* starts[] = {"COM4", "57600", "None", "8", "1", "512"};
    const int counts[] = {30, 3, 3, 5, 2, 6};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(form.ComboSet[i]->currentText(), starts[i]) << i;
        EXPECT_EQ(form.ComboSet[i]->count(), counts[i]) << i;
    }
    EXPECT_EQ(form.ComboSet[5]->itemText(5), "16");
    EXPECT_EQ(form.Command2->text(), "OpenUart");
}

TEST_F(WindowPortsTest, OpenSetsThePropertiesInOrderAndShowsTheOpenPort)
{
    auto& form = Load();
    form.ComboSet[2]->setCurrentText("Even");
    form.Command2->click();
    EXPECT_TRUE(port.open);
    EXPECT_EQ(port.CommPort(), 4);
    EXPECT_EQ(port.Settings(), "57600,e,8,1");
    EXPECT_EQ(port.calls, QStringList({"CommPort", "Settings", "InputMode", "OutBufferSize",
                                       "OutBufferCount", "SThreshold", "InBufferCount", "InputLen",
                                       "InBufferSize", "RThreshold"}));
    EXPECT_EQ(form.Command2->text(), "CloseUart");
    EXPECT_EQ(form.Shape1->FillColor(), QColor(0, 255, 0));
    EXPECT_EQ(form.SB->Panel(1), "Serial uart has ben Opened");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WindowPortsTest, OpenFailuresShowSerialPortErrorAndLeaveThePortClosed)
{
    struct Case {
        const char* portText;
        bool refuseSettings;
    } cases[] = {{"COM", false}, {"C1", false}, {"COM25", false}, {"COM4", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.portText);
        dialogs.messages.clear();
        auto& form = Load();
        port.refuseSettings = c.refuseSettings;
        form.ComboSet[0]->setCurrentText(c.portText);
        form.Command2_Click();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Serial port error！");
        EXPECT_EQ(dialogs.messages[0].title, "Hint");
        EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::Ok);
        EXPECT_FALSE(port.open);
        EXPECT_EQ(form.Command2->text(), "OpenUart");
        EXPECT_EQ(form.SB->Panel(1), "串口未打开");
        port.refuseSettings = false;
        TearDown();
    }
}

// Replaces the box's text by typing into it with the focus, as the user does.
void TypeInto(QComboBox* box, const QString& text)
{
    box->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(box->window()));
    box->lineEdit()->setFocus();
    QTest::keyClick(box->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(box->lineEdit(), text);
}

TEST_F(WindowPortsTest, TypedTextCountsExactlyAsTypedWithoutCompletion)
{
    struct Case {
        int box;
        const char* typed;
        const char* settings;  // nullptr: the open fails
    } cases[] = {{0, "COM", nullptr},     {0, "C1", nullptr},        {1, "1", "1,n,8,1"},
                 {2, "even", "57600,8,1"}, {5, "1", "57600,n,8,1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.box << " " << c.typed);
        dialogs.messages.clear();
        auto& form = Load();
        TypeInto(form.ComboSet[c.box], c.typed);
        EXPECT_EQ(form.ComboSet[c.box]->currentText(), c.typed);
        form.Command2->click();
        if (c.settings) {
            EXPECT_TRUE(port.open);
            EXPECT_EQ(port.Settings(), c.settings);
        } else {
            EXPECT_EQ(dialogs.MessageTexts(), QStringList({"Serial port error！"}));
            EXPECT_FALSE(port.open);
        }
        EXPECT_EQ(form.FrameLengthText(), c.box == 5 ? c.typed : "512");
        port.SetPortOpen(false);
        TearDown();
    }
}

TEST_F(WindowPortsTest, ACloseThatFailsIsReportedAndKeepsTheOpenState)
{
    auto& form = Load();
    form.Command2_Click();
    port.failClose = true;
    form.Command2_Click();
    EXPECT_EQ(dialogs.MessageTexts(), QStringList({"Serial port error！"}));
    EXPECT_EQ(form.Command2->text(), "CloseUart");
    EXPECT_EQ(form.Shape1->FillColor(), QColor(0, 255, 0));
}

TEST_F(WindowPortsTest, APortAlreadyOpenIsReportedWithoutIconUnderTheDefaultTitle)
{
    auto& form = Load();
    port.open = true;
    form.ComboSet[0]->setCurrentText("COM12");
    form.Command2_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    // The message names the port asked for, not always COM3.
    EXPECT_EQ(dialogs.messages[0].text, "Cann't connect to COM12,The Error No. is0");
    EXPECT_EQ(dialogs.messages[0].title, "");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(form.Command2->text(), "OpenUart");
    EXPECT_EQ(form.Shape1->FillColor(), QColor(250, 0, 0));
}

TEST_F(WindowPortsTest, ChangingAnyBoxWhileOpenClosesThePort)
{
    auto& form = Load();
    form.Command2_Click();
    ASSERT_TRUE(port.open);
    form.ComboSet[5]->setEditText("256");
    EXPECT_FALSE(port.open);
    EXPECT_EQ(form.SB->Panel(1), "Serial uart has ben closed");
    EXPECT_EQ(form.Command2->text(), "OpenUart");
    EXPECT_EQ(form.Shape1->FillColor(), QColor(255, 0, 0));
    EXPECT_TRUE(form.RTB->Text().isEmpty());
}

TEST_F(WindowPortsTest, ClosingDuringProgrammingCancelsTheRun)
{
    auto& form = Load();
    form.Command2_Click();
    state.image.ImageFile = "/bin/image.BIN";
    form.Command4->setText("Stop");
    state.engine.ProgRun = 1;
    state.engine.Request(devlink::OpProgram);
    form.ShowProgress(0.5);
    ASSERT_FALSE(form.PersLab->isHidden());

    form.Command2->click();
    EXPECT_EQ(form.RTB->Text(), "2026/12/9 8:05:03 Cancel program\r\n");
    EXPECT_EQ(form.Command4->text(), "Program");
    EXPECT_EQ(state.engine.Requested(), devlink::OpLinkCheck);
    EXPECT_EQ(state.engine.ProgRun, 0);
    EXPECT_TRUE(form.PersLab->isHidden());
    EXPECT_EQ(form.InfLab->text(), "/bin/image.BIN");
}

TEST_F(WindowPortsTest, ClosingAPortThatVanishedResetsWithoutStatusText)
{
    auto& form = Load();
    form.Command2_Click();
    port.open = false;  // the device went away
    form.SB->SetPanel(1, "Link failure！");
    form.Command2_Click();
    EXPECT_EQ(form.SB->Panel(1), "Link failure！");
    EXPECT_EQ(form.Command2->text(), "OpenUart");
    EXPECT_EQ(form.Shape1->FillColor(), QColor(255, 0, 0));
}

TEST_F(WindowPortsTest, AutoDetectListsTheOpenablePortsUpToTwentyAndCancelsBurning)
{
    auto& form = Load();
    form.Command2_Click();
    port.openable = {3, 7, 21};
    form.Command4->setText("Stop");
    form.Command1->click();
    EXPECT_FALSE(port.open);
    EXPECT_EQ(form.ComboSet[0]->count(), 2);
    EXPECT_EQ(form.ComboSet[0]->itemText(0), "COM3");
    EXPECT_EQ(form.ComboSet[0]->itemText(1), "COM7");
    EXPECT_EQ(form.ComboSet[0]->currentText(), "COM3");
    EXPECT_EQ(form.Command2->text(), "OpenUart");
    EXPECT_EQ(form.Shape1->FillColor(), QColor(255, 0, 0));
    EXPECT_EQ(form.RTB->Text(), "2026/12/9 8:05:03 Cancel burning\r\n");
    EXPECT_EQ(form.Command4->text(), "Program");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WindowPortsTest, AutoDetectWithNoPortLeavesAnEmptyList)
{
    auto& form = Load();
    port.openable.clear();
    form.Command1_Click();
    EXPECT_EQ(form.ComboSet[0]->count(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace testmain

// The link engine as the window runs it: its timer handler over the window's serial
// control, the picture menu's requests and the status texts and enabled states it shows.
#include "main/WindowLinkFixture.h"

#include "main/StatusBar.h"

#include "link/Commands.h"
#include "link/LinkEngine.h"
#include "params/FlexGrid.h"
#include "params/SettingsBlock.h"

#include <deque>

namespace testmain {
namespace {

using devlink::CmdLinkQuery;
using devlink::CmdQueryDisplay;
using devlink::CmdReadMemory;
using devlink::CmdWriteSettings;

class WindowLinkEngineTest : public WindowLinkFixture {
protected:
    // Polls are answered with the modes in `modes`, in turn; once they run out, polls fail.
    void AnswerPollsWith(std::deque<int> modes)
    {
        pollModes = std::move(modes);
        port.responder = [this](const common::Bytes& frame) {
            if (CommandOf(frame) != CmdLinkQuery || pollModes.empty()) return SpoiltReply(CommandOf(frame));
            const int mode = pollModes.front();
            pollModes.pop_front();
            return StatusReply(CmdLinkQuery, uint8_t(mode));
        };
    }

    // Opens the port and shows after how many failed polls "Link failure！" first appears,
    // and then after how many more it appears again.
    void ExpectLinkFailureAfter(int failedPolls)
    {
        OpenThePort();
        if (!pollModes.empty()) RunExchanges();
        const QString shown = form->SB->Panel(1);
        for (int poll = 1; poll < failedPolls; ++poll) {
            RunExchanges();
            ASSERT_EQ(form->SB->Panel(1), shown) << "failed poll " << poll;
        }
        RunExchanges();
        EXPECT_EQ(form->SB->Panel(1), "Link failure！");
        form->SB->SetPanel(1, "-");
        RunExchanges(5);
        EXPECT_EQ(form->SB->Panel(1), "-");
        RunExchanges();
        EXPECT_EQ(form->SB->Panel(1), "Link failure！");
    }

    bool DisplayGridInFront() const
    {
        const auto siblings = form->MSFG[0]->parentWidget()->children();
        return siblings.indexOf(form->MSFG[1]) > siblings.indexOf(form->MSFG[0]);
    }

    std::deque<int> pollModes;
};

TEST_F(WindowLinkEngineTest, ClosedPortTicksDisableBothButtonsAndOpeningEnablesOnlyLoadFile)
{
    auto& form = Load();
    form.Command3->setEnabled(true);
    form.Command4->setEnabled(true);
    for (int tick = 0; tick < 3; ++tick) {
        form.SB->SetPanel(1, "-");
        form.MBTim_Timer();
        EXPECT_EQ(form.SB->Panel(1), "Open port first！");
        EXPECT_FALSE(form.Command3->isEnabled());
        EXPECT_FALSE(form.Command4->isEnabled());
    }
    EXPECT_TRUE(port.written.empty());

    AnswerPollsWith({2});
    OpenThePort();
    EXPECT_EQ(form.SB->Panel(1), "Serial uart has ben Opened");
    form.MBTim_Timer();
    EXPECT_TRUE(form.Command3->isEnabled());
    EXPECT_FALSE(form.Command4->isEnabled());
}

TEST_F(WindowLinkEngineTest, AfterOneGoodPollTheFifthFailedPollShowsLinkFailure)
{
    Load();
    AnswerPollsWith({2});
    ExpectLinkFailureAfter(5);
}

TEST_F(WindowLinkEngineTest, FromAFreshStartTheSixthFailedPollShowsLinkFailure)
{
    Load();
    AnswerPollsWith({});
    ExpectLinkFailureAfter(6);
}

TEST_F(WindowLinkEngineTest, EveryModeByteIsAGoodPollAndOnlyModesOneToThreeAreShown)
{
    struct Case {
        int mode;
        QString shown;  // empty: the panel keeps its text
    } cases[] = {{1, "Link normal-download mode"}, {2, "Link normal-run mode"}, {3, "Link normal-stop mode"},
                 {0, ""}, {4, ""}};
    auto& form = Load();
    AnswerPollsWith({});
    OpenThePort();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        RunExchanges(4);  // four failed polls first
        form.SB->SetPanel(1, "kept");
        pollModes = {c.mode};
        RunExchanges();
        EXPECT_EQ(form.SB->Panel(1), c.shown.isEmpty() ? QString("kept") : c.shown);
        EXPECT_EQ(state.engine.FailCount, 1);  // reset by the good poll, then counted
    }
}

TEST_F(WindowLinkEngineTest, ARequestWrittenWhileClosedRunsOnceTheUserOpensThePort)
{
    auto& form = Load();
    const common::Bytes device = StampedBlock(64, 0);
    port.responder = [&](const common::Bytes& frame) {
        if (CommandOf(frame) == CmdReadMemory) return ReadReply(frame, common::Bytes(device.begin(), device.end() - 1));
        return StatusReply(CommandOf(frame), 2);
    };
    Click(form.MenuImg[1]);  // read the settings
    for (int tick = 0; tick < 3; ++tick) form.MBTim_Timer();
    EXPECT_EQ(form.SB->Panel(1), "Open port first！");
    EXPECT_TRUE(port.written.empty());

    OpenThePort();
    RunExchanges();
    ASSERT_EQ(Commands(), std::vector<uint8_t>{CmdReadMemory});
    EXPECT_EQ(AddressOf(port.written[0]), 0x08002800u);
    EXPECT_EQ(common::ReadLE<uint16_t>(port.written[0], 6).value_or(0), 64);
    EXPECT_EQ(form.SB->Panel(2), "Successful reading data set");
    EXPECT_TRUE(form.MenuImg[4]->isEnabled());
    EXPECT_EQ(state.engine.Requested(), devlink::OpLinkCheck);

    // A request made just before the port is closed is dropped.
    Click(form.MenuImg[1]);
    form.Command2_Click();
    OpenThePort();
    RunExchanges();
    EXPECT_EQ(CommandOf(port.written.back()), CmdLinkQuery);
}

TEST_F(WindowLinkEngineTest, ARequestDuringAnExchangeTakesOverWithoutAWordFromTheOldOperation)
{
    auto& form = Load();
    state.params.SetData = StampedBlock(64, 0);
    port.responder = [&](const common::Bytes& frame) {
        if (CommandOf(frame) == CmdReadMemory) return ReadReply(frame, common::Bytes(64, 0));
        return StatusReply(CommandOf(frame), 0);
    };
    OpenThePort();
    Click(form.MenuImg[2]);  // update the settings in the controller's RAM
    form.MBTim_Timer();
    ASSERT_EQ(Commands(), std::vector<uint8_t>{CmdWriteSettings});
    ASSERT_NE(form.Link().LinkPhase, 0);

    Click(form.MenuImg[1]);  // read the settings while the update waits for its reply
    for (int tick = 0; tick < kTickBound && port.written.size() < 2; ++tick) form.MBTim_Timer();
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CmdWriteSettings, CmdReadMemory}));
    EXPECT_EQ(form.SB->Panel(2), "");  // not "Update the set data successfully"
    RunExchanges(0);
    EXPECT_EQ(form.SB->Panel(2), "Read the data validation is invalid");
}

// A block read back with a broken stamp must not stay behind the grid: the next update
// would stamp it afresh and write values the user never saw.
TEST_F(WindowLinkEngineTest, AnUpdateAfterAReadThatFailedItsCheckSendsTheBlockTheGridShows)
{
    constexpr int kModeRow = 1;  // block byte 32: Off, On, Auto
    auto& form = Load();
    common::Bytes device(65, 0);
    device[32] = 1;
    common::WriteLE<int32_t>(device, 20, 64 - 32);
    params::StampBlockCrc(device, state.params.ProtoInfo[0]);
    const common::Bytes shown = device;
    port.responder = [&](const common::Bytes& frame) {
        if (CommandOf(frame) == CmdReadMemory) return ReadReply(frame, common::Bytes(device.begin(), device.end() - 1));
        return StatusReply(CommandOf(frame), 0);
    };
    const auto tickUntilResult = [&](const QString& text) {
        for (int tick = 0; tick < kTickBound && form.SB->Panel(2) != text; ++tick) form.MBTim_Timer();
        return form.SB->Panel(2) == text;
    };
    OpenThePort();
    Click(form.MenuImg[1]);  // read the settings
    ASSERT_TRUE(tickUntilResult("Successful reading data set"));
    ASSERT_EQ(form.MSFG[0]->TextMatrix(kModeRow, 3), "On");

    device[32] = 2;  // "Auto", with the old CRC
    Click(form.MenuImg[1]);
    ASSERT_TRUE(tickUntilResult("Read the data validation is invalid"));
    EXPECT_EQ(form.MSFG[0]->TextMatrix(kModeRow, 3), "On");

    Click(form.MenuImg[2]);  // update the settings in the controller's RAM
    ASSERT_TRUE(tickUntilResult("Update the set data successfully"));
    const common::Bytes& update = port.written.back();
    ASSERT_EQ(CommandOf(update), CmdWriteSettings);
    ASSERT_EQ(update.size(), 64u + 11u);
    EXPECT_EQ(common::Bytes(update.begin() + 9, update.end() - 2), common::Bytes(shown.begin(), shown.end() - 1));
}

TEST_F(WindowLinkEngineTest, UpdateWithAWrongLengthFieldSendsNothing)
{
    auto& form = Load();
    state.params.SetData.assign(65, 0);
    state.params.SetData[20] = 1;
    AnswerPollsWith({2, 2});
    OpenThePort();
    Click(form.MenuImg[2]);
    form.MBTim_Timer();
    EXPECT_EQ(form.SB->Panel(2), "Set the data validation is invalid");
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(state.engine.Requested(), devlink::OpLinkCheck);
    RunExchanges();
    EXPECT_EQ(Commands(), std::vector<uint8_t>{CmdLinkQuery});
}

TEST_F(WindowLinkEngineTest, DisplayAddressMustLieAbove0x20000000)
{
    auto& form = Load();
    // The address follows the address byte and the command, low byte first.
    std::deque<common::Bytes> addressReplies{{0x01, CmdQueryDisplay, 0x00, 0x00, 0x00, 0x20},
                                             {0x01, CmdQueryDisplay, 0x01, 0x00, 0x00, 0x20}};
    port.responder = [&](const common::Bytes& frame) {
        if (CommandOf(frame) == CmdReadMemory) return ReadReply(frame, common::Bytes(72, 0x11));
        const common::Bytes body = addressReplies.front();
        addressReplies.pop_front();
        return Reply(body);
    };
    OpenThePort();
    Click(form.MenuImg[5]);
    EXPECT_TRUE(DisplayGridInFront());
    RunExchanges(3);
    ASSERT_EQ(Commands(), (std::vector<uint8_t>{CmdQueryDisplay, CmdQueryDisplay, CmdReadMemory}));
    EXPECT_EQ(AddressOf(port.written[2]), 0x20000001u);
    EXPECT_EQ(form.SB->Panel(2), "Successful reading data set");
    EXPECT_EQ(state.params.DispData[71], 0x11);
}

TEST_F(WindowLinkEngineTest, AFailedDisplayReadRepeatsTheSameReadWithoutAskingTheAddressAgain)
{
    auto& form = Load();
    int reads = 0;
    port.responder = [&](const common::Bytes& frame) {
        if (CommandOf(frame) == CmdQueryDisplay) return Reply({0x01, CmdQueryDisplay, 0x00, 0x04, 0x00, 0x20});
        if (++reads == 1) return SpoiltReply(CmdReadMemory);
        return ReadReply(frame, common::Bytes(72, uint8_t(reads)));
    };
    OpenThePort();
    Click(form.MenuImg[5]);
    RunExchanges(2);
    EXPECT_EQ(form.SB->Panel(2), "Read the data failure");
    EXPECT_EQ(state.params.DispData[0], 0);
    RunExchanges(2);
    EXPECT_EQ(form.SB->Panel(2), "Successful reading data set");
    EXPECT_EQ(state.params.DispData[0], 3);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CmdQueryDisplay, CmdReadMemory, CmdReadMemory, CmdReadMemory}));
    for (size_t i = 1; i < port.written.size(); ++i) EXPECT_EQ(AddressOf(port.written[i]), 0x20000400u);
    EXPECT_EQ(state.engine.Requested(), devlink::OpReadDisplay);
}

}  // namespace
}  // namespace testmain

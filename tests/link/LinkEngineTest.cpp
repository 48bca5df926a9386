#include "FakeSerialPort.h"
#include "RecordingEngineView.h"
#include "common/Codepage.h"
#include "link/Commands.h"
#include "link/LinkEngine.h"
#include "params/SettingsBlock.h"

#include <gtest/gtest.h>

using namespace devlink;
using testlink::FakeSerialPort;
using testlink::RecordingEngineView;
using testlink::WithCrc;

namespace {

constexpr int16_t kSetLen = 40;
constexpr int16_t kDispLen = 6;

common::Bytes Reply(uint8_t cmd, uint8_t status, common::Bytes data = {})
{
    common::Bytes body{0x01, cmd, status};
    body.insert(body.end(), data.begin(), data.end());
    return WithCrc(body);
}

// An F4 reply: address and length fields, then the bytes read.
common::Bytes ReadReply(const common::Bytes& data, uint8_t byte2 = 0)
{
    common::Bytes body{0x01, CmdReadMemory, byte2, 0, 0, 0, 0, 0};
    body.insert(body.end(), data.begin(), data.end());
    return WithCrc(body);
}

// F4 replies that do not carry the `data` asked for: cut one byte short, one byte too
// long, a refusal in 5 and in 10 bytes, and a broken frame.
std::vector<common::Bytes> UnusableReads(const common::Bytes& data)
{
    const common::Bytes whole = ReadReply(data);
    return {testlink::Resized(whole, whole.size() - 1), testlink::Resized(whole, whole.size() + 1), Reply(CmdReadMemory, 0x01),
            ReadReply({}, 0x01), common::Bytes{0x01, CmdReadMemory, 0x00}};
}

// A setting block whose header and CRC are right.
common::Bytes GoodBlock(uint8_t fill)
{
    common::Bytes block(kSetLen + 1, fill);
    common::WriteLE<int32_t>(block, 20, kSetLen - 32);
    params::ProtoInfoRecord info;
    info.DataLen = kSetLen;
    params::StampBlockCrc(block, info);
    return block;
}

class LinkEngineTest : public ::testing::Test {
protected:
    LinkEngineTest()
    {
        port.OnComm = [this](int e) { link.OnComm(e); };
        port.sendDoneOnOutput = true;
        params.ProtoInfo[0].DataLen = kSetLen;
        params.ProtoInfo[1].DataLen = kDispLen;
        params.SetData.assign(kSetLen + 1, 0);
        params.DispData.assign(kDispLen + 1, 0);
    }

    // Ticks until one more frame has gone out and its exchange is over.
    void RunExchange()
    {
        const size_t before = port.written.size();
        for (int tick = 0; tick < 500; ++tick) {
            engine.Tick();
            if (port.written.size() > before && link.LinkPhase == 0) return;
        }
        FAIL() << "exchange did not end";
    }

    // Back to polling with a controller that answers, until a good poll has gone out
    // after any failure, so that the next request is not held for a quiet line.
    void PollUntilTheLineIsSettled()
    {
        AnswerWith([](uint8_t cmd) { return Reply(cmd, 0); });
        for (int tick = 0; tick < 1000 && (link.QuietNeeded() > 0 || link.LinkPhase != 0 || state.CurMode != 0); ++tick)
            engine.Tick();
    }

    void TickTimes(int n)
    {
        for (int i = 0; i < n; ++i) engine.Tick();
    }

    // Answers every request with a reply to its command.
    void AnswerWith(std::function<common::Bytes(uint8_t cmd)> answer)
    {
        port.responder = [answer](const common::Bytes& frame) { return answer(frame.at(1)); };
    }

    FakeSerialPort port;
    LinkExchange link{port};
    EngineState state;
    params::ParamState params;
    RecordingEngineView view;
    LinkEngine engine{link, state, params, view};
};

TEST_F(LinkEngineTest, AClosedPortParksTheEngineAndARequestWaitsForTheOpenPort)
{
    port.open = false;
    state.Request(OpReadSettings);
    state.ProgRun = 1;
    state.LinkState = 1;
    TickTimes(3);
    EXPECT_EQ(view.panels[kPanelLink], QStringList(3, "Open port first！"));
    EXPECT_EQ(view.command3, false);
    EXPECT_EQ(view.command4, false);
    EXPECT_EQ(link.LinkError, LinkPortClosed);
    EXPECT_EQ(state.ProgRun, 0);
    EXPECT_EQ(state.LinkState, 0);
    EXPECT_TRUE(port.written.empty());

    const common::Bytes block = GoodBlock(0x5A);
    AnswerWith([&](uint8_t) { return ReadReply({block.begin(), block.begin() + kSetLen}); });
    port.open = true;
    view.command4.reset();
    engine.Tick();
    EXPECT_EQ(view.command3, true);
    EXPECT_FALSE(view.command4.has_value());
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.written[0], WithCrc(ReadMemoryBody(kSettingsFlashAddr, kSetLen)));
    RunExchange();
    EXPECT_EQ(view.Last(kPanelResult), "Successful reading data set");
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + kSetLen, params.SetData.begin()));
    EXPECT_EQ(view.setDataShown, 1);
    EXPECT_EQ(view.menuImg4, true);
    EXPECT_EQ(state.Requested(), OpLinkCheck);
    EXPECT_EQ(state.LinkState, 0);
}

TEST_F(LinkEngineTest, PollShowsTheDeviceModeAndKeepsTheTextForOtherModes)
{
    const std::vector<std::pair<uint8_t, QString>> cases = {
        {1, "Link normal-download mode"}, {2, "Link normal-run mode"}, {3, "Link normal-stop mode"},
        {0, "Link normal-stop mode"},     {4, "Link normal-stop mode"},
    };
    for (const auto& [mode, text] : cases) {
        SCOPED_TRACE(mode);
        AnswerWith([mode](uint8_t cmd) { return Reply(cmd, mode); });
        state.FailCount = 3;
        RunExchange();
        EXPECT_EQ(view.Last(kPanelLink), text);
        EXPECT_EQ(state.FailCount, 1);
        EXPECT_EQ(port.written.back(), WithCrc(LinkQueryBody()));
    }
}

TEST_F(LinkEngineTest, LinkFailureAfterFiveFailedPollsAfterAGoodOneAndEverySixthThen)
{
    bool good = false;
    AnswerWith([&](uint8_t cmd) { return good ? Reply(cmd, 2) : common::Bytes{0x01, cmd, 0x02}; });
    auto failedPollsUntilFailureText = [&] {
        for (int poll = 1; poll <= 20; ++poll) {
            const qsizetype before = view.panels[kPanelLink].size();
            RunExchange();
            if (view.panels[kPanelLink].size() > before) {
                EXPECT_EQ(view.Last(kPanelLink), "Link failure！");
                return poll;
            }
        }
        return -1;
    };
    EXPECT_EQ(failedPollsUntilFailureText(), 6);  // from a fresh start
    EXPECT_EQ(failedPollsUntilFailureText(), 6);
    good = true;
    RunExchange();
    good = false;
    EXPECT_EQ(failedPollsUntilFailureText(), 5);
    EXPECT_EQ(state.FailCount, 0);
}

TEST_F(LinkEngineTest, ARequestMadeInFlightTakesOverWhenTheExchangeEndsAndTheOldOneSaysNothing)
{
    params.SetData = GoodBlock(0x11);
    state.Request(OpUpdateSettings);
    engine.Tick();
    ASSERT_EQ(port.written.back().at(1), CmdWriteSettings);
    state.Request(OpReadSettings);
    port.Deliver(Reply(CmdWriteSettings, 0));
    const size_t before = port.written.size();
    int16_t phaseBeforeTick = link.LinkPhase;
    while (port.written.size() == before) {
        phaseBeforeTick = link.LinkPhase;
        engine.Tick();
    }
    EXPECT_EQ(phaseBeforeTick, 2);  // the read went out on the tick that ended the write
    EXPECT_EQ(state.CurMode, OpReadSettings);
    EXPECT_EQ(port.written.back().at(1), CmdReadMemory);
    EXPECT_TRUE(view.panels[kPanelResult].isEmpty());
    EXPECT_EQ(view.cellForeBlack, 0);
}

TEST_F(LinkEngineTest, ALateDisplayReplyIsNeverTakenForTheSettingsReadThatFollows)
{
    const common::Bytes stored = GoodBlock(0x33);
    const common::Bytes lookalike = GoodBlock(0x44);  // would pass the block check too
    port.responder = [&](const common::Bytes& frame) {
        if (frame.at(1) == CmdQueryDisplay) return WithCrc({0x01, 0xFF, 0x00, 0x04, 0x00, 0x20});
        if (common::ReadLE<uint32_t>(frame, 2) == kSettingsFlashAddr)
            return ReadReply({stored.begin(), stored.begin() + kSetLen});
        return common::Bytes{};  // the display read is not answered in time
    };
    state.Request(OpReadDisplay);
    RunExchange();
    RunExchange();  // the display read goes unanswered
    ASSERT_EQ(view.Last(kPanelResult), "Read the data failure");

    state.Request(OpReadSettings);
    engine.Tick();
    ASSERT_EQ(state.CurMode, OpReadSettings);
    port.Deliver(ReadReply({lookalike.begin(), lookalike.begin() + kSetLen}));  // the display read's late reply
    RunExchange();
    EXPECT_EQ(view.Last(kPanelResult), "Successful reading data set");
    EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + kSetLen, params.SetData.begin()));
}

// A request held for a quiet line that a new click replaces shows its own failure, and
// the new request waits out what is left of the quiet window, not a window of its own.
TEST_F(LinkEngineTest, ARequestDroppedWhileHeldShowsItsFailureAndTheNextKeepsTheQuietCount)
{
    AnswerWith([](uint8_t) { return common::Bytes{}; });  // the erase goes unanswered
    state.Request(OpEraseSettings);
    RunExchange();
    ASSERT_EQ(view.Last(kPanelResult), "Erase data failed!");
    const int16_t window = link.QuietNeeded();
    const common::Bytes block = GoodBlock(0x33);
    params.SetData = GoodBlock(0x22);
    AnswerWith([&](uint8_t cmd) { return cmd == CmdReadMemory ? ReadReply({block.begin(), block.begin() + kSetLen}) : Reply(cmd, 0); });

    TickTimes(window / 2);
    state.Request(OpReadSettings);
    TickTimes(2);
    ASSERT_EQ(link.LinkPhase, PhaseQuietWait);
    const size_t written = port.written.size();
    state.Request(OpUpdateSettings);
    engine.Tick();
    EXPECT_EQ(view.Last(kPanelResult), "Read the data failure");
    EXPECT_EQ(state.Requested(), OpUpdateSettings);
    int ticks = 1;
    while (port.written.size() == written && ticks < 1000) {
        engine.Tick();
        ++ticks;
    }
    EXPECT_LE(ticks, window - window / 2);
    EXPECT_EQ(port.written.back().at(1), CmdWriteSettings);
}

TEST_F(LinkEngineTest, RequestingTheRunningOperationAgainChangesNothing)
{
    params.SetData = GoodBlock(0x11);
    AnswerWith([](uint8_t cmd) { return Reply(cmd, 0); });
    state.Request(OpUpdateSettings);
    engine.Tick();
    state.Request(OpUpdateSettings);
    engine.Tick();
    state.Request(OpUpdateSettings);
    while (link.LinkPhase != 0) engine.Tick();
    EXPECT_EQ(state.Requested(), OpLinkCheck);
    engine.Tick();
    EXPECT_EQ(state.CurMode, OpLinkCheck);
    ASSERT_EQ(port.written.size(), 2u);
    EXPECT_EQ(port.written[1].at(1), CmdLinkQuery);
}

struct WriteCase {
    OpCode op;
    uint8_t flag;
    int16_t replyLimit;
    const char* refused;
    const char* success;
};

TEST_F(LinkEngineTest, WritingTheSettingsReportsEachOutcome)
{
    const std::vector<WriteCase> cases = {
        {OpUpdateSettings, 0x00, 100, "Setting the update data failed", "Update the set data successfully"},
        {OpSaveSettings, 0xAA, 200, "Save Settings data failed", "Save Settings data successfully"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.success);
        for (int outcome = 0; outcome < 3; ++outcome) {
            common::Bytes block = GoodBlock(0x33);
            block[28] ^= 0xFF;  // a stale CRC is stamped anew before sending
            params.SetData = block;
            AnswerWith([outcome](uint8_t cmd) {
                return outcome == 2 ? common::Bytes{} : Reply(cmd, outcome == 0 ? 0 : 7);
            });
            view = RecordingEngineView();
            state.Request(c.op);
            RunExchange();
            const common::Bytes& frame = port.written.back();
            ASSERT_EQ(frame.size(), kSetLen + 11u);
            EXPECT_EQ(frame.at(8), c.flag);
            EXPECT_EQ(link.ReplyLimit, c.replyLimit);
            EXPECT_EQ(link.SendLimit, 500);
            const common::Bytes stamped = GoodBlock(0x33);
            EXPECT_TRUE(std::equal(frame.begin() + 9, frame.end() - 2, stamped.begin()));
            const QString expected = outcome == 0 ? c.success : outcome == 1 ? c.refused : "Communication fails";
            EXPECT_EQ(view.panels[kPanelResult], QStringList{expected});
            EXPECT_EQ(view.cellForeBlack, outcome == 0 ? 1 : 0);
            EXPECT_EQ(state.Requested(), OpLinkCheck);
            EXPECT_EQ(state.LinkState, 0);
            PollUntilTheLineIsSettled();
        }
    }
}

TEST_F(LinkEngineTest, ABlockThatCannotBeStampedIsNotSent)
{
    params.SetData = GoodBlock(0x33);
    common::WriteLE<int32_t>(params.SetData, 20, 99);
    state.Request(OpSaveSettings);
    engine.Tick();
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(view.panels[kPanelResult], QStringList{"Set the data validation is invalid"});
    EXPECT_EQ(state.Requested(), OpLinkCheck);
    EXPECT_EQ(state.LinkState, 0);
}

TEST_F(LinkEngineTest, ErasingTheSettingsReportsEachOutcome)
{
    const std::vector<std::pair<common::Bytes, QString>> cases = {
        {Reply(CmdEraseSettings, 0), "Erase the data successfully"},
        {Reply(CmdEraseSettings, 1), "Erase data failed"},
        {{0x01, 0xFE, 0x00, 0x00, 0x00}, "Erase data failed!"},
    };
    for (const auto& [reply, text] : cases) {
        AnswerWith([&reply](uint8_t) { return reply; });
        view = RecordingEngineView();
        state.Request(OpEraseSettings);
        RunExchange();
        EXPECT_EQ(port.written.back(), WithCrc(EraseSettingsBody()));
        EXPECT_EQ(view.panels[kPanelResult], QStringList{text});
        EXPECT_EQ(state.Requested(), OpLinkCheck);
        TickTimes(2);
    }
}

TEST_F(LinkEngineTest, ReadingTheSettingsIgnoresByte2AndChecksTheBlock)
{
    const common::Bytes good = GoodBlock(0x21);
    AnswerWith([&](uint8_t) { return ReadReply({good.begin(), good.begin() + kSetLen}, 0x55); });
    state.Request(OpReadSettings);
    RunExchange();
    EXPECT_EQ(view.Last(kPanelResult), "Successful reading data set");

    common::Bytes bad = good;
    bad[kSetLen - 1] ^= 0x01;
    AnswerWith([&](uint8_t) { return ReadReply({bad.begin(), bad.begin() + kSetLen}); });
    state.Request(OpReadSettings);
    TickTimes(2);
    RunExchange();
    EXPECT_EQ(view.Last(kPanelResult), "Read the data validation is invalid");
    // The block that failed its check is not kept: SetData holds what the grid shows.
    EXPECT_TRUE(std::equal(good.begin(), good.begin() + kSetLen, params.SetData.begin()));
    EXPECT_EQ(view.setDataShown, 1);

    // A reply without the whole block is a failed read, and a failed read changes nothing.
    for (const common::Bytes& reply : UnusableReads({good.begin(), good.begin() + kSetLen})) {
        SCOPED_TRACE(reply.size());
        params.SetData.assign(kSetLen + 1, 0xEE);
        AnswerWith([&reply](uint8_t) { return reply; });
        state.Request(OpReadSettings);
        TickTimes(2);
        RunExchange();
        EXPECT_EQ(view.Last(kPanelResult), "Read the data failure");
        EXPECT_EQ(params.SetData, common::Bytes(kSetLen + 1, 0xEE));
        EXPECT_EQ(view.setDataShown, 1);
    }
}

TEST_F(LinkEngineTest, DisplayAddressMustLieAbove0x20000000AndFailedReadsRepeat)
{
    common::Bytes address = {0x00, 0x00, 0x00, 0x20};
    bool failReads = false;
    common::Bytes failedRead;
    AnswerWith([&](uint8_t cmd) {
        if (cmd == CmdQueryDisplay) return WithCrc({0x01, 0xFF, address[0], address[1], address[2], address[3]});
        if (failReads) return failedRead;
        return ReadReply({9, 8, 7, 6, 5, 4});
    });
    state.Request(OpReadDisplay);
    RunExchange();
    RunExchange();
    EXPECT_EQ(port.written.back(), WithCrc(QueryDisplayBody()));  // 0x20000000 refused, asked again
    address = {0x01, 0x00, 0x00, 0x20};
    RunExchange();
    RunExchange();
    EXPECT_EQ(state.DispAddr, 0x20000001);
    EXPECT_EQ(port.written.back(), WithCrc(ReadMemoryBody(0x20000001, kDispLen)));
    EXPECT_EQ(view.Last(kPanelResult), "Successful reading data set");
    EXPECT_EQ((common::Bytes{params.DispData.begin(), params.DispData.begin() + kDispLen}),
              (common::Bytes{9, 8, 7, 6, 5, 4}));
    EXPECT_EQ(view.dispDataShown, 1);

    failReads = true;
    for (const common::Bytes& reply : UnusableReads({1, 2, 3, 4, 5, 6})) {
        SCOPED_TRACE(reply.size());
        failedRead = reply;
        view.panels[kPanelResult].clear();
        RunExchange();
        EXPECT_EQ(view.Last(kPanelResult), "Read the data failure");
        EXPECT_EQ(port.written.back(), WithCrc(ReadMemoryBody(0x20000001, kDispLen)));
    }
    EXPECT_EQ((common::Bytes{params.DispData.begin(), params.DispData.begin() + kDispLen}),
              (common::Bytes{9, 8, 7, 6, 5, 4}));
    EXPECT_EQ(state.Requested(), OpReadDisplay);
    EXPECT_EQ(view.dispDataShown, 1);
}

TEST_F(LinkEngineTest, ImageInfoIsShownOnceWithTheOperationEndedBeforeTheWindowOpens)
{
    image::ImageInfoRecord record;
    record.DeviceID = 1234;
    record.OrderID = common::FixedText(QStringLiteral("订单-42"), 30);
    record.DateUpdated = "261209";
    AnswerWith([&](uint8_t) { return ReadReply(record.ToBytes()); });
    view.whileVersionWindowOpen = [&] {
        EXPECT_EQ(state.LinkState, 0);
        EXPECT_EQ(state.Requested(), OpLinkCheck);
        const size_t sent = port.written.size();
        engine.Tick();  // a tick from the window's event loop
        EXPECT_EQ(port.written.size(), sent);
    };
    state.Request(OpReadImageInfo);
    RunExchange();
    EXPECT_EQ(port.written.back(), WithCrc(ReadMemoryBody(kImageInfoAddr, 50)));
    EXPECT_EQ(view.versionWindows, 1);
    EXPECT_EQ(view.versionInfo.DeviceID, 1234);
    EXPECT_EQ(view.versionInfo.OrderID, record.OrderID);
    EXPECT_EQ(view.notesTxt5, QStringLiteral("订单-42"));
    EXPECT_EQ(state.ImageInfo.DateUpdated, QByteArray("261209"));
    TickTimes(2);
    EXPECT_EQ(view.versionWindows, 1);
    EXPECT_EQ(state.CurMode, OpLinkCheck);
}

// A blank board, or one burnt without an order number, holds none to hand on.
TEST_F(LinkEngineTest, ARecordWithoutAnOrderNumberLeavesTheOrderNumberBoxAsItIs)
{
    image::ImageInfoRecord burntEmpty;
    burntEmpty.OrderID = QByteArray(30, ' ');
    for (const common::Bytes& record : {common::Bytes(50, 0xFF), burntEmpty.ToBytes()}) {
        view.notesTxt5 = "SO-1";
        AnswerWith([&record](uint8_t) { return ReadReply(record); });
        state.Request(OpReadImageInfo);
        RunExchange();
        EXPECT_EQ(view.notesTxt5, "SO-1");
    }
    EXPECT_EQ(view.versionWindows, 2);
}

TEST_F(LinkEngineTest, AnImageInfoReadWithoutTheWholeRecordEndsWithoutAWord)
{
    view.notesTxt5 = "kept";
    image::ImageInfoRecord record;
    record.DeviceID = 1234;
    for (const common::Bytes& reply : UnusableReads(record.ToBytes())) {
        SCOPED_TRACE(reply.size());
        state.ImageInfo.DeviceID = 77;
        AnswerWith([&reply](uint8_t) { return reply; });
        state.Request(OpReadImageInfo);
        RunExchange();
        EXPECT_EQ(view.versionWindows, 0);
        EXPECT_TRUE(view.panels[kPanelResult].isEmpty());
        EXPECT_EQ(state.ImageInfo.DeviceID, 77);
        EXPECT_EQ(view.notesTxt5, "kept");
        EXPECT_EQ(state.Requested(), OpLinkCheck);
        EXPECT_EQ(state.LinkState, 0);
        TickTimes(2);
    }
}

struct CountingProgram : ProgramOperation {
    int steps = 0;
    void Enter() override {}
    void Step() override { ++steps; }
    void PortClosed() override {}
};

TEST_F(LinkEngineTest, OperationOneRunsTheProgrammingStepWhenThereIsOne)
{
    state.Request(OpProgram);
    TickTimes(3);
    EXPECT_EQ(state.CurMode, OpProgram);
    EXPECT_TRUE(port.written.empty());
    CountingProgram program;
    engine.SetProgramOperation(&program);
    TickTimes(3);
    EXPECT_EQ(program.steps, 3);
}

}  // namespace

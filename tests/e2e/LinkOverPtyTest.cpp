#include "DevsimFixture.h"

#include "link/Commands.h"
#include "params/SettingsBlock.h"


#include <csignal>
#include <gtest/gtest.h>

using namespace devlink;

namespace {

constexpr int16_t kSetLen = 64;
constexpr int16_t kDispLen = 8;

class LinkOverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        f.params.ProtoInfo[0].DataLen = kSetLen;
        f.params.ProtoInfo[1].DataLen = kDispLen;
        f.params.SetData.assign(kSetLen + 1, 0);
        f.params.DispData.assign(kDispLen + 1, 0);
    }

    void StartAndOpen(const QStringList& options = {})
    {
        ASSERT_TRUE(f.Start(options)) << f.FailureReason().toStdString();
        ASSERT_NO_THROW(f.OpenPort());
    }

    // Runs a one-shot operation to its end; its result text.
    QString RunOperation(OpCode op)
    {
        f.view.panels.clear();
        f.state.Request(op);
        const bool ended = f.TickUntil([&] { return f.state.CurMode == op && f.state.Requested() == OpLinkCheck; });
        EXPECT_TRUE(ended) << "operation " << int(op) << " did not end";
        return f.view.Last(kPanelResult);
    }

    common::Bytes GoodBlock(uint8_t seed) const
    {
        common::Bytes block(kSetLen + 1, 0);
        for (size_t i = 32; i < block.size(); ++i) block[i] = static_cast<uint8_t>(seed + i);
        common::WriteLE<int32_t>(block, 20, kSetLen - 32);
        params::StampBlockCrc(block, f.params.ProtoInfo[0]);
        return block;
    }

    e2e::DevsimFixture f;
};

TEST_F(LinkOverPty, PollingShowsTheRunMode)
{
    StartAndOpen();
    EXPECT_TRUE(f.TickUntil([&] { return f.view.Last(kPanelLink) == "Link normal-run mode"; }));
    EXPECT_EQ(f.view.command3, true);
    EXPECT_EQ(f.state.FailCount, 1);
}

TEST_F(LinkOverPty, SettingsWrittenAndSavedReadBackAndReachTheFlash)
{
    StartAndOpen();
    ASSERT_TRUE(f.TickUntil([&] { return f.view.Last(kPanelLink) == "Link normal-run mode"; }));
    EXPECT_EQ(RunOperation(OpReadSettings), "Read the data validation is invalid");  // blank flash

    const common::Bytes saved = GoodBlock(0x10);
    f.params.SetData = saved;
    EXPECT_EQ(RunOperation(OpSaveSettings), "Save Settings data successfully");
    f.params.SetData = GoodBlock(0x40);
    EXPECT_EQ(RunOperation(OpUpdateSettings), "Update the set data successfully");
    EXPECT_EQ(f.view.cellForeBlack, 2);

    f.params.SetData.assign(kSetLen + 1, 0);
    EXPECT_EQ(RunOperation(OpReadSettings), "Successful reading data set");
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + kSetLen, f.params.SetData.begin()));
    EXPECT_EQ(f.view.setDataShown, 1);

    EXPECT_EQ(RunOperation(OpEraseSettings), "Erase the data successfully");
    EXPECT_EQ(RunOperation(OpReadSettings), "Read the data validation is invalid");

    f.params.SetData = saved;
    EXPECT_EQ(RunOperation(OpSaveSettings), "Save Settings data successfully");
    f.Stop();
    const QByteArray flash = f.temp.read(f.FlashDumpPath());
    ASSERT_EQ(flash.size(), 0x10000);
    EXPECT_EQ(flash.mid(0x2800, kSetLen), QByteArray(reinterpret_cast<const char*>(saved.data()), kSetLen));
}

TEST_F(LinkOverPty, DisplayDataKeepsComingFromTheLearntAddress)
{
    StartAndOpen();
    f.state.Request(OpReadDisplay);
    ASSERT_TRUE(f.TickUntil([&] { return f.view.dispDataShown >= 1; }));
    const uint16_t first = common::ReadLE<uint16_t>(f.params.DispData, 0).value();
    ASSERT_TRUE(f.TickUntil([&] { return f.view.dispDataShown >= 3; }));
    EXPECT_EQ(f.state.DispAddr, 0x20000400);
    EXPECT_GT(common::ReadLE<uint16_t>(f.params.DispData, 0).value(), first);
    EXPECT_EQ(f.view.Last(kPanelResult), "Successful reading data set");
    EXPECT_EQ(f.state.Requested(), OpReadDisplay);
}

TEST_F(LinkOverPty, TheDisplayBlockStartsFromTheGivenBytes)
{
    const QByteArray display("\x01\x02\x03\x04\x11\x22\x33\x44", kDispLen);
    StartAndOpen({"--display", f.temp.write("display.bin", display)});
    f.state.Request(OpReadDisplay);
    ASSERT_TRUE(f.TickUntil([&] { return f.view.dispDataShown >= 1; }));
    // The running board counts in the first four bytes; the rest is as given.
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(f.params.DispData.data()) + 4, 4), display.mid(4));
}

TEST_F(LinkOverPty, APulledBoardGivesLinkFailure)
{
    StartAndOpen();
    ASSERT_TRUE(f.TickUntil([&] { return f.view.Last(kPanelLink) == "Link normal-run mode"; }));
    ASSERT_TRUE(f.Signal(SIGUSR1, "pulled"));  // the line stays, nobody answers on it
    EXPECT_TRUE(f.TickUntil([&] { return f.view.Last(kPanelLink) == "Link failure！"; }, 1000));
    EXPECT_TRUE(f.port.PortOpen());
}

TEST_F(LinkOverPty, TheLongestRequestGoesOutWholeWithOneSendDone)
{
    StartAndOpen();
    ASSERT_TRUE(f.TickUntil([&] { return f.view.Last(kPanelLink) == "Link normal-run mode"; }));
    f.state.Request(OpProgram);  // no programming step: the engine stays quiet
    ASSERT_TRUE(f.TickUntil([&] { return f.state.CurMode == OpProgram; }));
    f.sendDoneEvents = 0;

    f.link.SendFrame(WriteChunkBody(0, common::Bytes(512, 0x5A)), kWriteChunkLimits);
    ASSERT_EQ(f.link.TxBuf.size(), 521u);
    ASSERT_TRUE(f.TickUntil([&] { return f.link.LinkPhase == 0; }));
    EXPECT_EQ(f.sendDoneEvents, 1);
    EXPECT_EQ(f.link.LinkError, LinkOk);  // the controller took the whole frame
    EXPECT_EQ(f.link.RxBuf.at(1), CmdWriteChunk);
}

struct InjectionCase {
    const char* name;
    QStringList options;
    const char* text;
};

TEST_F(LinkOverPty, ControllerFailuresReachTheOperationsText)
{
    const std::vector<InjectionCase> cases = {
        {"refused", {"--refuse", "FE"}, "Erase data failed"},
        {"refused among others", {"--refuse", "FE", "--refuse", "F0"}, "Erase data failed"},
        {"bad crc", {"--bad-crc"}, "Erase data failed!"},
        {"split reply", {"--split-reply", "--split-pause-ms", "1000"}, "Erase data failed!"},
        {"silent", {"--silent-after", "0"}, "Erase data failed!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        e2e::DevsimFixture fixture;
        ASSERT_TRUE(fixture.Start(c.options)) << fixture.FailureReason().toStdString();
        ASSERT_NO_THROW(fixture.OpenPort());
        fixture.state.Request(OpEraseSettings);
        ASSERT_TRUE(fixture.TickUntil(
            [&] { return fixture.state.CurMode == OpEraseSettings && fixture.state.Requested() == OpLinkCheck; }));
        EXPECT_EQ(fixture.view.Last(kPanelResult), c.text);
    }
}

}  // namespace

#include "FakeSerialPort.h"
#include "link/Commands.h"
#include "link/LinkExchange.h"

#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>

using namespace devlink;
using testlink::FakeSerialPort;
using testlink::Resized;
using testlink::WithCrc;

namespace {

class LinkExchangeTest : public ::testing::Test {
protected:
    LinkExchangeTest() { port.OnComm = [this](int e) { link.OnComm(e); }; }

    // Ticks until the exchange is over; the number of ticks it took.
    int TicksUntilIdle(int bound = 1000)
    {
        for (int tick = 1; tick <= bound; ++tick) {
            link.CommPoll();
            if (link.LinkPhase == 0) return tick;
        }
        return -1;
    }

    // Sends F0 and lets it go out, after the quiet line a failed exchange asks for.
    void SendPoll(Limits limits = kLinkQueryLimits)
    {
        link.SendFrame(LinkQueryBody(), limits);
        while (link.LinkPhase == PhaseQuietWait) link.CommPoll();
        port.SendDone();
    }

    // The poll that went out is answered at once with a good reply.
    void AnswerThePoll()
    {
        port.SendDone();
        port.Deliver(WithCrc({0x01, 0xF0, 0x02}));
        TicksUntilIdle();
    }

    FakeSerialPort port;
    LinkExchange link{port};
};

TEST_F(LinkExchangeTest, SendFrameAppendsCrcHighByteFirstAndArmsTheExchange)
{
    link.ReplyTicks = 7;
    link.LinkError = LinkReplyTimeout;
    link.SendFrame(LinkQueryBody(), kLinkQueryLimits);
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.written[0], (common::Bytes{0x01, 0xF0, 0x00, 0x00, 0x64}));
    EXPECT_EQ(link.TxBuf, port.written[0]);
    EXPECT_EQ(link.LinkPhase, 1);
    EXPECT_EQ(link.LinkError, LinkOk);
    EXPECT_EQ(link.ReplyTicks, 0);
    EXPECT_EQ(link.GapLimit, 3);
    EXPECT_EQ(link.ReplyLimit, 20);
    EXPECT_EQ(link.SendLimit, 20);
}

struct ReplyCase {
    const char* name;
    common::Bytes reply;
    int16_t expected;
};

TEST_F(LinkExchangeTest, JudgesEachReplyByLengthCrcAndEcho)
{
    const common::Bytes good = WithCrc({0x01, 0xF0, 0x02});
    common::Bytes rtuOrder = good;
    std::swap(rtuOrder[3], rtuOrder[4]);
    const std::vector<ReplyCase> cases = {
        {"good", good, LinkOk},
        {"four bytes, shorter than any reply", WithCrc({0x01, 0xF0}), LinkWrongLength},
        {"three bytes", {0x01, 0xF0, 0x02}, LinkReplyTooShort},
        {"one byte", {0x01}, LinkReplyTooShort},
        {"crc low byte first", rtuOrder, LinkCrcMismatch},
        {"wrong address byte", WithCrc({0x07, 0xF0, 0x02}), LinkOk},
        {"command not echoed", WithCrc({0x01, 0xF1, 0x02}), LinkNoEcho},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SendPoll();
        port.Deliver(c.reply);
        EXPECT_EQ(TicksUntilIdle(), 3);  // judged after GapLimit silent ticks
        EXPECT_EQ(link.LinkError, c.expected);
        EXPECT_EQ(link.RxBuf, c.reply);
        EXPECT_TRUE(port.pending.empty());
    }
}

// Every command's reply has the lengths the protocol gives it; a sound frame (valid CRC,
// command echoed) one byte shorter or longer is a failed exchange. An F4 reply carries the
// N bytes asked for after a 10-byte frame, or refuses the read with a non-zero status in
// 5 or 10 bytes; an F1 reply carries the chip ID exactly when its status is not 0.
TEST_F(LinkExchangeTest, AReplyMustHaveALengthItsCommandAllows)
{
    struct Case {
        std::string name;
        common::Bytes request;
        Limits limits;
        uint8_t status;
        std::set<size_t> allowed;
        std::set<size_t> alsoWrong = {};  // beside one byte shorter and longer than allowed
    };
    std::vector<Case> cases = {
        {"F0", LinkQueryBody(), kLinkQueryLimits, 0x02, {5}},
        {"F1 without ID", HandshakeBody(), kHandshakeLimits, 0x00, {5}, {17}},
        {"F1 with ID", HandshakeBody(), kHandshakeLimits, 0x01, {17}, {5}},
        {"03", EnterDownloadBody(), kEnterDownloadLimits, 0x00, {5}},
        {"05 refused", ErasePageBody(kFlashBase, 8), kErasePageLimits, 0x01, {5}},
        {"07", WriteChunkBody(0, common::Bytes(512, 0x5A)), kWriteChunkLimits, 0x00, {5}},
        {"09", ClosePageBody(true, 2048, 10), kClosePageLimits, 0x00, {5}},
        {"FE", EraseSettingsBody(), kEraseSettingsLimits, 0x00, {5}},
        {"F5", WriteSettingsBody(kSaveSettingsFlag, common::Bytes(96, 0x21)), kSaveSettingsLimits, 0x00, {5}},
        {"FF", QueryDisplayBody(), kQueryDisplayLimits, 0x00, {8}},
    };
    for (const uint16_t n : {1, 50, 480, 1024}) {
        const std::string asked = "F4 of " + std::to_string(n);
        cases.push_back({asked, ReadMemoryBody(kFlashBase, n), kReadMemoryLimits, 0x00, {10u + n}, {5, 10}});
        cases.push_back({asked + " refused", ReadMemoryBody(kFlashBase, n), kReadMemoryLimits, 0x01, {5, 10, 10u + n}});
    }
    for (const Case& c : cases) {
        std::set<size_t> lengths = c.alsoWrong;
        for (size_t allowed : c.allowed) lengths.insert({allowed - 1, allowed, allowed + 1});
        for (size_t length : lengths) {
            SCOPED_TRACE(c.name + ", a reply of " + std::to_string(length));
            link.SendFrame(c.request, c.limits);
            while (link.LinkPhase == PhaseQuietWait) link.CommPoll();
            port.SendDone();
            port.Deliver(Resized(WithCrc({0x01, c.request[1], c.status}), length));
            TicksUntilIdle();
            EXPECT_EQ(link.LinkError, c.allowed.count(length) ? LinkOk : LinkWrongLength);
        }
    }
}

TEST_F(LinkExchangeTest, NoSendDoneEndsWithSendTimeoutAfterSendLimit)
{
    link.SendFrame(EraseSettingsBody(), kEraseSettingsLimits);
    EXPECT_EQ(TicksUntilIdle(), 50);
    EXPECT_EQ(link.LinkError, LinkSendTimeout);
    EXPECT_EQ(link.ReplyTicks, 0);
}

TEST_F(LinkExchangeTest, AFailingWriteEndsBySendTimeout)
{
    port.failOutput = true;
    link.SendFrame(LinkQueryBody(), kLinkQueryLimits);
    EXPECT_EQ(TicksUntilIdle(), 20);
    EXPECT_EQ(link.LinkError, LinkSendTimeout);
}

TEST_F(LinkExchangeTest, SilenceReadsEveryGapLimitTicksThenTimesOut)
{
    SendPoll();
    EXPECT_EQ(link.LinkPhase, 2);
    EXPECT_EQ(TicksUntilIdle(), 20);
    EXPECT_EQ(link.LinkError, LinkReplyTimeout);
    EXPECT_EQ(port.inputReads, 20 / 3);
}

TEST_F(LinkExchangeTest, AFailingReadCountsAsNothingReceived)
{
    SendPoll();
    port.Deliver(WithCrc({0x01, 0xF0, 0x02}));
    port.failInput = true;
    EXPECT_EQ(TicksUntilIdle(), 20);
    EXPECT_EQ(link.LinkError, LinkReplyTimeout);
}

TEST_F(LinkExchangeTest, AVerdictOnTheLastTickIsNotTurnedIntoATimeout)
{
    SendPoll(Limits{4, 4, 20});
    port.Deliver(WithCrc({0x01, 0xF0, 0x02}));
    EXPECT_EQ(TicksUntilIdle(), 4);
    EXPECT_EQ(link.LinkError, LinkOk);
}

TEST_F(LinkExchangeTest, EveryArrivalRestartsTheSilenceCount)
{
    SendPoll();
    const common::Bytes reply = WithCrc({0x01, 0xF0, 0x02});
    for (uint8_t b : reply) {
        port.Deliver({b});
        link.CommPoll();
        link.CommPoll();
        ASSERT_EQ(link.LinkPhase, 2);
    }
    EXPECT_EQ(TicksUntilIdle(), 1);  // the third silent tick after the last byte
    EXPECT_EQ(link.LinkError, LinkOk);
    EXPECT_EQ(link.RxBuf, reply);
}

TEST_F(LinkExchangeTest, TheRestOfASplitReplyIsThrownAwayBeforeTheNextRequest)
{
    const common::Bytes reply = WithCrc({0x01, 0xF0, 0x02, 0x00, 0x00});
    SendPoll();
    port.Deliver({reply.begin(), reply.begin() + 4});
    EXPECT_EQ(TicksUntilIdle(), 3);
    EXPECT_EQ(link.LinkError, LinkCrcMismatch);
    port.Deliver({reply.begin() + 4, reply.end()});

    const common::Bytes next = WithCrc({0x01, 0xF0, 0x03});
    SendPoll();
    port.Deliver(next);
    TicksUntilIdle();
    EXPECT_EQ(link.LinkError, LinkOk);
    EXPECT_EQ(link.RxBuf, next);
}

// A reply that comes after its time-out answers the request that timed out; it must
// never be taken for the next one, whatever that next request is.
TEST_F(LinkExchangeTest, ALateReplyIsThrownAwayAndTheNextRequestWaitsForAQuietLine)
{
    SendPoll();  // reply window 20 ticks
    TicksUntilIdle();
    ASSERT_EQ(link.LinkError, LinkReplyTimeout);
    EXPECT_EQ(link.QuietNeeded(), kLinkQueryLimits.reply);

    link.SendFrame(ReadMemoryBody(0x08002800, 64), kReadMemoryLimits);
    EXPECT_EQ(link.LinkPhase, PhaseQuietWait);
    for (int tick = 1; tick <= 10; ++tick) link.CommPoll();
    port.Deliver(WithCrc({0x01, 0xF0, 0x02}));  // the late reply restarts the quiet count
    int quietTicks = 0;
    while (link.LinkPhase == PhaseQuietWait) {
        link.CommPoll();
        ++quietTicks;
    }
    EXPECT_EQ(quietTicks, kLinkQueryLimits.reply);
    ASSERT_EQ(port.written.size(), 2u);
    EXPECT_EQ(port.written[1], link.TxBuf);
    EXPECT_TRUE(port.pending.empty());
    EXPECT_EQ(link.QuietNeeded(), 0);

    const common::Bytes reply = Resized(WithCrc({0x01, 0xF4, 0x00}), 10 + 64);
    port.SendDone();
    port.Deliver(reply);
    TicksUntilIdle();
    EXPECT_EQ(link.LinkError, LinkOk);
    EXPECT_EQ(link.RxBuf, reply);

    // After a good exchange the next request goes out at once.
    link.SendFrame(LinkQueryBody(), kLinkQueryLimits);
    EXPECT_EQ(link.LinkPhase, PhaseWritten);
    EXPECT_EQ(port.written.size(), 3u);
}

TEST_F(LinkExchangeTest, EveryKindOfFailureHoldsTheNextRequestForTheFailedReplyWindow)
{
    struct Case {
        const char* name;
        Limits limits;
        std::optional<common::Bytes> reply;  // nullopt: no send-done at all
        int16_t error;
    };
    const std::vector<Case> cases = {
        {"send time-out", kEraseSettingsLimits, std::nullopt, LinkSendTimeout},
        {"reply time-out", kReadMemoryLimits, common::Bytes{}, LinkReplyTimeout},
        {"short reply", kHandshakeLimits, common::Bytes{0x01, 0xF0}, LinkReplyTooShort},
        {"bad crc", kLinkQueryLimits, common::Bytes{0x01, 0xF0, 0x00, 0x00, 0x00}, LinkCrcMismatch},
        {"no echo", kWriteChunkLimits, WithCrc({0x01, 0xF1, 0x00}), LinkNoEcho},
        {"wrong length", kEraseSettingsLimits, WithCrc({0x01, 0xF0, 0x02, 0x00}), LinkWrongLength},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.SendFrame(LinkQueryBody(), c.limits);
        while (link.LinkPhase == PhaseQuietWait) link.CommPoll();
        if (c.reply) port.SendDone();
        if (c.reply && !c.reply->empty()) port.Deliver(*c.reply);
        TicksUntilIdle();
        EXPECT_EQ(link.LinkError, c.error);
        EXPECT_EQ(link.QuietNeeded(), c.limits.reply);
    }
}

// A held request goes out once the line has been quiet for the whole window, however
// late in the wait a burst came: early, after the send limit, or near the window's end.
TEST_F(LinkExchangeTest, AHeldRequestGoesOutAfterTheQuietWindowWheneverABurstCame)
{
    const int16_t window = kReadMemoryLimits.reply;
    for (int burstAt : {1, kLinkQueryLimits.send + 10, window - 5}) {
        SCOPED_TRACE(burstAt);
        SendPoll(kReadMemoryLimits);  // a failed exchange with a 100-tick reply window
        TicksUntilIdle();
        ASSERT_EQ(link.LinkError, LinkReplyTimeout);
        const size_t written = port.written.size();

        link.SendFrame(LinkQueryBody(), kLinkQueryLimits);
        int tick = 0;
        while (link.LinkPhase == PhaseQuietWait && tick < 2000) {
            ++tick;
            // A burst of three arrivals, a tick apart, as a late reply in pieces comes.
            if (tick >= burstAt && tick < burstAt + 3) port.Deliver(WithCrc({0x01, 0xF4, 0x00}));
            link.CommPoll();
        }
        EXPECT_EQ(link.LinkPhase, PhaseWritten);
        // Quiet for the window after the last piece (which came just before its tick).
        EXPECT_EQ(tick, burstAt + 2 + window - 1);
        ASSERT_EQ(port.written.size(), written + 1);
        EXPECT_TRUE(link.FollowsAFailure());
        AnswerThePoll();
        EXPECT_EQ(link.LinkError, LinkOk);
        EXPECT_EQ(link.QuietNeeded(), 0);
    }
}

// The quiet count runs from the last byte received or the end of the failed exchange,
// whenever the next request comes: one made after the line has been quiet that long goes
// out at once, one made earlier waits only for the rest of the window.
TEST_F(LinkExchangeTest, TheQuietWindowIsCountedFromTheLineNotFromTheRequest)
{
    const int window = kReadMemoryLimits.reply;
    for (const int idle : {0, 30, window - 1, window, window + 50}) {
        SCOPED_TRACE(idle);
        SendPoll(kReadMemoryLimits);
        TicksUntilIdle();
        ASSERT_EQ(link.LinkError, LinkReplyTimeout);
        for (int tick = 0; tick < idle; ++tick) link.CommPoll();
        const size_t written = port.written.size();

        link.SendFrame(LinkQueryBody(), kLinkQueryLimits);
        int waited = 0;
        while (link.LinkPhase == PhaseQuietWait) {
            link.CommPoll();
            ++waited;
        }
        EXPECT_EQ(waited, std::max(0, window - idle));
        EXPECT_EQ(port.written.size(), written + 1);
        EXPECT_TRUE(link.FollowsAFailure());
        AnswerThePoll();
        ASSERT_EQ(link.LinkError, LinkOk);
    }
}

// Only a failed exchange of the same command can leave a late reply that passes for the
// next request's own; another command's late reply fails the echo test.
TEST_F(LinkExchangeTest, ARequestMayTakeALateReplyOnlyAfterAFailureOfItsOwnCommand)
{
    SendPoll();
    TicksUntilIdle();
    ASSERT_EQ(link.LinkError, LinkReplyTimeout);
    link.SendFrame(ReadMemoryBody(0x08002000, 16), kReadMemoryLimits);
    while (link.LinkPhase == PhaseQuietWait) link.CommPoll();
    EXPECT_TRUE(link.FollowsAFailure());
    EXPECT_FALSE(link.RequestMayTakeALateReply());
    TicksUntilIdle();  // no reply: a failed F4
    link.SendFrame(ReadMemoryBody(0x08002000, 16), kReadMemoryLimits);
    while (link.LinkPhase == PhaseQuietWait) link.CommPoll();
    EXPECT_TRUE(link.RequestMayTakeALateReply());
}

TEST_F(LinkExchangeTest, ALineThatNeverFallsQuietFailsTheHeldRequestUnsentWithinTheBound)
{
    SendPoll();
    TicksUntilIdle();
    ASSERT_EQ(link.LinkError, LinkReplyTimeout);
    const size_t written = port.written.size();

    link.SendFrame(LinkQueryBody(), kLinkQueryLimits);
    const int bound = link.QuietWaitBound();
    EXPECT_EQ(bound, kQuietWaitWindows * kLinkQueryLimits.reply + kLinkQueryLimits.send);
    int ticks = 0;
    while (link.LinkPhase != PhaseIdle && ticks < 10000) {
        if (ticks % 7 == 0) port.Deliver({0x55});  // a byte every few ticks, without end
        link.CommPoll();
        ++ticks;
    }
    EXPECT_EQ(ticks, bound);
    EXPECT_EQ(link.LinkError, LinkSendTimeout);
    EXPECT_EQ(port.written.size(), written);
    EXPECT_LE(port.pending.size(), 1u);  // what arrives meanwhile is not kept
}

TEST_F(LinkExchangeTest, SendDoneCountsOnlyWhileTheRequestIsGoingOut)
{
    link.OnComm(ComEvSend);
    EXPECT_EQ(link.LinkPhase, 0);
    SendPoll();
    link.CommPoll();
    link.OnComm(ComEvSend);  // a second send-done does not restart the reply count
    EXPECT_EQ(link.ReplyTicks, 1);
    EXPECT_EQ(link.LinkPhase, 2);
}

}  // namespace

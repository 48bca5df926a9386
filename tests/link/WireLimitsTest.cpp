#include "link/Commands.h"
#include "link/WireLimits.h"

#include <gtest/gtest.h>

using namespace devlink;

namespace {

struct Request {
    common::Bytes body;
    Limits table;
};

// The largest request of each command that the tool sends: 07 and the read-back with the
// largest frame length, the setting block at its largest.
std::vector<Request> EveryCommandAtItsLargest()
{
    return {
        {LinkQueryBody(), kLinkQueryLimits},
        {HandshakeBody(), kHandshakeLimits},
        {EnterDownloadBody(), kEnterDownloadLimits},
        {ErasePageBody(0x08002000, 8), kErasePageLimits},
        {WriteChunkBody(0, common::Bytes(512, 0x5A)), kWriteChunkLimits},
        {ClosePageBody(true, 1024, 9), kClosePageLimits},
        {EraseSettingsBody(), kEraseSettingsLimits},
        {ReadMemoryBody(0x08002000, 512), kReadMemoryLimits},
        {WriteSettingsBody(kUpdateSettingsFlag, common::Bytes(480, 0)), kUpdateSettingsLimits},
        {WriteSettingsBody(kSaveSettingsFlag, common::Bytes(480, 0)), kSaveSettingsLimits},
        {QueryDisplayBody(), kQueryDisplayLimits},
    };
}

Limits OnLine(const Request& r, const QString& settings)
{
    return WithWireTime(r.table, r.body.size() + 2, LongestReplySize(r.body), settings);
}

void ExpectLimits(const Limits& got, const Limits& expected)
{
    EXPECT_EQ(got.gap, expected.gap);
    EXPECT_EQ(got.reply, expected.reply);
    EXPECT_EQ(got.send, expected.send);
}

TEST(WireLimits, TheCommandTableStandsAtTheFasterRates)
{
    for (const QString settings : {"57600,n,8,1", "9600,n,8,1", "9600,e,8,2"}) {
        for (const Request& r : EveryCommandAtItsLargest()) {
            SCOPED_TRACE(settings.toStdString() + " command " + std::to_string(r.body.at(1)));
            ExpectLimits(OnLine(r, settings), r.table);
        }
    }
}

// Ticks of 16 ms; a character at 8N1 is 10 bits. A limit grows by the wire time only
// where the table's own cannot hold it (the reply with its silent ticks).
TEST(WireLimits, ASlowLineLengthensOnlyTheLimitsThatCannotHoldItsWireTime)
{
    struct Case {
        const char* settings;
        common::Bytes body;
        Limits base;
        Limits expected;
    };
    const std::vector<Case> cases = {
        // A 17-byte reply at 1200: 142 ms, 9 ticks, more than 5 with 3 silent ones; the
        // 5-byte request's 3 ticks fit its 10.
        {"1200,n,8,1", HandshakeBody(), kHandshakeLimits, {3, 5 + 9, 10}},
        // 521 bytes at 1200: 4342 ms, 272 ticks; the 5-byte reply's 3 fit with 3 silent.
        {"1200,n,8,1", WriteChunkBody(0, common::Bytes(512, 0x5A)), kWriteChunkLimits, {3, 20, 100 + 272}},
        // 137 bytes at 1200: 72 ticks, within the send limit.
        {"1200,n,8,1", WriteChunkBody(0, common::Bytes(128, 0x5A)), kWriteChunkLimits, kWriteChunkLimits},
        // An F4 of 128 bytes brings 138 at 1200: 1150 ms, 72 ticks; with 3 silent ones they
        // fit in 100. One of 480 brings 490: 256 ticks.
        {"1200,n,8,1", ReadMemoryBody(0x08002000, 128), kReadMemoryLimits, kReadMemoryLimits},
        {"1200,n,8,1", ReadMemoryBody(0x08002800, 480), kReadMemoryLimits, {3, 100 + 256, 50}},
        // Two stop bits, 11 bits a character: the 17-byte reply 156 ms, 10 ticks.
        {"1200,n,8,2", HandshakeBody(), kHandshakeLimits, {3, 5 + 10, 10}},
        // A settings text that cannot be read changes nothing.
        {"", HandshakeBody(), kHandshakeLimits, kHandshakeLimits},
        {"fast,n,8,1", HandshakeBody(), kHandshakeLimits, kHandshakeLimits},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.settings) + " " + std::to_string(c.body.at(1)) + " of " +
                     std::to_string(c.body.size()));
        ExpectLimits(OnLine({c.body, c.base}, c.settings), c.expected);
    }
}

}  // namespace

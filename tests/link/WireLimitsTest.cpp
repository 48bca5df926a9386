#include "link/Commands.h"
#include "link/WireLimits.h"

#include <gtest/gtest.h>

using namespace devlink;

namespace {

// Ticks of 16 ms; a character at 8N1 is 10 bits.
TEST(WireLimits, LengthenTheLimitsByTheRequestsAndTheLongestRepliesTimeOnTheLine)
{
    struct Case {
        const char* settings;
        common::Bytes body;
        Limits base;
        Limits expected;
    };
    const common::Bytes chunk512 = WriteChunkBody(0, common::Bytes(512, 0x5A));  // 521 bytes with its CRC
    const std::vector<Case> cases = {
        // 17-byte reply at 1200: 142 ms, 9 ticks; the 5-byte request 42 ms, 3 ticks.
        {"1200,n,8,1", HandshakeBody(), kHandshakeLimits, {3, 5 + 9, 10 + 3}},
        // 521 bytes at 1200: 4342 ms, 272 ticks; the 5-byte reply 3 ticks.
        {"1200,n,8,1", chunk512, kWriteChunkLimits, {3, 20 + 3, 100 + 272}},
        // 521 bytes at 9600, 11 bits a character with parity: 597 ms, 38 ticks.
        {"9600,e,8,1", chunk512, kWriteChunkLimits, {3, 20 + 1, 100 + 38}},
        // An F4 of 96 bytes brings 106 at 57600: 18.4 ms, 2 ticks.
        {"57600,n,8,1", ReadMemoryBody(0x08002800, 96), kReadMemoryLimits, {3, 100 + 2, 50 + 1}},
        // FF's reply is 8 bytes; with two stop bits 11 bits a character: 73 ms, 5 ticks.
        {"1200,n,8,2", QueryDisplayBody(), kQueryDisplayLimits, {3, 100 + 5, 50 + 3}},
        // A settings text that cannot be read changes nothing.
        {"", HandshakeBody(), kHandshakeLimits, kHandshakeLimits},
        {"fast,n,8,1", HandshakeBody(), kHandshakeLimits, kHandshakeLimits},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.settings) + " " + std::to_string(c.body.at(1)));
        const Limits got = WithWireTime(c.base, c.body.size() + 2, LongestReplySize(c.body), c.settings);
        EXPECT_EQ(got.gap, c.expected.gap);
        EXPECT_EQ(got.reply, c.expected.reply);
        EXPECT_EQ(got.send, c.expected.send);
    }
}

}  // namespace

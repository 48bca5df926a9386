// When the send-done event may come: not before the request's time on the wire at the
// line's settings, and once, after nothing of it waits in any queue.
#include "link/LineSettings.h"
#include "link/SendDoneWatch.h"

#include <gtest/gtest.h>

using namespace devlink;
using namespace std::chrono_literals;

namespace {

using Clock = SendDoneWatch::Clock;

TEST(WireTime, CountsStartDataParityAndStopBitsAtTheBaudRate)
{
    const std::vector<std::pair<QString, double>> cases = {
        {"9600,n,8,1", 10}, {"57600,e,8,1", 11}, {"9600,o,7,2", 11}, {"1200,n,8,1.5", 10.5}, {"9600,n,5,1", 7}};
    for (const auto& [text, bits] : cases) {
        SCOPED_TRACE(text.toStdString());
        const LineSettings settings = ParseLineSettings(text);
        EXPECT_DOUBLE_EQ(BitsPerCharacter(settings), bits);
        const double expectedNs = 521 * bits / settings.baudRate * 1e9;
        EXPECT_NEAR(static_cast<double>(WireTime(521, settings).count()), expectedNs, 1.0);
    }
}

// A 521-byte write request (a 512-byte chunk) takes about 543 ms at 9600 and 90 ms at
// 57600; the driver's queue drains some time after the hand-over.
TEST(SendDoneWatch, NotBeforeTheWireTimeAndOnceAfterTheQueueIsEmpty)
{
    for (const char* line : {"9600,n,8,1", "57600,n,8,1"}) {
        SCOPED_TRACE(line);
        const auto wire = WireTime(521, ParseLineSettings(line));
        const Clock::time_point written{};
        SendDoneWatch watch;
        watch.Written(written, wire);
        EXPECT_TRUE(watch.Pending());
        EXPECT_EQ(watch.WireTimeLeft(written), wire);

        // The bytes left the driver's queue at once (a queue that cannot be seen reads 0).
        EXPECT_FALSE(watch.Done(written, 0));
        EXPECT_FALSE(watch.Done(written + wire - 1ms, 0));
        EXPECT_EQ(watch.WireTimeLeft(written + wire - 1ms), 1ms);
        // The wire time has passed but the queue still holds bytes.
        EXPECT_FALSE(watch.Done(written + wire, 3));
        EXPECT_FALSE(watch.Done(written + wire + 20ms, 1));
        EXPECT_EQ(watch.WireTimeLeft(written + wire + 20ms), 0ns);
        EXPECT_TRUE(watch.Done(written + wire + 21ms, 0));
        EXPECT_FALSE(watch.Done(written + wire + 22ms, 0));  // once
        EXPECT_FALSE(watch.Pending());
    }
}

TEST(SendDoneWatch, ARequestWrittenBehindAnotherFollowsItOnTheLine)
{
    const auto wire = WireTime(10, ParseLineSettings("9600,n,8,1"));  // about 10.4 ms
    const Clock::time_point start{};
    SendDoneWatch watch;
    watch.Written(start, wire);
    watch.Written(start + 2ms, wire);
    EXPECT_FALSE(watch.Done(start + wire + 2ms, 0));
    EXPECT_FALSE(watch.Done(start + 2 * wire - 1ns, 0));
    EXPECT_TRUE(watch.Done(start + 2 * wire, 0));

    // Written after the line fell free, a request counts from its own write.
    watch.Written(start + 1s, wire);
    EXPECT_FALSE(watch.Done(start + 1s + wire - 1ns, 0));
    EXPECT_TRUE(watch.Done(start + 1s + wire, 0));

    watch.Written(start + 2s, wire);
    watch.Clear();  // the port was closed
    EXPECT_FALSE(watch.Done(start + 3s, 0));
}

}  // namespace

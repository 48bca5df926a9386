// Chip programming through the real window on its own timer, against the stand-in
// controller pacing its line like a real one: a request reaches the board only when its
// last byte would have, and replies come back at the line rate.
#include "ProgrammingWindowFixture.h"

namespace {

using e2e::ProgrammingWindowFixture;

constexpr uint32_t kImageFlash = 0x08002000;
constexpr int kWholeRunWaitMs = 120000;  // an upper bound only; 8 KB take about 12 s at 9600

class ProgrammingAtLineRate : public ProgrammingWindowFixture,
                              public ::testing::WithParamInterface<const char*> {};

// At 9600 a 512-byte chunk is some 540 ms on the wire, longer than the 07 reply window
// of 20 ticks: the window may only start once the chunk has left the line.
TEST_P(ProgrammingAtLineRate, An8KImageIn512ByteFramesGoesOutOnceWithoutATimeout)
{
    StartWindowOnItsTimer(GetParam());
    ASSERT_FALSE(HasFatalFailure());
    LoadAndProgram(WriteImage("rate.BIN", 8192));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Logged(BurntText(1)); }, kWholeRunWaitMs)) << Log().toStdString();
    EXPECT_EQ(devsim.Flash(kImageFlash, 8192), PreparedImage());

    const QStringList requests = devsim.RecordedRequests();
    EXPECT_EQ(Requests("07", requests).size(), 16);  // no chunk sent twice
    EXPECT_EQ(Requests("05", requests).size(), 8);
    EXPECT_EQ(Requests("09", requests).size(), 8);
    EXPECT_EQ(Requests("03", requests).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Baud, ProgrammingAtLineRate, ::testing::Values("9600,n,8,1", "57600,n,8,1"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return QString(info.param).section(',', 0, 0).prepend("At").toStdString();
                         });

class ProgrammingWithLateReplies : public ProgrammingWindowFixture {};

// Replies carry no sequence number. The reply to the third chunk comes after its reply
// window, the reply to that chunk's resend comes late but within its window, and the
// next chunk is lost on the line. Neither late reply may be taken for a later request:
// the run ends with the whole image in flash, never with the success line over a page
// that was not written.
TEST_F(ProgrammingWithLateReplies, EndWithTheWholeImageInFlash)
{
    StartWindowOnItsTimer("57600,n,8,1",
                          {"--delay-reply", "07:3@450", "--delay-reply", "07:4@200", "--lose-request", "07:5"});
    ASSERT_FALSE(HasFatalFailure());
    LoadAndProgram(WriteImage("late.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Logged(BurntText(1)); }, kWholeRunWaitMs)) << Log().toStdString();
    EXPECT_EQ(devsim.Flash(kImageFlash, 5000), PreparedImage());
    const QStringList writes = Requests("07", devsim.RecordedRequests());
    ASSERT_GE(writes.size(), 5);
    EXPECT_GE(writes.count(writes[4]), 2) << "the lost chunk was not sent again";
}

}  // namespace

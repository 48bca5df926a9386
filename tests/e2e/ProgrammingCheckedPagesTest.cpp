// Programming through the real window against the stand-in controller when replies are
// lost: a stopped rewrite of the last page leaves nothing to the next board, lost
// replies alone never give a healthy board up, and a board that does not hold what it
// is sent gets the failure line, never the success line.
#include "ProgrammingWindowFixture.h"

#include <csignal>

namespace {

using e2e::ProgrammingWindowFixture;

constexpr uint32_t kImageFlash = 0x08002000;

class ProgrammingCheckedPages : public ProgrammingWindowFixture {};

// The reply to the last page's close (A7) is lost: the page is written again, 03 first.
// Stop in that second writing, another board, Program: the new board gets the whole
// image from its first page.
TEST_F(ProgrammingCheckedPages, StopDuringTheLastPagesSecondWritingLeavesNothingToTheNextBoard)
{
    StartWindow({"--drop-reply", "09:3"});
    ASSERT_FALSE(HasFatalFailure());
    pacer->replyWaitMs = 300;
    LoadAndProgram(WriteImage("last.BIN", 3000));
    ASSERT_FALSE(HasFatalFailure());
    const auto inSecondWriting = [&] {
        return state.engine.LinkState == devlink::StWriteWait &&
               Requests("03", devsim.RecordedRequests()).size() == 2;
    };
    ASSERT_TRUE(TickUntil(inSecondWriting, 1000)) << Log().toStdString();
    form->Command4->click();  // Stop
    ASSERT_EQ(form->Command4->text(), "Program");
    for (int tick = 0; tick < 50; ++tick) Tick();
    ASSERT_TRUE(devsim.Signal(SIGUSR2, "swapped"));
    const qsizetype before = devsim.RecordedRequests().size();

    form->Command4->click();  // Program
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    const QStringList erases = Requests("05", devsim.RecordedRequests().mid(before));
    ASSERT_EQ(erases.size(), 3) << erases.join('\n').toStdString();
    EXPECT_TRUE(erases.first().startsWith("01 05 00 00 20 00 08 08"));
    EXPECT_EQ(devsim.Flash(kImageFlash, 3000), PreparedImage());
    EXPECT_EQ(Log().count(BurntText(1)), 1);
}

// A cell at 0x08002C05 keeps bit 7 at 1 where the image has 0. The reply to page 11's
// first chunk is lost, and the board, which compares before it programs, refuses the
// chunk sent again (02). The page is erased at most three times, then the board is
// given up.
TEST_F(ProgrammingCheckedPages, AWornCellWhoseResentChunkIsRefusedGetsTheFailureLine)
{
    StartWindow({"--compare-before-write", "--worn-bits", "08002C05:80", "--drop-reply", "07:7"});
    ASSERT_FALSE(HasFatalFailure());
    pacer->replyWaitMs = 300;
    LoadAndProgram(WriteImage("worn.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_NE(PreparedImage().at(3077) & 0x80, 0x80) << "the image must have the worn bit at 0";
    ASSERT_TRUE(TickUntil([&] { return Logged(" Burning failed"); }, 4000)) << Log().toStdString();
    for (int tick = 0; tick < 50; ++tick) Tick();

    EXPECT_TRUE(Logged(" Burning failed：1 (chip) page 0x08002C00")) << Log().toStdString();
    EXPECT_FALSE(Logged(" Has been successfully burning"));
    const QStringList erases = Requests("05", devsim.RecordedRequests());
    EXPECT_LE(erases.filter("01 05 00 00 2C 00 08 0B").size(), 3);
    EXPECT_EQ(form->Command4->text(), "Program");
}

// 8 KiB in frames of 16 on a board that reads back: the first read-back's reply is lost,
// and one write reply in each of three pages. Each lost reply costs a resend; the board
// is burnt.
TEST_F(ProgrammingCheckedPages, LostRepliesAtFrame16CostResendsNotTheBoard)
{
    StartWindow({"--drop-reply", "F4:1", "--drop-reply", "07:10", "--drop-reply", "07:100", "--drop-reply",
                 "07:200"});
    ASSERT_FALSE(HasFatalFailure());
    pacer->replyWaitMs = 300;
    form->ComboSet[5]->setCurrentText("16");  // a port setting: the port closes
    OpenCom7();
    ASSERT_FALSE(HasFatalFailure());
    LoadAndProgram(WriteImage("frame16.BIN", 8192));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1, 20000)) << Log().toStdString();
    EXPECT_FALSE(Logged(" Burning failed"));
    EXPECT_EQ(devsim.Flash(kImageFlash, 8192), PreparedImage());
    const QStringList requests = devsim.RecordedRequests();
    EXPECT_EQ(Requests("05", requests).size(), 8) << "no page is written again";
    EXPECT_EQ(Requests("07", requests).size(), 8192 / 16 + 3);
}

}  // namespace

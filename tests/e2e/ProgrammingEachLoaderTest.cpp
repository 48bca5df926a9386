// Programming through the real window against the stand-in controller acting as each
// kind of boot loader the protocol allows: one that writes each chunk at once, one that
// puts a page into flash only at its close, one that does not answer a read in download
// mode and one that refuses it; and boards that fail in ways no reply shows.
#include "ProgrammingWindowFixture.h"

#include <QLabel>
#include <csignal>
#include <ostream>

namespace {

using e2e::ProgrammingWindowFixture;

constexpr uint32_t kImageFlash = 0x08002000;
constexpr int kWholeRunWaitMs = 120000;  // an upper bound only

struct Loader {
    const char* name;
    QStringList options;
};

const Loader kLoaders[] = {
    {"WritesAtOnce", {}},
    {"WritesAtClose", {"--flash-at-close"}},
    {"NoReadInDownload", {"--no-read-in-download"}},
    {"ReadRefusedInDownload", {"--refuse-read-in-download"}},
};

class ProgrammingEachLoader : public ProgrammingWindowFixture, public ::testing::WithParamInterface<Loader> {
protected:
    QString EraseAddress(const QString& request) const { return request.mid(9, 11); }

    // The run went through once: one download, one success line, the image in flash,
    // and only the pages in `allowedRewrites` (at most) erased and written again.
    void ExpectOneRunWithAtMostRewrites(int imageLen, int allowedRewrites)
    {
        EXPECT_EQ(Log().count(BurntText(1)), 1) << Log().toStdString();
        EXPECT_EQ(Log().count(" Downloading the"), 1) << Log().toStdString();
        EXPECT_EQ(devsim.Flash(kImageFlash, imageLen), PreparedImage());
        const QStringList requests = devsim.RecordedRequests();
        const int pages = (imageLen + 1023) / 1024;
        const int chunksPerPage = 1024 / 512;
        const int rewrites = int(Requests("05", requests).size()) - pages;
        EXPECT_EQ(Requests("03", requests).size(), 1);
        EXPECT_LE(rewrites, allowedRewrites);
        // Every chunk once, each faulty request sent again, each page written again whole.
        EXPECT_LE(Requests("07", requests).size(), imageLen / 512 + 1 + 4 + rewrites * chunksPerPage);
    }
};

// One write reply lost: the write was carried out. The page is read back after its close
// where the board reads back in download mode, else written again once: a board that
// refuses the read is asked once, one that leaves it unanswered three times.
TEST_P(ProgrammingEachLoader, ALostWriteReplyCostsAtMostOneWritingOfItsPage)
{
    StartWindow(GetParam().options + QStringList{"--drop-reply", "07:3"});
    ASSERT_FALSE(HasFatalFailure());
    pacer->replyWaitMs = 300;
    LoadAndProgram(WriteImage("lost.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    ExpectOneRunWithAtMostRewrites(5000, 1);
    const QStringList reads = Requests("F4", devsim.RecordedRequests());
    EXPECT_LE(reads.size(), 3);
}

// Late replies on the window's own timer: the 9th write answered 1 s late, the 10th
// 200 ms late, the 11th lost on the line, so that a late reply answers it.
TEST_P(ProgrammingEachLoader, ALateReplyChainNeverBurnsTheChipTwice)
{
    StartWindowOnItsTimer("57600,n,8,1", GetParam().options + QStringList{"--delay-reply", "07:9@1000", "--delay-reply",
                                                                           "07:10@200", "--lose-request", "07:11"});
    ASSERT_FALSE(HasFatalFailure());
    LoadAndProgram(WriteImage("chain.BIN", 8192));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Logged(BurntText(1)); }, kWholeRunWaitMs)) << Log().toStdString();
    ExpectOneRunWithAtMostRewrites(8192, 2);
}

INSTANTIATE_TEST_SUITE_P(Loaders, ProgrammingEachLoader, ::testing::ValuesIn(kLoaders),
                         [](const ::testing::TestParamInfo<Loader>& info) { return std::string(info.param.name); });

class ProgrammingHardBoards : public ProgrammingWindowFixture {
protected:
    // A flash cell that keeps a bit at 1, in a page where a reply was lost: every
    // read-back of that page differs. The board is given up after the third writing of
    // the page, with the failure line and no success line.
    void BurnABoardWithAWornCell(bool autoLoad)
    {
        StartWindow({"--worn-bits", "08002500:80", "--drop-reply", "07:3"});
        ASSERT_FALSE(HasFatalFailure());
        pacer->replyWaitMs = 300;
        form->Check1[3]->setChecked(autoLoad);
        LoadAndProgram(WriteImage("worn.BIN", 3000));
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(TickUntil([&] { return Logged(" Burning failed"); }, 3000)) << Log().toStdString();
        for (int tick = 0; tick < 50; ++tick) Tick();

        EXPECT_TRUE(Logged(" Burning failed：1 (chip) page 0x08002400")) << Log().toStdString();
        EXPECT_FALSE(Logged(" Has been successfully burning"));
        EXPECT_TRUE(form->PersLab->isHidden());
        const QStringList erases = Requests("05", devsim.RecordedRequests());
        EXPECT_EQ(erases.filter("01 05 00 00 24 00 08").size(), 3);
        EXPECT_EQ(Requests("03", devsim.RecordedRequests()).size(), 1) << "the failed board is not burnt again";
    }
};

TEST_F(ProgrammingHardBoards, AWornCellEndsTheRunWithTheFailureLine)
{
    BurnABoardWithAWornCell(false);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(form->Command4->text(), "Program");
}

TEST_F(ProgrammingHardBoards, AfterAWornCellAutoLoadWaitsForTheNextBoard)
{
    BurnABoardWithAWornCell(true);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(Log().trimmed().endsWith(" Connecting the next chip...")) << Log().toStdString();
    EXPECT_EQ(form->Command4->text(), "Stop");
    ASSERT_TRUE(devsim.Signal(SIGUSR2, "swapped"));  // the next board, without the worn cell
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    EXPECT_EQ(devsim.Flash(kImageFlash, 3000), PreparedImage());
}

// Twelve writes in mid-run without reply restart the handshake; a board without an ID is
// then programmed again from the start, to the end.
TEST_F(ProgrammingHardBoards, ABoardWithoutIdRestartedInMidRunIsBurntToTheEnd)
{
    QStringList faults{"--no-id"};
    for (int n = 3; n <= 14; ++n) faults << "--drop-reply" << QStringLiteral("07:%1").arg(n);
    StartWindow(faults);
    ASSERT_FALSE(HasFatalFailure());
    pacer->replyWaitMs = 100;
    LoadAndProgram(WriteImage("noid.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1, 6000)) << Log().toStdString();
    EXPECT_EQ(Requests("03", devsim.RecordedRequests()).size(), 2);
    EXPECT_EQ(devsim.Flash(kImageFlash, 5000), PreparedImage());
    EXPECT_EQ(form->Command4->text(), "Program");
}

// "KeepInF" ticked while the close before offset 2048 is in flight: that close had no
// last-page flag, so the page after it is still written and closed with the flag.
TEST_F(ProgrammingHardBoards, KeepInFTickedDuringTheCloseBeforeTheKeptAreaEndsWithTheLastPageFlag)
{
    StartWindow();
    ASSERT_FALSE(HasFatalFailure());
    LoadAndProgram(WriteImage("keep.BIN", 3000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(TickUntil(
        [&] {
            return form->Programmer().ImageOffset == 2048 && state.engine.LinkState == devlink::StCloseWait;
        },
        1000));
    form->Check1[1]->setChecked(true);
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    const QStringList closes = Requests("09", devsim.RecordedRequests());
    EXPECT_TRUE(closes.last().startsWith("01 09 A7 B8 0B 00 00 0B")) << closes.last().toStdString();
    EXPECT_EQ(devsim.Flash(kImageFlash, 3000), PreparedImage());
}

}  // namespace

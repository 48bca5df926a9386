// Chip programming end to end: the real window's Load File and Program buttons, its
// tick, the QSerialPort layer on a pseudo-terminal, and the stand-in controller, whose
// flash and recorded requests show what really arrived.
#include "ProgrammingWindowFixture.h"

#include <QLabel>
#include <csignal>
#include <ostream>

namespace {

using e2e::ProgrammingWindowFixture;

constexpr uint32_t kImageFlash = 0x08002000;
constexpr uint32_t kSettingsFlash = 0x08002800;

// The flash address field of an erase request line ("01 05 00 AA BB CC DD PP c c").
QString EraseAddressField(const QString& line) { return line.mid(9, 11); }

class ProgrammingWindow : public ProgrammingWindowFixture {};

TEST_F(ProgrammingWindow, ImagesOf5000And32KBytesArriveByteForByte)
{
    StartWindow();
    ASSERT_FALSE(HasFatalFailure());

    const QString small = WriteImage("small.BIN", 5000);
    LoadAndProgram(small);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    EXPECT_TRUE(Logged(" Downloading the：1 (chip)"));
    EXPECT_EQ(form->Command4->text(), "Program");
    EXPECT_EQ(devsim.Flash(kImageFlash, 5000), PreparedImage());
    EXPECT_EQ(devsim.Flash(kImageFlash + 5000, 120), QByteArray(120, char(0xFF)));  // rest of page 12 erased
    // The file's own bytes, and the record stamped at 1024 with today's date.
    const QByteArray file = folder.read(small);
    EXPECT_EQ(devsim.Flash(kImageFlash, 1024), file.left(1024));
    EXPECT_EQ(devsim.Flash(kImageFlash + 1074, 5000 - 1074), file.mid(1074));
    const common::Bytes record = state.engine.ImageInfo.ToBytes();
    EXPECT_EQ(devsim.Flash(kImageFlash + 1024, 50), QByteArray(reinterpret_cast<const char*>(record.data()), 50));
    EXPECT_EQ(devsim.Flash(kImageFlash + 1024 + 4, 6), QByteArray("26129 "));
    const QStringList smallRun = devsim.RecordedRequests();
    const QStringList closes = Requests("09", smallRun);
    ASSERT_EQ(closes.size(), 5);
    EXPECT_TRUE(closes.last().startsWith("01 09 A7 88 13 00 00 0D")) << closes.last().toStdString();

    const QString large = WriteImage("large.BIN", 32768);
    LoadAndProgram(large);
    ASSERT_FALSE(HasFatalFailure());
    // A new run counts its chips from 1 again.
    ASSERT_TRUE(TickUntil([&] { return Log().count(BurntText(1)) == 2; }, 6000)) << Log().toStdString();
    EXPECT_EQ(state.image.ImageLen, 32768);
    EXPECT_EQ(devsim.Flash(kImageFlash, 32768), PreparedImage());
    const QStringList largeRun = devsim.RecordedRequests().mid(smallRun.size());
    EXPECT_EQ(Requests("05", largeRun).size(), 32);
    EXPECT_EQ(Requests("07", largeRun).size(), 64);  // 512-byte frames
    EXPECT_TRUE(Requests("09", largeRun).last().startsWith("01 09 A7 00 80 00 00 28"));
    EXPECT_FALSE(form->PersLab->isHidden());  // the bar stands at the whole width
}

// The sample image beside the program, which the README's try-out burns.
TEST_F(ProgrammingWindow, TheShippedSampleImageLoadsAndBurns)
{
    const QString sample = QStringLiteral(TOLVEXAN_PROGRAM_DIR "/Sample.BIN");
    const QByteArray file = folder.read(sample);
    ASSERT_EQ(file.size(), 4096);
    EXPECT_EQ(file.mid(1024, 2), QByteArray(2, char(0xFF)));  // what Load File's preparation asks
    StartWindow();
    ASSERT_FALSE(HasFatalFailure());

    LoadAndProgram(sample);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    EXPECT_TRUE(Logged(" File path：" + sample));
    EXPECT_TRUE(Logged(" File size：4096(Byte)"));
    EXPECT_TRUE(Logged(" Downloading the：1 (chip)"));
    EXPECT_EQ(devsim.Flash(kImageFlash, 4096), PreparedImage());
    EXPECT_EQ(devsim.Flash(kImageFlash, 1024), file.left(1024));
}

TEST_F(ProgrammingWindow, KeepInFLeavesTheControllersStoredSettingsAlone)
{
    QByteArray stored(1024, 0);
    for (int i = 0; i < stored.size(); ++i) stored[i] = static_cast<char>(0x40 + i % 61);
    const QString settings = folder.write("settings.bin", stored);
    StartWindow({"--settings", settings});
    ASSERT_FALSE(HasFatalFailure());
    form->Check1[1]->setChecked(true);  // "KeepInF"

    LoadAndProgram(WriteImage("keep.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    const QByteArray image = PreparedImage();
    EXPECT_EQ(devsim.Flash(kImageFlash, 2048), image.left(2048));
    EXPECT_EQ(devsim.Flash(kSettingsFlash, 1024), stored);
    EXPECT_EQ(devsim.Flash(kSettingsFlash + 1024, 1024), QByteArray(1024, char(0xFF)));
    EXPECT_EQ(devsim.Flash(kImageFlash + 4096, 5000 - 4096), image.mid(4096));
    QStringList erased;
    for (const QString& line : Requests("05", devsim.RecordedRequests())) erased << EraseAddressField(line);
    EXPECT_EQ(erased, (QStringList{"00 20 00 08", "00 24 00 08", "00 30 00 08"}));
}

// The sample's last two pages are the kept ones: the run ends after page 9, and the bar
// still ends at its whole width.
TEST_F(ProgrammingWindow, KeepInFSkippingTheSamplesLastPagesEndsWithAFullBar)
{
    StartWindow();
    ASSERT_FALSE(HasFatalFailure());
    form->Check1[1]->setChecked(true);  // "KeepInF"
    LoadAndProgram(QStringLiteral(TOLVEXAN_PROGRAM_DIR "/Sample.BIN"));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    EXPECT_EQ(Requests("05", devsim.RecordedRequests()).size(), 2);
    ASSERT_FALSE(form->PersLab->isHidden());
    const int endWidth = form->PersLab->width();
    form->ShowProgress(1);
    EXPECT_EQ(endWidth, form->PersLab->width());
}

TEST_F(ProgrammingWindow, AutoLoadWaitsWhileTheBoardStaysAndProgramsTheNextOne)
{
    constexpr int kStaysForHandshakes = 8;
    StartWindow({"--swap-after-handshakes", QString::number(kStaysForHandshakes)});
    ASSERT_FALSE(HasFatalFailure());
    form->Check1[3]->setChecked(true);  // "AutoLoad"

    LoadAndProgram(WriteImage("series.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(2)) << Log().toStdString();
    EXPECT_TRUE(Logged(" Downloading the：1 (chip)"));
    EXPECT_TRUE(Logged(" Connecting the next chip..."));
    EXPECT_TRUE(Logged(" Downloading the：2 (chip)"));
    EXPECT_EQ(form->Command4->text(), "Stop");  // the series goes on

    // Between the first board's last page and the second board's download, only
    // handshakes: the first board stayed and was not programmed again.
    const QStringList requests = devsim.RecordedRequests();
    const auto firstDone = requests.indexOf(QRegularExpression("^01 09 A7 .*"));
    const auto secondStart = requests.indexOf(QRegularExpression("^01 03 .*"), firstDone);
    ASSERT_GT(firstDone, 0);
    ASSERT_GT(secondStart, firstDone);
    const QStringList between = requests.mid(firstDone + 1, secondStart - firstDone - 1);
    EXPECT_EQ(between.size(), kStaysForHandshakes + 1);
    EXPECT_EQ(Requests("F1", between), between);
    EXPECT_EQ(devsim.Flash(kImageFlash, 5000, ".board1"), PreparedImage());
    EXPECT_EQ(devsim.Flash(kImageFlash, 5000), PreparedImage());

    // A board swapped in by hand is taken up just the same.
    ASSERT_TRUE(devsim.Signal(SIGUSR2, "swapped"));
    ASSERT_TRUE(RunUntilBurnt(3)) << Log().toStdString();
    EXPECT_TRUE(Logged(" Downloading the：3 (chip)"));
    EXPECT_EQ(devsim.Flash(kImageFlash, 5000, ".board2"), PreparedImage());
    EXPECT_EQ(devsim.Flash(kImageFlash, 5000), PreparedImage());

    form->Command4->click();
    EXPECT_TRUE(Logged(" Cancel program"));
    EXPECT_EQ(form->Command4->text(), "Program");
}

TEST_F(ProgrammingWindow, ABoardWithoutAnIdIsProgrammedAfterSixRepliesWithoutOne)
{
    StartWindow({"--no-id"});
    ASSERT_FALSE(HasFatalFailure());
    LoadAndProgram(WriteImage("noid.BIN", 3000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    EXPECT_FALSE(Logged(" Downloading the："));  // only a reported ID is announced
    EXPECT_EQ(devsim.Flash(kImageFlash, 3000), PreparedImage());
    const QStringList requests = devsim.RecordedRequests();
    const auto firstHandshake = requests.indexOf(QRegularExpression("^01 F1 .*"));
    const auto download = requests.indexOf(QRegularExpression("^01 03 .*"));
    ASSERT_GE(firstHandshake, 0);
    EXPECT_EQ(download - firstHandshake, 6);
}

TEST_F(ProgrammingWindow, ABoardPulledMidRunIsProgrammedAfreshWhenPutBack)
{
    StartWindow();
    ASSERT_FALSE(HasFatalFailure());
    LoadAndProgram(WriteImage("pulled.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(TickUntil([&] { return form->Programmer().ImageOffset >= 2048; }, 1000));

    ASSERT_TRUE(devsim.Signal(SIGUSR1, "pulled"));
    pacer->replyWaitMs = 20;  // nothing comes back from a pulled board
    // Eleven failed download steps restart the handshake; five handshake time-outs
    // take the controller as removed, and the progress bar is cleared.
    ASSERT_TRUE(TickUntil([&] { return form->PersLab->isHidden(); }, 2000)) << Log().toStdString();
    EXPECT_EQ(form->Programmer().ChipStarted, 0);
    EXPECT_FALSE(Logged(BurntText(1)));

    ASSERT_TRUE(devsim.Signal(SIGUSR1, "plugged"));
    pacer->replyWaitMs = 500;
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    EXPECT_EQ(Log().count(" Downloading the：1 (chip)"), 2);  // started over, same number
    EXPECT_EQ(devsim.Flash(kImageFlash, 5000), PreparedImage());
    const QStringList requests = devsim.RecordedRequests();
    EXPECT_EQ(Requests("03", requests).size(), 2);
    EXPECT_EQ(EraseAddressField(Requests("05", requests).last()), "00 30 00 08");
}

// A fault at one reply in mid-run, and what the run sends right after it.
struct FaultCase {
    const char* name;
    QStringList options;
    const char* command;  // the faulty request: the count-th of this command
    int count;
    const char* next;     // "same": the request again; "erase": the page starts again
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class ProgrammingWithAFault : public ProgrammingWindowFixture,
                              public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ProgrammingWithAFault, StillEndsWithTheWholeImageInFlash)
{
    const FaultCase& c = GetParam();
    StartWindow(c.options);
    ASSERT_FALSE(HasFatalFailure());
    pacer->replyWaitMs = 300;
    LoadAndProgram(WriteImage("fault.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    EXPECT_EQ(devsim.Flash(kImageFlash, 5000), PreparedImage());

    const QStringList requests = devsim.RecordedRequests();
    qsizetype faulty = -1;
    for (int seen = 0; seen < c.count;) {
        faulty = requests.indexOf(QRegularExpression(QStringLiteral("^01 %1 .*").arg(c.command)), faulty + 1);
        ASSERT_GE(faulty, 0) << "fewer requests of " << c.command << " than the fault's count";
        ++seen;
    }
    ASSERT_LT(faulty + 1, requests.size());
    if (QString(c.next) == "same")
        EXPECT_EQ(requests[faulty + 1], requests[faulty]);
    else
        EXPECT_TRUE(requests[faulty + 1].startsWith("01 05 00 ")) << requests[faulty + 1].toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    ProgrammingMidRun, ProgrammingWithAFault,
    ::testing::Values(FaultCase{"DroppedWriteReply", {"--drop-reply", "07:3"}, "07", 3, "same"},
                      FaultCase{"BadCrcOnAWrite", {"--bad-crc-at", "07:4"}, "07", 4, "same"},
                      FaultCase{"WriteRefused", {"--status-fail", "07:5"}, "07", 5, "erase"},
                      FaultCase{"EraseRefused", {"--status-fail", "05:2"}, "05", 2, "same"},
                      FaultCase{"CloseRefused", {"--status-fail", "09:3"}, "09", 3, "same"},
                      FaultCase{"EnterDownloadReplyLost", {"--drop-reply", "03:1"}, "03", 1, "same"},
                      FaultCase{"WriteReplyInTwoPieces", {"--split-at", "07:2", "--split-pause-ms", "1000"}, "07", 2,
                                "same"}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

}  // namespace

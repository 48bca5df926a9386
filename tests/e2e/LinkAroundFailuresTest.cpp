// The link around failed exchanges, through the real window against the stand-in
// controller: what goes out after a close, a Stop or a new request while a request waits
// for a quiet line, and when a late reply comes during that wait.
#include "SettingsWindowFixture.h"

#include <functional>
#include <ostream>

namespace {

using e2e::SettingsWindowFixture;

constexpr int kLateReplyMs = 1200;

class LinkAroundFailures : public SettingsWindowFixture {
public:
    using SettingsWindowFixture::ClickPictureEntry;
    using SettingsWindowFixture::LoadAndProgram;
    using SettingsWindowFixture::WriteImage;

    // Requests recorded after the first `from`, link polls left out.
    QStringList RequestsAfter(qsizetype from) const
    {
        QStringList later = devsim.RecordedRequests().mid(from);
        later.removeIf([](const QString& line) { return line.startsWith("01 F0 "); });
        return later;
    }

    bool Recorded(const QString& prefix) const
    {
        return !devsim.RecordedRequests().filter(QRegularExpression("^" + prefix)).isEmpty();
    }

public:
    void ReadTheSettings()
    {
        ClickPictureEntry(1);
        ASSERT_TRUE(TickUntil([&] { return ResultPanel() == "Successful reading data set"; }, 2000))
            << ResultPanel().toStdString();
    }

protected:
    void ClickCloseOrOpen() { form->Command2->click(); }
};

struct CloseCase {
    const char* name;
    QStringList faults;
    std::function<void(LinkAroundFailures&)> start;
    const char* inFlight;  // the request that is in flight when the port closes
    bool pulled;           // the adapter is pulled out and another board put in
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class ClosingThePort : public LinkAroundFailures, public ::testing::WithParamInterface<CloseCase> {};

// Closing or losing the port ends the exchange in flight. Its late reply is never taken,
// and nothing of the operation that was running goes out after the port is opened again:
// no board is written that nobody asked to write.
TEST_P(ClosingThePort, EndsTheExchangeAndReopeningOnlyPollsTheLink)
{
    const CloseCase& c = GetParam();
    StartWindow(WithTablesAndStoredSettings() + c.faults);
    ASSERT_FALSE(HasFatalFailure());
    c.start(*this);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(TickUntil([&] { return Recorded(c.inFlight); }, 3000));
    Tick();
    const qsizetype before = devsim.RecordedRequests().size();

    if (c.pulled) {
        devsim.Kill();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->Command2->text() == "OpenUart"; }, kGenerousWaitMs));
    } else {
        ClickCloseOrOpen();
        ASSERT_EQ(form->Command2->text(), "OpenUart");
    }
    for (int tick = 0; tick < 5; ++tick) form->MBTim_Timer();  // the timer runs on while closed
    if (c.pulled) ASSERT_TRUE(devsim.Start()) << devsim.FailureReason().toStdString();  // another board
    ClickCloseOrOpen();
    ASSERT_EQ(form->Command2->text(), "CloseUart");
    TickFor(kLateReplyMs + 1000);

    EXPECT_EQ(RequestsAfter(before), QStringList{});
    EXPECT_GT(devsim.RecordedRequests().size(), before) << "the link is polled again";
    EXPECT_EQ(form->Command4->text(), "Program");
}

INSTANTIATE_TEST_SUITE_P(
    EachOperation, ClosingThePort,
    ::testing::Values(
        CloseCase{"Erase", {"--delay-reply", "FE:1@1200"}, [](auto& t) { t.ClickPictureEntry(0); }, "01 FE ", false},
        CloseCase{"Update", {"--delay-reply", "F5:1@1200"},
                  [](auto& t) {
                      t.ReadTheSettings();
                      t.ClickPictureEntry(2);
                  },
                  "01 F5 ", false},
        CloseCase{"Save", {"--delay-reply", "F5:1@1200"},
                  [](auto& t) {
                      t.ReadTheSettings();
                      t.ClickPictureEntry(3);
                  },
                  "01 F5 ", false},
        CloseCase{"Display", {"--delay-reply", "F4:1@1200"}, [](auto& t) { t.ClickPictureEntry(5); }, "01 F4 ",
                  false},
        CloseCase{"Programming", {"--delay-reply", "07:2@1200"},
                  [](auto& t) { t.LoadAndProgram(t.WriteImage("close.BIN", 5000)); }, "01 07 00 00 02 ", false},
        CloseCase{"EraseWithTheAdapterPulled", {"--delay-reply", "FE:1@1200"},
                  [](auto& t) { t.ClickPictureEntry(0); }, "01 FE ", true}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST_F(LinkAroundFailures, ASettingsReadRequestedWhileThePortIsClosedRunsOnceItIsOpen)
{
    StartWindow(WithTablesAndStoredSettings());
    ASSERT_FALSE(HasFatalFailure());
    TickFor(50);
    ClickCloseOrOpen();
    form->MBTim_Timer();
    ClickPictureEntry(1);
    ClickCloseOrOpen();
    ASSERT_TRUE(TickUntil([&] { return ResultPanel() == "Successful reading data set"; }, 2000))
        << ResultPanel().toStdString();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(state.params.SetData.data()), storedSettings.size()),
              storedSettings);
}

// Stop while the next chunk waits for a quiet line after a write whose reply was lost:
// that chunk never goes out, nor anything else of the run.
TEST_F(LinkAroundFailures, StopWhileAChunkWaitsForAQuietLineSendsNothingMoreOfTheRun)
{
    StartWindow({"--drop-reply", "07:3"});
    ASSERT_FALSE(HasFatalFailure());
    pacer->replyWaitMs = 20;
    LoadAndProgram(WriteImage("stop.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(TickUntil(
        [&] { return form->Link().LinkPhase == devlink::PhaseQuietWait && form->Link().TxBuf.at(1) == 0x07; }, 2000));
    const qsizetype before = devsim.RecordedRequests().size();
    form->Command4->click();
    EXPECT_TRUE(Logged(" Cancel program"));
    TickFor(1500);
    EXPECT_EQ(RequestsAfter(before), QStringList{});
    EXPECT_EQ(form->SB->Panel(1), "Link normal-download mode");  // polled again, in download mode
}

// A settings read requested while a display read waits for a quiet line: the display
// read is dropped, the settings read goes out after the quiet line and succeeds.
TEST_F(LinkAroundFailures, ASettingsReadTakesOverFromADisplayReadWaitingForAQuietLine)
{
    StartWindow(WithTablesAndStoredSettings() + QStringList{"--drop-reply", "F4:2"});
    ASSERT_FALSE(HasFatalFailure());
    pacer->replyWaitMs = 20;
    ClickPictureEntry(5);
    ASSERT_TRUE(TickUntil(
        [&] { return form->Link().LinkPhase == devlink::PhaseQuietWait && form->Link().TxBuf.at(1) == 0xF4; }, 2000));
    const qsizetype before = devsim.RecordedRequests().size();
    ClickPictureEntry(1);
    ASSERT_TRUE(TickUntil([&] { return form->MenuImg[4]->isEnabled(); }, 2000)) << ResultPanel().toStdString();
    EXPECT_EQ(ResultPanel(), "Successful reading data set");
    const QStringList after = RequestsAfter(before);
    ASSERT_EQ(after.size(), 1) << after.join(" | ").toStdString();
    EXPECT_TRUE(after[0].startsWith("01 F4 00 28 00 08 60 00")) << after[0].toStdString();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(state.params.SetData.data()), storedSettings.size()),
              storedSettings);
}

// On the window's own timer: the third display read is answered 2.5 s late, and a
// settings read is clicked a second after the display started. The late reply comes
// while the read waits for a quiet line; the read goes out once the line is quiet.
TEST_F(LinkAroundFailures, AHeldRequestGoesOutAfterALateReplyInsteadOfFailingUnsent)
{
    StartWindowOnItsTimer("57600,n,8,1", WithTablesAndStoredSettings() + QStringList{"--delay-reply", "F4:3@2500"});
    ASSERT_FALSE(HasFatalFailure());
    ClickPictureEntry(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Requests("F4", devsim.RecordedRequests()).size() >= 3; },
                                kGenerousWaitMs));
    QTest::qWait(1000);
    ClickPictureEntry(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->MenuImg[4]->isEnabled(); }, kGenerousWaitMs))
        << ResultPanel().toStdString();
    EXPECT_EQ(ResultPanel(), "Successful reading data set");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(state.params.SetData.data()), storedSettings.size()),
              storedSettings);
}

// The update is answered 4 s late, and the save that follows is lost on the line: the
// update's late reply answers the save. A held save is read back from flash, and the
// board that never saved is reported as such.
TEST_F(LinkAroundFailures, ASaveThatALateReplyAnsweredIsReadBackAndReportedAsFailed)
{
    StartWindowOnItsTimer("57600,n,8,1", WithTablesAndStoredSettings() +
                                             QStringList{"--delay-reply", "F5:1@4000", "--lose-request", "F5:2"});
    ASSERT_FALSE(HasFatalFailure());
    ClickPictureEntry(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ResultPanel() == "Successful reading data set"; }, kGenerousWaitMs));
    state.params.SetData[40] ^= 0x01;  // an edited value

    ClickPictureEntry(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ResultPanel() == "Communication fails"; }, kGenerousWaitMs))
        << ResultPanel().toStdString();
    ClickPictureEntry(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ResultPanel() != "Communication fails"; }, kGenerousWaitMs));
    EXPECT_EQ(ResultPanel(), "Save Settings data failed");
    const QStringList saves = devsim.RecordedRequests().filter(QRegularExpression("^01 F5 .* AA "));
    EXPECT_EQ(saves.size(), 1);
    EXPECT_FALSE(RequestsAfter(devsim.RecordedRequests().indexOf(saves.value(0))).filter("01 F4 00 28 00 08").isEmpty())
        << "the save is read back from flash";
    devsim.Stop();
    EXPECT_EQ(devsim.Flash(0x08002800, storedSettings.size()), storedSettings);
}

}  // namespace

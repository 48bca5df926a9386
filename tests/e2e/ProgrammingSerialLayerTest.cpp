// The serial layer alone over a pseudo-terminal: the port opened through a COMn entry in
// the ports folder, requests judged by the reply supervisor tick by tick, and the bytes
// the stand-in controller actually received.
#include "DevsimFixture.h"
#include "LinePacer.h"

#include "link/Commands.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace devlink;

namespace {

// One F0 exchange through the supervisor alone (no operation runs); its LinkError.
int16_t LinkQueryExchange(e2e::DevsimFixture& f, e2e::LinePacer& pacer)
{
    f.link.SendFrame(LinkQueryBody(), kLinkQueryLimits);
    pacer.AfterTick();
    for (int tick = 0; tick < 200 && f.link.LinkPhase != 0; ++tick) {
        f.link.CommPoll();
        pacer.AfterTick();
    }
    EXPECT_EQ(f.link.LinkPhase, 0) << "the exchange did not end";
    return f.link.LinkError;
}

class ProgrammingSerialLayer : public ::testing::Test {
protected:
    void StartAndOpen(const QStringList& options = {})
    {
        ASSERT_TRUE(f.Start(options)) << f.FailureReason().toStdString();
        ASSERT_NO_THROW(f.OpenPort());
        pacer.Attach(f.port);
    }

    e2e::DevsimFixture f;
    e2e::LinePacer pacer{f.link};
};

TEST_F(ProgrammingSerialLayer, ThePortsFolderEntryReachesTheControllerWithTheExactRequestBytes)
{
    StartAndOpen();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(QFileInfo(f.temp.file("COM7")).isSymLink());
    EXPECT_TRUE(f.port.DevicePath().startsWith("/dev/pts/") ||
                QFileInfo(f.port.DevicePath()).canonicalFilePath().startsWith("/dev/pts/"))
        << f.port.DevicePath().toStdString();

    EXPECT_EQ(LinkQueryExchange(f, pacer), LinkOk);
    ASSERT_GE(f.link.RxBuf.size(), 5u);
    EXPECT_EQ(f.link.RxBuf[1], CmdLinkQuery);
    EXPECT_EQ(f.link.RxBuf[2], ModeRun);
    EXPECT_EQ(f.RecordedRequests(), QStringList{"01 F0 00 00 64"});
    EXPECT_EQ(pacer.sendDone, 1);
}

TEST_F(ProgrammingSerialLayer, FaultsAtOneReplyGiveTheirLinkErrorAndTheLinkRecovers)
{
    struct Case {
        const char* name;
        QStringList options;
        std::vector<int16_t> errors;  // of three F0 exchanges in a row
    };
    const std::vector<Case> cases = {
        {"bad crc once", {"--bad-crc-at", "1"}, {LinkCrcMismatch, LinkOk, LinkOk}},
        {"bad crc at the second F0", {"--bad-crc-at", "F0:2"}, {LinkOk, LinkCrcMismatch, LinkOk}},
        // The first piece alone is too short; the rest spoils the next reply's CRC.
        {"reply in two pieces", {"--split-at", "1", "--split-pause-ms", "1000"},
         {LinkReplyTooShort, LinkCrcMismatch, LinkOk}},
        {"dropped reply", {"--drop-reply", "2"}, {LinkOk, LinkReplyTimeout, LinkOk}},
        {"a status byte is not judged by the link", {"--status-fail", "F0:1"}, {LinkOk, LinkOk, LinkOk}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        e2e::DevsimFixture fixture;
        e2e::LinePacer casePacer{fixture.link};
        ASSERT_TRUE(fixture.Start(c.options)) << fixture.FailureReason().toStdString();
        ASSERT_NO_THROW(fixture.OpenPort());
        casePacer.Attach(fixture.port);
        casePacer.replyWaitMs = 1000;  // only the dropped reply waits this long
        std::vector<int16_t> errors;
        for (int i = 0; i < 3; ++i) errors.push_back(LinkQueryExchange(fixture, casePacer));
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(fixture.RecordedRequests().size(), 3);
    }
}

}  // namespace

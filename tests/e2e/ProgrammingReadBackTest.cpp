// What a programming run sends around failed exchanges. Replies carry no sequence number,
// so a late reply may be taken for a later request of the same command: a page in which
// an exchange failed is read back and compared with the image before it is closed. A
// clean run reads nothing back and sends exactly the requests it always has.
#include "ProgrammingWindowFixture.h"

#include <QFile>
#include <ostream>

namespace {

using e2e::ProgrammingWindowFixture;

constexpr uint32_t kImageFlash = 0x08002000;
constexpr int kWholeRunWaitMs = 120000;  // an upper bound only

class ProgrammingReadBack : public ProgrammingWindowFixture {
protected:
    // The requests devsim recorded, link polls left out (their number follows the clock).
    QStringList RequestsBesidesPolls() const
    {
        QStringList requests = devsim.RecordedRequests();
        requests.removeIf([](const QString& line) { return line.startsWith("01 F0 "); });
        return requests;
    }
};

QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// The request log of a clean 5000-byte run in 512-byte frames, as the tool has always
// sent it: handshake, download mode, and per page an erase, two writes and a close.
TEST_F(ProgrammingReadBack, ACleanRunSendsExactlyTheRequestsItAlwaysHas)
{
    StartWindow();
    ASSERT_FALSE(HasFatalFailure());
    LoadAndProgram(WriteImage("clean.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    const QStringList sent = RequestsBesidesPolls();
    const QStringList expected = ReadLines(QStringLiteral(TOLVEXAN_SOURCE_DIR "/tests/e2e/data/CleanRun5000.txt"));
    if (sent != expected) {
        QFile actual(QStringLiteral(TOLVEXAN_PROGRAM_DIR "/../CleanRun5000.actual.txt"));
        if (actual.open(QIODevice::WriteOnly)) actual.write(sent.join('\n').append('\n').toLatin1());
    }
    EXPECT_EQ(sent, expected) << "the requests sent are in build/CleanRun5000.actual.txt";
    EXPECT_EQ(devsim.Flash(kImageFlash, 5000), PreparedImage());
}

// Late replies that the quiet wait cannot catch: a reply later than its window, the
// resend's reply late too, and the next request lost on the line, so that a late reply
// answers it. The run may take longer, but it never reports a board whose flash differs.
struct LateChain {
    const char* name;
    const char* line;
    int imageLen;
    QStringList faults;
};

void PrintTo(const LateChain& c, std::ostream* os) { *os << c.name; }

class ProgrammingWithALateChain : public ProgrammingReadBack, public ::testing::WithParamInterface<LateChain> {};

TEST_P(ProgrammingWithALateChain, EndsWithTheSuccessLineOnlyOverTheWholeImage)
{
    const LateChain& c = GetParam();
    StartWindowOnItsTimer(c.line, c.faults);
    ASSERT_FALSE(HasFatalFailure());
    LoadAndProgram(WriteImage("chain.BIN", c.imageLen));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Logged(BurntText(1)); }, kWholeRunWaitMs)) << Log().toStdString();
    EXPECT_EQ(devsim.Flash(kImageFlash, c.imageLen), PreparedImage());
    EXPECT_FALSE(Requests("F4", devsim.RecordedRequests()).isEmpty()) << "a page with a failure is read back";
}

INSTANTIATE_TEST_SUITE_P(
    LateReplies, ProgrammingWithALateChain,
    ::testing::Values(LateChain{"At57600With32K",
                                "57600,n,8,1",
                                32768,
                                {"--delay-reply", "07:9@1000", "--delay-reply", "07:10@200", "--lose-request", "07:11"}},
                      LateChain{"At9600With5000Bytes",
                                "9600,n,8,1",
                                5000,
                                {"--delay-reply", "07:5@1350", "--delay-reply", "07:6@300", "--lose-request", "07:7"}}),
    [](const ::testing::TestParamInfo<LateChain>& info) { return std::string(info.param.name); });

}  // namespace

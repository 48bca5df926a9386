// Programming on every kind of loader the protocol allows, around lost and late replies:
// a run either ends right or gives the board up with a line that says so.
#include "ProgrammingTestRig.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

using common::Bytes;
using devlink::CmdEnterDownload;
using devlink::CmdErasePage;
using devlink::CmdReadMemory;
using devlink::CmdWriteChunk;
using testlink::ControllerPort;
using testlink::ProgrammingRig;
using Loader = ControllerPort::Loader;
using ReadInDownload = ControllerPort::ReadInDownload;

const QString kBurnt = " Has been successfully burning：1 (chip) /images/app.BIN";

Bytes ImageBytes(const ProgrammingRig& rig)
{
    return Bytes(rig.image.ImageData.begin(), rig.image.ImageData.begin() + rig.image.ImageLen);
}

// Faults on the 07 requests, counted from 1.
struct WriteFaults {
    std::function<bool(int write)> silent;  // carried out (unless lost), not answered
    std::function<bool(int write)> lost;    // never carried out
};

void Inject(ProgrammingRig& rig, const WriteFaults& faults, int& writes)
{
    rig.port.lost = [&rig, &writes, faults](const Bytes& frame) {
        return frame[1] == CmdWriteChunk && faults.lost && faults.lost(writes + 1);
    };
    rig.port.answer = [&rig, &writes, faults](const Bytes& frame) -> std::optional<Bytes> {
        if (frame[1] == CmdWriteChunk && faults.silent(++writes)) return std::nullopt;
        return rig.port.DefaultReply(frame);
    };
}

const auto kNever = [](int) { return false; };
// The first chunk of the second page gets no reply.
const WriteFaults kOneLostReply{[](int n) { return n == 3; }, kNever};
// That chunk never arrives, and the reply to its resend is lost while the resend is not:
// on the line this is a late reply to the first taken for the resend's own.
const WriteFaults kLateReplyTakenForTheResend{[](int n) { return n == 3; },
                                              [](int n) { return n == 3 || n == 4; }};

struct LoaderCase {
    const char* name;
    Loader loader;
    ReadInDownload read;
    const WriteFaults* faults;
    size_t writes, reads, erases;
};

void PrintTo(const LoaderCase& c, std::ostream* os) { *os << c.name; }

class ProgrammingOnEachLoader : public ::testing::TestWithParam<LoaderCase> {};

// A 3000-byte image in 512-byte frames is 6 chunks in 3 pages when nothing fails. Only
// the page with the fault is checked, and written again only where a read-back cannot
// show it right (a difference stops the read-back at its first read).
TEST_P(ProgrammingOnEachLoader, BurnsTheImageOnceWithOnlyTheFaultyPageCheckedOrWrittenAgain)
{
    const LoaderCase& c = GetParam();
    ProgrammingRig rig;
    rig.port.loader = c.loader;
    rig.port.readInDownload = c.read;
    int writes = 0;
    Inject(rig, *c.faults, writes);
    rig.Arm(3000);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));

    EXPECT_EQ(rig.port.Flash(0x08002000, 3000), ImageBytes(rig));
    EXPECT_EQ(rig.view.log.count(kBurnt), 1);
    EXPECT_EQ(rig.view.log.filter(" Downloading the").size(), 1);
    EXPECT_EQ(rig.Sent(CmdEnterDownload).size(), 1u);
    EXPECT_EQ(rig.Sent(CmdWriteChunk).size(), c.writes);
    EXPECT_EQ(rig.Sent(CmdReadMemory).size(), c.reads);
    EXPECT_EQ(rig.Sent(CmdErasePage).size(), c.erases);
}

INSTANTIATE_TEST_SUITE_P(
    Loaders, ProgrammingOnEachLoader,
    ::testing::Values(
        LoaderCase{"WritesAt07_LostReply", Loader::WritesAt07, ReadInDownload::Answers, &kOneLostReply, 7, 2, 3},
        LoaderCase{"WritesAt07_LateReply", Loader::WritesAt07, ReadInDownload::Answers, &kLateReplyTakenForTheResend,
                   9, 3, 4},
        LoaderCase{"WritesAtClose_LostReply", Loader::WritesAtClose, ReadInDownload::Answers, &kOneLostReply, 7, 2, 3},
        LoaderCase{"WritesAtClose_LateReply", Loader::WritesAtClose, ReadInDownload::Answers,
                   &kLateReplyTakenForTheResend, 9, 3, 4},
        // Three reads in a row without reply: the board is not asked again.
        LoaderCase{"NoReadInDownload_LostReply", Loader::WritesAt07, ReadInDownload::Silent, &kOneLostReply, 9, 3, 4},
        LoaderCase{"NoReadInDownload_LateReply", Loader::WritesAtClose, ReadInDownload::Silent,
                   &kLateReplyTakenForTheResend, 9, 3, 4},
        LoaderCase{"ReadRefused_LostReply", Loader::WritesAtClose, ReadInDownload::Refuses, &kOneLostReply, 9, 1, 4},
        LoaderCase{"ReadRefused_LateReply", Loader::WritesAt07, ReadInDownload::Refuses, &kLateReplyTakenForTheResend,
                   9, 1, 4}),
    [](const ::testing::TestParamInfo<LoaderCase>& info) { return std::string(info.param.name); });

// The reply to the image's last close (A7) is lost. The board may have started its new
// program there, or stayed in download mode: either way the last page is written again
// after 03, read back, and the run ends with one success line.
TEST(ProgrammingALostLastClose, WritesTheLastPageAgainAfterEnteringDownloadMode)
{
    for (const bool staysInDownload : {false, true}) {
        for (const Loader loader : {Loader::WritesAt07, Loader::WritesAtClose}) {
            SCOPED_TRACE(std::string(staysInDownload ? "stays in download" : "starts its program") +
                         (loader == Loader::WritesAt07 ? ", writes at 07" : ", writes at close"));
            ProgrammingRig rig;
            rig.port.staysInDownload = staysInDownload;
            rig.port.loader = loader;
            rig.port.answer = [&rig, closes = 0](const Bytes& frame) mutable -> std::optional<Bytes> {
                if (frame[1] == devlink::CmdClosePage && frame[2] == devlink::kLastPageFlag && ++closes == 1)
                    return std::nullopt;
                return rig.port.DefaultReply(frame);
            };
            rig.Arm(3000);
            ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));
            EXPECT_EQ(rig.port.Flash(0x08002000, 3000), ImageBytes(rig));
            EXPECT_EQ(rig.view.log.count(kBurnt), 1);
            EXPECT_EQ(rig.Sent(CmdEnterDownload).size(), 2u);
            EXPECT_EQ(rig.Sent(CmdErasePage).size(), 4u) << "the last page once more";
            EXPECT_EQ(rig.Sent(CmdReadMemory).size(), 2u) << "and read back after its close";
        }
    }
}

// While the last page waits to be written again, the board refuses 03 until the
// handshake restarts: the board is then burnt again from its first page.
TEST(ProgrammingALostLastClose, ARestartBeforeTheLastPageIsWrittenAgainStartsFromTheFirstPage)
{
    ProgrammingRig rig;
    rig.port.answer = [&rig, closes = 0, enters = 0](const Bytes& frame) mutable -> std::optional<Bytes> {
        if (frame[1] == devlink::CmdClosePage && frame[2] == devlink::kLastPageFlag && ++closes == 1)
            return std::nullopt;
        if (frame[1] == CmdEnterDownload && ++enters >= 2 && enters <= 12)
            return testlink::WithCrc({0x01, CmdEnterDownload, 0x01});
        return rig.port.DefaultReply(frame);
    };
    rig.Arm(3000);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));
    const auto erases = rig.Sent(CmdErasePage);
    ASSERT_EQ(erases.size(), 6u);
    EXPECT_EQ(erases[3], erases[0]) << "page 8 first";
    EXPECT_EQ(rig.port.Flash(0x08002000, 3000), ImageBytes(rig));
    EXPECT_EQ(rig.view.log.count(kBurnt), 1);
}

// A read-back answered by a sound frame of a length F4 never has is a failed read: it is
// sent again, and after three in a row the board is not asked again and the suspect page
// is written again.
TEST(ProgrammingAReadBackOfTheWrongLength, WritesTheSuspectPageAgainAndBurnsTheImage)
{
    const std::vector<std::pair<const char*, std::function<size_t(size_t whole)>>> lengths = {
        {"without its data", [](size_t) { return size_t{10}; }},
        {"one byte short", [](size_t whole) { return whole - 1; }},
        {"one byte long", [](size_t whole) { return whole + 1; }},
    };
    for (const auto& [name, length] : lengths) {
        SCOPED_TRACE(name);
        ProgrammingRig rig;
        int writes = 0;
        rig.port.answer = [&rig, &writes, &length](const Bytes& frame) -> std::optional<Bytes> {
            if (frame[1] == CmdWriteChunk && kOneLostReply.silent(++writes)) return std::nullopt;
            const std::optional<Bytes> reply = rig.port.DefaultReply(frame);
            if (frame[1] != CmdReadMemory || !reply) return reply;
            return testlink::Resized(*reply, length(reply->size()));
        };
        rig.Arm(3000);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));
        EXPECT_EQ(rig.port.Flash(0x08002000, 3000), ImageBytes(rig));
        EXPECT_EQ(rig.view.log.count(kBurnt), 1);
        EXPECT_EQ(rig.Sent(CmdReadMemory).size(), 3u);
        EXPECT_EQ(rig.Sent(CmdErasePage).size(), 4u);
    }
}

// A cell that keeps a bit at 1 reads back wrong however often its page is written.
TEST(ProgrammingAWornCell, GivesTheBoardUpAfterThreeWritingsOfItsPage)
{
    for (const bool autoLoad : {false, true}) {
        SCOPED_TRACE(autoLoad ? "AutoLoad" : "single board");
        ProgrammingRig rig;
        rig.view.autoLoad = autoLoad;
        rig.port.wornBits[0x08002410] = 0x01;  // the image byte there has that bit at 0
        int writes = 0;
        Inject(rig, kOneLostReply, writes);
        rig.Arm(3000);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.view.log.filter(" Burning failed").size() == 1; }, 20000));
        rig.Ticks(500);

        EXPECT_EQ(rig.view.log.filter(" Burning failed").first(), " Burning failed：1 (chip) page 0x08002400");
        EXPECT_FALSE(rig.view.log.contains(kBurnt));
        EXPECT_FALSE(rig.view.persLabVisible);
        const auto erases = rig.Sent(CmdErasePage);
        EXPECT_EQ(std::count(erases.begin(), erases.end(), erases[1]), 3) << "the worn page";
        EXPECT_EQ(rig.Sent(CmdEnterDownload).size(), 1u) << "the failed board is not burnt again";
        if (!autoLoad) {
            EXPECT_TRUE(rig.RunEnded());
            EXPECT_EQ(rig.view.command4Caption, "Program");
            continue;
        }
        EXPECT_EQ(rig.view.log.last(), " Connecting the next chip...");
        EXPECT_EQ(rig.view.command4Caption, "Stop");
        rig.port.wornBits.clear();
        rig.port.chip = testlink::ChipId{7, 7, 7};  // the next board
        ASSERT_TRUE(rig.RunUntil([&] { return rig.view.log.contains(kBurnt); }, 20000));
        EXPECT_EQ(rig.port.Flash(0x08002000, 3000), ImageBytes(rig));
    }
}

TEST(ProgrammingABoardWithoutId, RestartedInMidRunIsBurntToTheEnd)
{
    ProgrammingRig rig;
    rig.port.withoutId = true;
    int writes = 0;
    Inject(rig, WriteFaults{[](int n) { return n >= 3 && n <= 14; }, kNever}, writes);
    rig.Arm(3000);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }, 20000));
    EXPECT_EQ(rig.Sent(CmdEnterDownload).size(), 2u);
    EXPECT_EQ(rig.view.log.count(kBurnt), 1);
    EXPECT_EQ(rig.view.log.filter(" Downloading the").size(), 1) << "the start after the restart says so";
    EXPECT_EQ(rig.port.Flash(0x08002000, 3000), ImageBytes(rig));
}

TEST(ProgrammingABoardWithoutId, IsBurntAgainWhenProgramIsPressedAgain)
{
    ProgrammingRig rig;
    rig.port.withoutId = true;
    rig.Arm(1024);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));
    rig.Arm(1024);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded() && rig.view.log.count(kBurnt) == 2; }, 5000));
    EXPECT_EQ(rig.Sent(CmdEnterDownload).size(), 2u);
}

// A long run against boards that keep failing: the run ends, or the log grows; no state
// repeats without end in silence.
TEST(ProgrammingUnderLastingFaults, EndsOrSaysSoWithinABoundedTime)
{
    struct Board {
        const char* name;
        std::function<void(ProgrammingRig&)> fit;
    };
    const auto everySeventhReplyLost = [](ProgrammingRig& rig) {
        rig.port.answer = [&rig, writes = 0](const Bytes& frame) mutable -> std::optional<Bytes> {
            if (frame[1] == CmdWriteChunk && ++writes % 7 == 0) return std::nullopt;
            return rig.port.DefaultReply(frame);
        };
    };
    const auto refused = [](uint8_t command) {
        return [command](ProgrammingRig& rig) {
            rig.port.answer = [&rig, command](const Bytes& frame) -> std::optional<Bytes> {
                if (frame[1] == command) return testlink::WithCrc({0x01, command, 0x01});
                return rig.port.DefaultReply(frame);
            };
        };
    };
    const std::vector<Board> boards = {
        {"writes at close", [&](ProgrammingRig& rig) { rig.port.loader = Loader::WritesAtClose; everySeventhReplyLost(rig); }},
        {"no read in download", [&](ProgrammingRig& rig) { rig.port.readInDownload = ReadInDownload::Silent; everySeventhReplyLost(rig); }},
        {"read refused", [&](ProgrammingRig& rig) { rig.port.readInDownload = ReadInDownload::Refuses; everySeventhReplyLost(rig); }},
        {"worn cell", [&](ProgrammingRig& rig) { rig.port.wornBits[0x08002A01] = 0x80; everySeventhReplyLost(rig); }},
        {"no ID", [&](ProgrammingRig& rig) { rig.port.withoutId = true; everySeventhReplyLost(rig); }},
        {"every write refused", refused(CmdWriteChunk)},
        {"every close refused", refused(devlink::CmdClosePage)},
        {"no ID, every close refused", [&](ProgrammingRig& rig) { rig.port.withoutId = true; refused(devlink::CmdClosePage)(rig); }},
    };
    constexpr int kTicks = 200000;     // about an hour on the bench
    constexpr int kSilenceBound = 20000;
    for (const Board& board : boards) {
        SCOPED_TRACE(board.name);
        ProgrammingRig rig;
        board.fit(rig);
        rig.Arm(16384);
        int lastGrowth = 0;
        qsizetype logLines = 0;
        int tick = 0;
        for (; tick < kTicks && !rig.RunEnded(); ++tick) {
            rig.engine.Tick();
            if (rig.view.log.size() != logLines) {
                logLines = rig.view.log.size();
                lastGrowth = tick;
            }
            ASSERT_LE(tick - lastGrowth, kSilenceBound) << rig.view.log.join('\n').toStdString();
        }
        if (rig.RunEnded())
            EXPECT_EQ(rig.view.log.filter(" Has been successfully burning").size() + rig.view.log.filter(" Burning failed").size(), 1);
    }
}

}  // namespace

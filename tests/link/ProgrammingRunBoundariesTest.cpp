// What a run leaves when it ends: nothing of a stopped, cancelled or closed run reaches
// the next one, and nothing but link polls goes out once the run has been ended.
#include "ProgrammingTestRig.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

using common::Bytes;
using devlink::CmdClosePage;
using devlink::CmdErasePage;
using devlink::CmdLinkQuery;
using testlink::ProgrammingRig;

const QString kBurnt = " Has been successfully burning：1 (chip) /images/app.BIN";

// How the user ends a run, as the window's handlers do it.
enum class Ending { Stop, LoadFile, CloseAndOpen, NodeClickThenStop };

const char* Name(Ending e)
{
    switch (e) {
    case Ending::Stop: return "Stop";
    case Ending::LoadFile: return "LoadFile";
    case Ending::CloseAndOpen: return "CloseAndOpen";
    case Ending::NodeClickThenStop: return "NodeClickThenStop";
    }
    return "";
}

void End(ProgrammingRig& rig, Ending ending)
{
    switch (ending) {
    case Ending::Stop: rig.programmer.CancelRun(true); break;
    case Ending::LoadFile: rig.programmer.CancelRun(false); break;
    case Ending::CloseAndOpen:
        rig.port.open = false;
        rig.programmer.CancelRun(true);
        rig.Ticks(5);
        rig.port.open = true;
        break;
    case Ending::NodeClickThenStop:
        rig.state.Request(devlink::OpLinkCheck);
        rig.Ticks(5);
        rig.programmer.CancelRun(true);
        break;
    }
}

// The reply to the image's first last-page close is lost and the board falls silent
// until the next one is put on, so that the last page is to be written again, 03 first.
void SilenceFromTheLastClose(ProgrammingRig& rig, bool& silent)
{
    rig.port.answer = [&rig, &silent, closes = 0](const Bytes& frame) mutable -> std::optional<Bytes> {
        if (frame[1] == CmdClosePage && frame[2] == devlink::kLastPageFlag && ++closes == 1) silent = true;
        if (silent) return std::nullopt;
        return rig.port.DefaultReply(frame);
    };
}

// Another board, blank, with another ID, on a line that answers again.
void PutANewBoardOn(ProgrammingRig& rig, bool& silent)
{
    silent = false;
    rig.port.chip = testlink::ChipId{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    rig.port.flash.assign(rig.port.flash.size(), 0xFF);
    rig.port.downloadMode = false;
}

bool EnterHeld(const ProgrammingRig& rig)
{
    return rig.state.LinkState == devlink::StEnterWait && rig.link.LinkPhase == devlink::PhaseQuietWait;
}

bool EnterInFlight(const ProgrammingRig& rig)
{
    return rig.state.LinkState == devlink::StEnterWait && rig.link.LinkPhase == devlink::PhaseReceiving;
}

struct EndOfRunCase {
    Ending ending;
    bool enterHeld;  // the 03 still waits for a quiet line, else it is on the line
};

void PrintTo(const EndOfRunCase& c, std::ostream* os) { *os << Name(c.ending) << (c.enterHeld ? " held" : " in flight"); }

class ProgrammingAfterAnEndedRun : public ::testing::TestWithParam<EndOfRunCase> {};

// A 3000-byte run is ended while its last page is to be written again; then a new board
// is put on and the same image, or a longer or shorter one, is burnt.
TEST_P(ProgrammingAfterAnEndedRun, TheNextRunBurnsTheWholeImageFromItsFirstPage)
{
    for (const int length : {3000, 5000, 2000}) {
        SCOPED_TRACE(length);
        ProgrammingRig rig;
        bool silent = false;
        SilenceFromTheLastClose(rig, silent);
        rig.Arm(3000);
        const auto atEnding = [&] { return silent && (GetParam().enterHeld ? EnterHeld(rig) : EnterInFlight(rig)); };
        ASSERT_TRUE(rig.RunUntil(atEnding, 5000));
        End(rig, GetParam().ending);
        rig.Ticks(100);
        PutANewBoardOn(rig, silent);
        const size_t erasesBefore = rig.Sent(CmdErasePage).size();
        rig.Arm(length);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }, 20000));

        const auto erases = rig.Sent(CmdErasePage);
        ASSERT_EQ(erases.size() - erasesBefore, size_t((length + 1023) / 1024));
        EXPECT_EQ(erases[erasesBefore], (testlink::WithCrc({0x01, 0x05, 0x00, 0x00, 0x20, 0x00, 0x08, 0x08})));
        EXPECT_EQ(rig.port.Flash(0x08002000, size_t(length)),
                  Bytes(rig.image.ImageData.begin(), rig.image.ImageData.begin() + length));
        EXPECT_EQ(rig.view.log.count(kBurnt), 1) << rig.view.log.join('\n').toStdString();
        EXPECT_FALSE(rig.view.log.contains(" File open error "));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Endings, ProgrammingAfterAnEndedRun,
    ::testing::Values(EndOfRunCase{Ending::Stop, true}, EndOfRunCase{Ending::Stop, false},
                      EndOfRunCase{Ending::LoadFile, true}, EndOfRunCase{Ending::LoadFile, false},
                      EndOfRunCase{Ending::CloseAndOpen, true}, EndOfRunCase{Ending::CloseAndOpen, false},
                      EndOfRunCase{Ending::NodeClickThenStop, true}, EndOfRunCase{Ending::NodeClickThenStop, false}),
    [](const ::testing::TestParamInfo<EndOfRunCase>& info) {
        return std::string(Name(info.param.ending)) + (info.param.enterHeld ? "_EnterHeld" : "_EnterInFlight");
    });

// Runs a 3000-byte image until the reply to the second erase is lost and the erase
// sent again waits for a quiet line.
bool HoldAnErase(ProgrammingRig& rig)
{
    rig.port.answer = [&rig, erases = 0](const Bytes& frame) mutable -> std::optional<Bytes> {
        if (frame[1] == CmdErasePage && ++erases == 2) return std::nullopt;
        return rig.port.DefaultReply(frame);
    };
    rig.Arm(3000);
    return rig.RunUntil([&] { return rig.link.LinkPhase == devlink::PhaseQuietWait; }, 5000);
}

// A lost erase reply holds the next erase for a quiet line. Whatever ends the run on any
// tick of that wait, nothing but link polls goes out afterwards.
TEST(ProgrammingEndedDuringAQuietWait, SendsNothingButPollsAfterwards)
{
    struct Click {
        const char* name;
        std::function<void(ProgrammingRig&)> act;
    };
    const std::vector<Click> clicks = {
        {"Stop", [](ProgrammingRig& rig) { rig.programmer.CancelRun(true); }},
        {"node click", [](ProgrammingRig& rig) { rig.state.Request(devlink::OpLinkCheck); }},
        {"Load File", [](ProgrammingRig& rig) { rig.programmer.CancelRun(false); }},
        {"Close", [](ProgrammingRig& rig) {
             rig.port.open = false;
             rig.programmer.CancelRun(true);
             rig.Ticks(3);
             rig.port.open = true;
         }},
    };
    for (const Click& click : clicks) {
        for (int tick = 0;; ++tick) {
            SCOPED_TRACE(std::string(click.name) + " on tick " + std::to_string(tick));
            ProgrammingRig rig;
            ASSERT_TRUE(HoldAnErase(rig));
            rig.Ticks(tick);
            if (rig.link.LinkPhase != devlink::PhaseQuietWait) break;  // every tick of the wait was tried
            const size_t sentBefore = rig.port.written.size();
            click.act(rig);
            rig.Ticks(200);
            for (size_t i = sentBefore; i < rig.port.written.size(); ++i)
                ASSERT_EQ(rig.port.written[i][1], CmdLinkQuery) << "frame " << i - sentBefore << " after the click";
            EXPECT_GT(rig.port.written.size(), sentBefore) << "polling goes on";
        }
    }
}

// Stop and Program pressed again before the engine's next tick: the held erase of the
// stopped run never goes out, and the new run starts with its handshake.
TEST(ProgrammingEndedDuringAQuietWait, ArmedAgainAtOnceStartsTheNewRunFromItsHandshake)
{
    ProgrammingRig rig;
    ASSERT_TRUE(HoldAnErase(rig));
    const size_t sentBefore = rig.port.written.size();
    rig.programmer.CancelRun(true);
    rig.programmer.ArmRun();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }, 20000));
    ASSERT_GT(rig.port.written.size(), sentBefore);
    EXPECT_EQ(rig.port.written[sentBefore][1], devlink::CmdHandshake);
    EXPECT_EQ(rig.view.log.count(kBurnt), 1);
    EXPECT_EQ(rig.port.Flash(0x08002000, 3000), Bytes(rig.image.ImageData.begin(), rig.image.ImageData.begin() + 3000));
}

}  // namespace

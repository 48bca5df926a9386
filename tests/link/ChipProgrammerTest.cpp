#include "ProgrammingTestRig.h"

#include <gtest/gtest.h>

namespace {

using common::Bytes;
using devlink::CmdClosePage;
using devlink::CmdEnterDownload;
using devlink::CmdErasePage;
using devlink::CmdHandshake;
using devlink::CmdLinkQuery;
using devlink::CmdWriteChunk;
using testlink::ProgrammingRig;
using testlink::WithCrc;

Bytes Le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes EraseFrame(uint32_t addr, uint8_t page) { return WithCrc(Join({{0x01, 0x05, 0x00}, Le32(addr), {page}})); }

Bytes CloseFrame(uint8_t flag, uint32_t offset, uint8_t page)
{
    return WithCrc(Join({{0x01, 0x09, flag}, Le32(offset), {page}}));
}

Bytes WriteFrame(const ProgrammingRig& rig, uint16_t pagePos, int imageStart, uint16_t length)
{
    Bytes body{0x01, 0x07, 0x00, uint8_t(pagePos), uint8_t(pagePos >> 8), uint8_t(length), uint8_t(length >> 8)};
    body.insert(body.end(), rig.image.ImageData.begin() + imageStart,
                rig.image.ImageData.begin() + imageStart + length);
    return WithCrc(body);
}

Bytes ReadFrame(uint32_t addr, uint16_t length)
{
    return WithCrc(Join({{0x01, 0xF4}, Le32(addr), {uint8_t(length), uint8_t(length >> 8)}}));
}

uint32_t FieldLE32(const Bytes& frame, size_t at)
{
    return frame[at] | frame[at + 1] << 8 | frame[at + 2] << 16 | uint32_t(frame[at + 3]) << 24;
}

// The frames of one run, up to the first link poll that follows it.
std::vector<Bytes> RunFrames(const ProgrammingRig& rig)
{
    std::vector<Bytes> frames;
    for (const auto& f : rig.port.written) {
        if (f[1] == CmdLinkQuery) continue;
        frames.push_back(f);
    }
    return frames;
}

TEST(ChipProgrammer, WholeSingleChipRunOfAThreePageImage)
{
    ProgrammingRig rig;
    rig.Arm(2600);

    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));
    rig.Ticks(20);  // link polling takes over; nothing of the run follows

    const std::vector<Bytes> expected = {
        WithCrc({0x01, 0xF1, 0xA7}),
        WithCrc({0x01, 0x03, 0x00}),
        EraseFrame(0x08002000, 8),
        WriteFrame(rig, 0, 0, 512),
        WriteFrame(rig, 512, 512, 512),
        CloseFrame(0x00, 1024, 9),
        EraseFrame(0x08002400, 9),
        WriteFrame(rig, 0, 1024, 512),
        WriteFrame(rig, 512, 1536, 512),
        CloseFrame(0x00, 2048, 10),
        EraseFrame(0x08002800, 10),
        WriteFrame(rig, 0, 2048, 512),
        WriteFrame(rig, 512, 2560, 40),
        CloseFrame(0xA7, 2600, 11),
    };
    EXPECT_EQ(RunFrames(rig), expected);
    EXPECT_EQ(rig.port.written.back()[1], CmdLinkQuery);

    EXPECT_EQ(rig.view.log, (QStringList{" Downloading the：1 (chip)",
                                         " Has been successfully burning：1 (chip) /images/app.BIN"}));
    EXPECT_EQ(rig.view.command4Caption, "Program");
    EXPECT_EQ(rig.view.command4Focus, 1);
    EXPECT_EQ(rig.state.Requested(), devlink::OpLinkCheck);
    EXPECT_EQ(rig.programmer.ChipCount, 1);
    EXPECT_EQ(rig.programmer.ChipStarted, 1);
    EXPECT_TRUE(rig.view.linkPanel.contains("Link normal-download mode"));
    std::vector<double> bar;
    for (int finished : {512, 1024, 1536, 2048, 2560, 2600}) bar.push_back((8500 - 20) * (finished / 2600.0));
    EXPECT_EQ(rig.view.barWidths, bar);
    EXPECT_EQ(rig.view.infLab, "/images/app.BIN");
}

struct PageCase {
    int imageLen;
    int blockSize;
    std::vector<uint8_t> closePages;
};

TEST(ChipProgrammer, PagesCloseWithTheEndOffsetRoundedHalvesToEven)
{
    const PageCase cases[] = {
        {2048, 512, {9, 10}},
        {4600, 512, {9, 10, 11, 12, 12}},
        {5000, 512, {9, 10, 11, 12, 13}},
        {4608, 512, {9, 10, 11, 12, 12}},
        {5632, 512, {9, 10, 11, 12, 13, 14}},
        {1024, 16, {9}},
        {300, 512, {8}},
        {1000, 1024, {9}},
    };
    for (const PageCase& c : cases) {
        ProgrammingRig rig;
        rig.view.frameLength = QString::number(c.blockSize);
        rig.Arm(c.imageLen);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); })) << c.imageLen;

        std::vector<uint8_t> pages;
        for (const auto& f : rig.Sent(CmdClosePage)) pages.push_back(f[7]);
        EXPECT_EQ(pages, c.closePages) << c.imageLen;
        const Bytes last = rig.Sent(CmdClosePage).back();
        EXPECT_EQ(last[2], 0xA7) << c.imageLen;
        EXPECT_EQ(FieldLE32(last, 3), uint32_t(c.imageLen));
        int written = 0;
        for (const auto& f : rig.Sent(CmdWriteChunk)) {
            EXPECT_LE(f.size() - 9, size_t(c.blockSize));
            written += int(f.size()) - 9;
        }
        EXPECT_EQ(written, c.imageLen) << "every byte sent once";
    }
}

TEST(ChipProgrammer, ImagesBeyond32767BytesReachTheLastPageTheByteCanName)
{
    ProgrammingRig rig;
    rig.view.frameLength = "1024";
    rig.Arm((255 - 8) * 1024 + 511);

    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }, 1000000));

    const auto erases = rig.Sent(CmdErasePage);
    ASSERT_EQ(erases.size(), 248u);
    EXPECT_EQ(erases.back(), EraseFrame(0x08002000 + 247 * 1024, 255));
    EXPECT_EQ(rig.Sent(CmdClosePage).back(), CloseFrame(0xA7, 247 * 1024 + 511, 255));
    EXPECT_EQ(rig.Sent(CmdWriteChunk).back(), WriteFrame(rig, 0, 247 * 1024, 511));
}

TEST(ChipProgrammer, KeepInFSkipsTheTwoSettingPages)
{
    ProgrammingRig rig;
    rig.view.keepInF = true;
    rig.Arm(6000);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));

    std::vector<uint8_t> erasedPages;
    for (const auto& f : rig.Sent(CmdErasePage)) {
        erasedPages.push_back(f[7]);
        EXPECT_EQ(FieldLE32(f, 3), 0x08002000u + (f[7] - 8) * 1024);
    }
    EXPECT_EQ(erasedPages, (std::vector<uint8_t>{8, 9, 12, 13}));
    int written = 0;
    for (const auto& f : rig.Sent(CmdWriteChunk)) written += int(f.size()) - 9;
    EXPECT_EQ(written, 6000 - 2048);
    const auto& bar = rig.view.barWidths;
    const auto at2048 = std::find(bar.begin(), bar.end(), 8480 * (2048 / 6000.0));
    ASSERT_NE(at2048, bar.end());
    EXPECT_EQ(*(at2048 + 1), 8480 * ((4096 + 512) / 6000.0)) << "the bar jumps over the kept pages";
}

TEST(ChipProgrammer, KeepInFWithAnImageEndingInTheKeptAreaEndsAtTheImageEnd)
{
    for (int length : {2048, 2049, 3000, 4095, 4096}) {
        ProgrammingRig rig;
        rig.view.keepInF = true;
        rig.Arm(length);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); })) << length;

        EXPECT_EQ(rig.Sent(CmdErasePage).size(), 2u) << length;
        const auto closes = rig.Sent(CmdClosePage);
        ASSERT_EQ(closes.size(), 2u) << length;
        EXPECT_EQ(closes.back(), CloseFrame(0xA7, 2048, 10)) << length;
        for (const auto& f : rig.Sent(CmdWriteChunk)) EXPECT_EQ(f.size(), 512u + 9) << length;
        EXPECT_EQ(rig.view.log.last(), " Has been successfully burning：1 (chip) /images/app.BIN");
        EXPECT_EQ(rig.view.barWidths.back(), 8480) << length << ": the skipped pages count as finished";
    }
}

// "KeepInF" is read once at each close, for the close's last-page flag and the erase
// after it: ticked while the close before offset 2048 is in flight, it changes nothing
// until the next close, and the run ends only after a close with the flag.
TEST(ChipProgrammer, KeepInFTickedDuringTheCloseBeforeTheKeptAreaTakesEffectAtTheNextClose)
{
    ProgrammingRig rig;
    rig.port.answer = [&](const Bytes& frame) -> std::optional<Bytes> {
        if (frame[1] == CmdClosePage && frame[3] == 0x00 && frame[4] == 0x08) rig.view.keepInF = true;
        return rig.port.DefaultReply(frame);
    };
    rig.Arm(3000);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));
    EXPECT_EQ(rig.Sent(CmdErasePage).size(), 3u);
    EXPECT_EQ(rig.Sent(CmdClosePage).back(), CloseFrame(0xA7, 3000, 11));
    EXPECT_EQ(rig.port.Flash(0x08002000, 3000), Bytes(rig.image.ImageData.begin(), rig.image.ImageData.end() - 1));
    EXPECT_EQ(rig.programmer.ChipCount, 1);
}

TEST(ChipProgrammer, AutoLoadWaitsForAnotherChipThenForFiveSilentHandshakes)
{
    ProgrammingRig rig;
    rig.view.autoLoad = true;
    rig.Arm(1024);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.programmer.ChipCount == 1; }));
    rig.Ticks(200);  // the same chip stays on the line
    EXPECT_EQ(rig.Sent(CmdEnterDownload).size(), 1u);
    EXPECT_EQ(rig.view.log.mid(1), (QStringList{" Has been successfully burning：1 (chip) /images/app.BIN",
                                                " Connecting the next chip..."}));
    EXPECT_EQ(rig.state.ProgRun, 1);
    EXPECT_EQ(rig.view.command4Caption, "Stop");

    rig.port.chip = testlink::ChipId{9, 9, 9};
    ASSERT_TRUE(rig.RunUntil([&] { return rig.programmer.ChipCount == 2; }));
    EXPECT_TRUE(rig.view.log.contains(" Downloading the：2 (chip)"));

    // Taken away: right after a chip is done FailCount is 1, so four time-outs clear it.
    rig.port.chip.reset();
    const size_t handshakesBefore = rig.Sent(CmdHandshake).size();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.programmer.ChipStarted == 0; }));
    EXPECT_EQ(rig.Sent(CmdHandshake).size() - handshakesBefore, 4u);
    EXPECT_EQ(rig.programmer.LastChipID, testlink::ChipId{});
    EXPECT_FALSE(rig.view.persLabVisible);

    rig.port.chip = testlink::ChipId{9, 9, 9};  // the same chip put back
    ASSERT_TRUE(rig.RunUntil([&] { return rig.programmer.ChipCount == 3; }));
    EXPECT_TRUE(rig.view.log.contains(" Downloading the：3 (chip)"));
}

TEST(ChipProgrammer, FiveHandshakeTimeoutsInARowClearTheChip)
{
    ProgrammingRig rig;
    rig.port.chip.reset();
    rig.Arm(1024);
    rig.programmer.ChipStarted = 1;
    ASSERT_TRUE(rig.RunUntil([&] { return rig.programmer.ChipStarted == 0; }));
    EXPECT_EQ(rig.Sent(CmdHandshake).size(), 5u);
    EXPECT_EQ(rig.state.FailCount, 0);

    // Other link errors (here a bad CRC) reset the count without clearing anything.
    ProgrammingRig noisy;
    int replies = 0;
    noisy.port.answer = [&](const Bytes& frame) -> std::optional<Bytes> {
        if (++replies % 3 == 0) return Bytes{0x01, frame[1], 0x00, 0x00};
        return std::nullopt;
    };
    noisy.Arm(1024);
    noisy.programmer.ChipStarted = 1;
    noisy.Ticks(2000);
    EXPECT_EQ(noisy.programmer.ChipStarted, 1);
    EXPECT_EQ(noisy.Sent(CmdEnterDownload).size(), 0u);
}

TEST(ChipProgrammer, HandshakeRepliesThatCarryNoUsableId)
{
    // An all-zero ID equals the cleared LastChipID: the query repeats without programming.
    ProgrammingRig zero;
    zero.port.chip = testlink::ChipId{};
    zero.Arm(1024);
    zero.Ticks(300);
    EXPECT_EQ(zero.Sent(CmdEnterDownload).size(), 0u);
    EXPECT_GT(zero.Sent(CmdHandshake).size(), 20u);

    // A non-zero status in a reply of any length but 17 is not taken as an ID, nor as a
    // reply without one.
    for (const size_t length : {5, 15, 18}) {
        SCOPED_TRACE(length);
        ProgrammingRig wrongLength;
        wrongLength.port.answer = [&](const Bytes& frame) -> std::optional<Bytes> {
            const std::optional<Bytes> reply = wrongLength.port.DefaultReply(frame);
            if (frame[1] == CmdHandshake) return testlink::Resized(*reply, length);
            return reply;
        };
        wrongLength.view.autoLoad = true;
        wrongLength.Arm(1024);
        wrongLength.Ticks(600);
        EXPECT_EQ(wrongLength.Sent(CmdEnterDownload).size(), 0u);
        EXPECT_EQ(wrongLength.programmer.ChipID, testlink::ChipId{});
        EXPECT_EQ(wrongLength.programmer.NoIdCount, 0);
    }
}

TEST(ChipProgrammer, ASixthReplyWithoutIdStartsADownloadOnlyOnce)
{
    ProgrammingRig rig;
    rig.view.autoLoad = true;
    rig.port.answer = [&](const Bytes& frame) -> std::optional<Bytes> {
        if (frame[1] == CmdHandshake) return WithCrc({0x01, CmdHandshake, 0x00});
        return rig.port.DefaultReply(frame);
    };
    rig.Arm(1024);
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.Sent(CmdEnterDownload).empty(); }));
    EXPECT_EQ(rig.Sent(CmdHandshake).size(), 6u);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.programmer.ChipCount == 1; }));
    rig.Ticks(500);
    EXPECT_EQ(rig.Sent(CmdEnterDownload).size(), 1u) << "ChipStarted keeps it from a second download";
}

TEST(ChipProgrammer, FailedWritesRepeatTheChunkAndRefusedWritesRestartThePage)
{
    ProgrammingRig rig;
    int writes = 0;
    rig.port.answer = [&](const Bytes& frame) -> std::optional<Bytes> {
        if (frame[1] == CmdWriteChunk) {
            ++writes;
            if (writes == 2) return std::nullopt;                          // no reply
            if (writes == 3) return WithCrc({0x01, CmdWriteChunk, 0x01});  // refused
        }
        return rig.port.DefaultReply(frame);
    };
    rig.Arm(1024);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));

    const auto frames = RunFrames(rig);
    const std::vector<Bytes> expected = {
        WithCrc({0x01, 0xF1, 0xA7}),  WithCrc({0x01, 0x03, 0x00}),   EraseFrame(0x08002000, 8),
        WriteFrame(rig, 0, 0, 512),   WriteFrame(rig, 512, 512, 512), WriteFrame(rig, 512, 512, 512),
        // Refused: the page is written again from its erase; this writing goes well and,
        // the page being suspect, is read back after its close.
        EraseFrame(0x08002000, 8),    WriteFrame(rig, 0, 0, 512),
        WriteFrame(rig, 512, 512, 512), CloseFrame(0xA7, 1024, 9),
        ReadFrame(0x08002000, 512),   ReadFrame(0x08002200, 512),
    };
    EXPECT_EQ(frames, expected);
}

// Faults that no reply reveals: a write carried out whose reply was lost, and a lost write
// whose resend is lost on the line too but answered (as a late reply to the first would
// be). Each such page is read back once its close is answered; a difference writes it
// again from its erase, and that writing is read back too. A read-back without reply is
// sent again. A close without reply cannot tell whether the board carried it out: the
// page is written again, and read back after that writing's close.
TEST(ChipProgrammer, APageWithAFailedExchangeIsCheckedAfterItsClose)
{
    struct Case {
        const char* name;
        std::function<bool(int write)> silent;  // the n-th 07 (from 1) gets no reply
        std::function<bool(int write)> lost;    // the n-th 07 is never carried out
        std::function<bool(int read)> readSilent;
        std::function<bool(int close)> closeSilent;
        size_t erases, reads, closes;
    };
    const auto never = [](int) { return false; };
    const std::vector<Case> cases = {
        {"reply lost, write carried out", [](int n) { return n == 2; }, never, never, never, 2, 2, 2},
        {"write and resend lost, the resend answered", [](int n) { return n == 2; },
         [](int n) { return n == 2 || n == 3; }, never, never, 3, 4, 3},
        {"a read-back without reply is sent again", [](int n) { return n == 1; }, never,
         [](int n) { return n == 1; }, never, 2, 3, 2},
        {"a close without reply writes the page again", never, never, never, [](int n) { return n == 1; }, 3, 2,
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgrammingRig rig;
        int writes = 0, reads = 0, closes = 0;
        rig.port.lost = [&](const Bytes& frame) { return frame[1] == CmdWriteChunk && c.lost(writes + 1); };
        rig.port.answer = [&](const Bytes& frame) -> std::optional<Bytes> {
            if (frame[1] == CmdWriteChunk && c.silent(++writes)) return std::nullopt;
            if (frame[1] == devlink::CmdReadMemory && c.readSilent(++reads)) return std::nullopt;
            if (frame[1] == CmdClosePage && c.closeSilent(++closes)) return std::nullopt;
            return rig.port.DefaultReply(frame);
        };
        rig.Arm(2048);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));
        EXPECT_TRUE(rig.view.log.contains(" Has been successfully burning：1 (chip) /images/app.BIN"));
        EXPECT_EQ(rig.port.Flash(0x08002000, 2048), Bytes(rig.image.ImageData.begin(), rig.image.ImageData.end() - 1));
        EXPECT_EQ(rig.Sent(CmdErasePage).size(), c.erases);
        EXPECT_EQ(rig.Sent(devlink::CmdReadMemory).size(), c.reads);
        EXPECT_EQ(rig.Sent(CmdClosePage).size(), c.closes);
        // Only the page with the fault is read back, after its close, in reads of the
        // frame length.
        const std::vector<Bytes> frames = RunFrames(rig);
        for (size_t i = 0; i < frames.size(); ++i) {
            if (frames[i][1] != devlink::CmdReadMemory) continue;
            EXPECT_LT(FieldLE32(frames[i], 2), 0x08002400u);
            EXPECT_EQ(frames[i][6] | frames[i][7] << 8, 512);
            EXPECT_TRUE(frames[i - 1][1] == CmdClosePage || frames[i - 1][1] == devlink::CmdReadMemory);
        }
    }
}

TEST(ChipProgrammer, TheHandshakeRestartsAfterElevenOrTenFailedDownloadSteps)
{
    struct Case {
        uint8_t refused;
        size_t repeats;
    };
    for (const Case c : {Case{CmdEnterDownload, 11}, Case{CmdErasePage, 10}}) {
        ProgrammingRig rig;
        rig.port.answer = [&](const Bytes& frame) -> std::optional<Bytes> {
            if (frame[1] == c.refused) return WithCrc({0x01, c.refused, 0x05});
            return rig.port.DefaultReply(frame);
        };
        rig.Arm(1024);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.Sent(CmdHandshake).size() == 2; }));
        EXPECT_EQ(rig.Sent(c.refused).size(), c.repeats) << int(c.refused);
        EXPECT_EQ(rig.state.FailCount, 0);
    }
}

TEST(ChipProgrammer, UnusableFrameLengthsAreRefusedBeforeAnythingIsSent)
{
    for (const QString text : {"0", "-512", "300", "2048", "1025", "512.5", "abc", ""}) {
        ProgrammingRig rig;
        rig.view.frameLength = text;
        rig.Arm(2600);
        rig.Ticks(50);
        EXPECT_TRUE(rig.RunEnded()) << text.toStdString();
        EXPECT_EQ(rig.Sent(CmdHandshake).size() + rig.Sent(CmdWriteChunk).size(), 0u) << text.toStdString();
        EXPECT_EQ(rig.view.log, QStringList{" Frame length error"});
        EXPECT_EQ(rig.view.command4Caption, "Program");
    }
}

TEST(ChipProgrammer, AFrameLengthTypedDuringARunIsTakenOnlyWhenUsable)
{
    for (const auto& [typed, expectedLength] : {std::pair{"300", 512}, std::pair{"256", 256}}) {
        ProgrammingRig rig;
        rig.Arm(1024);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.state.LinkState == devlink::StHandshakeWait; }));
        rig.view.frameLength = typed;
        ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));
        for (const auto& f : rig.Sent(CmdWriteChunk)) EXPECT_EQ(int(f.size()) - 9, expectedLength) << typed;
    }
}

TEST(ChipProgrammer, AnImageThatDoesNotHoldItsLengthIsNeverRead)
{
    ProgrammingRig rig;
    rig.Arm(2000);
    rig.image.ImageData.resize(1000);  // ImageLen from a later Load File, say
    rig.Ticks(50);
    EXPECT_TRUE(rig.RunEnded());
    EXPECT_EQ(rig.view.log, QStringList{" File open error "});
    EXPECT_TRUE(rig.Sent(CmdHandshake).empty());
}

TEST(ChipProgrammer, ChipIdChangedComparesAllTwelveBytes)
{
    ProgrammingRig rig;
    EXPECT_FALSE(rig.programmer.ChipIdChanged());
    rig.programmer.ChipID[11] = 1;
    EXPECT_TRUE(rig.programmer.ChipIdChanged());
    rig.programmer.LastChipID[11] = 1;
    EXPECT_FALSE(rig.programmer.ChipIdChanged());
}

}  // namespace

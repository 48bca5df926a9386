// Healthy boards on a line that loses some of their replies at random: every request is
// carried out, so every board can be burnt. The page check must judge the boards' flash,
// not the line: lost replies cost resends and read-backs, never a board given up
// wrongly, and never a success line over a flash that differs from the image.
#include "ProgrammingTestRig.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <ostream>
#include <random>

namespace {

using common::Bytes;
using testlink::ProgrammingRig;
using ReadInDownload = testlink::ControllerPort::ReadInDownload;

constexpr int kBoards = 20;
constexpr int kImageLen = 16384;

struct LossyLine {
    ReadInDownload read;
    int frameLength;
    double replyLoss;
    bool allBurnt;  // what a sound page check must achieve here
};

std::string Name(const LossyLine& line)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s_Frame%d_Loss%dPercent",
                  line.read == ReadInDownload::Answers ? "ReadsBack" : "NoReadInDownload", line.frameLength,
                  int(line.replyLoss * 100 + 0.5));
    return text;
}

void PrintTo(const LossyLine& line, std::ostream* os) { *os << Name(line); }

enum class Outcome { Burnt, GivenUp };

// One board, one run: the outcome, and whether the flash holds the image.
Outcome BurnOneBoard(const LossyLine& line, unsigned seed, bool& flashRight)
{
    ProgrammingRig rig;
    rig.port.readInDownload = line.read;
    rig.view.frameLength = QString::number(line.frameLength);
    std::mt19937 random(seed);
    std::bernoulli_distribution lost(line.replyLoss);
    rig.port.answer = [&](const Bytes& frame) -> std::optional<Bytes> {
        if (lost(random)) return std::nullopt;
        return rig.port.DefaultReply(frame);
    };
    rig.Arm(kImageLen);
    const bool ended = rig.RunUntil([&] { return rig.RunEnded(); }, 2000000);
    EXPECT_TRUE(ended) << "seed " << seed;
    flashRight = rig.port.Flash(0x08002000, kImageLen) ==
                 Bytes(rig.image.ImageData.begin(), rig.image.ImageData.begin() + kImageLen);
    const bool burnt = rig.view.log.filter(" Has been successfully burning").size() == 1;
    const bool failed = rig.view.log.filter(" Burning failed").size() == 1;
    EXPECT_NE(burnt, failed) << "seed " << seed << ": " << rig.view.log.join('\n').toStdString();
    return burnt ? Outcome::Burnt : Outcome::GivenUp;
}

class ProgrammingOnALossyLine : public ::testing::TestWithParam<LossyLine> {};

TEST_P(ProgrammingOnALossyLine, BurnsHealthyBoardsAndNeverClaimsAWrongFlash)
{
    const LossyLine& line = GetParam();
    int burnt = 0;
    for (int board = 1; board <= kBoards; ++board) {
        bool flashRight = false;
        if (BurnOneBoard(line, unsigned(board), flashRight) == Outcome::Burnt) {
            ++burnt;
            EXPECT_TRUE(flashRight) << "success over a wrong flash, seed " << board;
        }
    }
    std::printf("%s: %d of %d burnt, %d given up\n", Name(line).c_str(), burnt, kBoards, kBoards - burnt);
    RecordProperty("burnt", burnt);
    if (line.allBurnt) EXPECT_EQ(burnt, kBoards);
}

std::vector<LossyLine> Lines()
{
    std::vector<LossyLine> lines;
    for (const ReadInDownload read : {ReadInDownload::Answers, ReadInDownload::Silent})
        for (const int frame : {16, 64, 512})
            for (const double loss : {0.01, 0.03})
                lines.push_back({read, frame, loss, loss < 0.02 || read == ReadInDownload::Answers});
    return lines;
}

INSTANTIATE_TEST_SUITE_P(Lines, ProgrammingOnALossyLine, ::testing::ValuesIn(Lines()),
                         [](const ::testing::TestParamInfo<LossyLine>& info) { return Name(info.param); });

}  // namespace

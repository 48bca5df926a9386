#include "FakeSerialPort.h"
#include "link/Commands.h"

#include <gtest/gtest.h>

using namespace devlink;

namespace {

// Whole request frames as they go out on the line.
common::Bytes Frame(const common::Bytes& body)
{
    testlink::FakeSerialPort port;
    LinkExchange link(port);
    link.SendFrame(body, kLinkQueryLimits);
    return port.written.at(0);
}

TEST(Commands, KnownFramesOfTheCommandTable)
{
    EXPECT_EQ(Frame(LinkQueryBody()), (common::Bytes{0x01, 0xF0, 0x00, 0x00, 0x64}));
    EXPECT_EQ(Frame(HandshakeBody()), (common::Bytes{0x01, 0xF1, 0xA7, 0x2A, 0x24}));
    EXPECT_EQ(Frame(EraseSettingsBody()), (common::Bytes{0x01, 0xFE, 0x44, 0x33, 0x22, 0x11, 0x4D, 0x14}));
}

TEST(Commands, PayloadFieldsAreLittleEndian)
{
    EXPECT_EQ(ErasePageBody(0x08002400, 9), (common::Bytes{0x01, 0x05, 0x00, 0x00, 0x24, 0x00, 0x08, 0x09}));
    EXPECT_EQ(ClosePageBody(true, 2048, 10), (common::Bytes{0x01, 0x09, 0xA7, 0x00, 0x08, 0x00, 0x00, 0x0A}));
    EXPECT_EQ(ClosePageBody(false, 1024, 9)[2], 0x00);
    EXPECT_EQ(ReadMemoryBody(0x08002800, 0x0150), (common::Bytes{0x01, 0xF4, 0x00, 0x28, 0x00, 0x08, 0x50, 0x01}));
    const uint8_t chunk[] = {0xAA, 0xBB, 0xCC};
    EXPECT_EQ(WriteChunkBody(0x0200, chunk),
              (common::Bytes{0x01, 0x07, 0x00, 0x00, 0x02, 0x03, 0x00, 0xAA, 0xBB, 0xCC}));
    const uint8_t settings[] = {0x11, 0x22};
    EXPECT_EQ(WriteSettingsBody(kSaveSettingsFlag, settings),
              (common::Bytes{0x01, 0xF5, 0x10, 0x01, 0x00, 0x20, 0x02, 0x00, 0xAA, 0x11, 0x22}));
    EXPECT_EQ(QueryDisplayBody(), (common::Bytes{0x01, 0xFF, 0x00}));
    EXPECT_EQ(EnterDownloadBody(), (common::Bytes{0x01, 0x03, 0x00}));
}

TEST(Commands, FrameLengthsAndSettingLimits)
{
    const common::Bytes chunk(512, 0x5A);
    EXPECT_EQ(Frame(WriteChunkBody(0, chunk)).size(), 521u);
    EXPECT_EQ(Frame(ErasePageBody(kFlashBase, 8)).size(), 10u);
    EXPECT_EQ(Frame(ClosePageBody(false, 0, 8)).size(), 10u);
    EXPECT_EQ(Frame(ReadMemoryBody(kImageInfoAddr, 50)).size(), 10u);
    EXPECT_EQ(Frame(WriteSettingsBody(kUpdateSettingsFlag, common::Bytes(100, 0))).size(), 111u);
    EXPECT_EQ(WriteSettingsLimits(kUpdateSettingsFlag).reply, 100);
    EXPECT_EQ(WriteSettingsLimits(kSaveSettingsFlag).reply, 200);
    EXPECT_EQ(WriteSettingsLimits(kSaveSettingsFlag).send, 500);
}

}  // namespace

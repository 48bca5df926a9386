#include "params/SettingsBlock.h"

#include <gtest/gtest.h>

using params::CheckBlockCrc;
using params::ProtoInfoRecord;
using params::StampBlockCrc;

namespace {

ProtoInfoRecord InfoWithDataLen(int dataLen)
{
    ProtoInfoRecord info;
    info.DataLen = static_cast<int16_t>(dataLen);
    return info;
}

// The digits 1..9 as payload behind a header whose length field says 9; one spare byte.
common::Bytes DigitsBlock()
{
    common::Bytes block(42, 0);
    block[20] = 9;
    for (int i = 0; i < 9; ++i) block[32 + i] = static_cast<uint8_t>('1' + i);
    return block;
}

}  // namespace

TEST(SettingsBlock, StampWritesHighByteFirstAndClearsSpareThenCheckPasses)
{
    common::Bytes block = DigitsBlock();
    for (int i = 0; i < 20; ++i) block[i] = static_cast<uint8_t>(0xA0 + i);
    block[30] = 0x55;
    block[31] = 0x66;
    block[41] = 0x77;
    common::Bytes expected = block;
    expected[28] = 0x4B;
    expected[29] = 0x37;
    expected[30] = 0;
    expected[31] = 0;

    EXPECT_EQ(StampBlockCrc(block, InfoWithDataLen(41)), 0);
    EXPECT_EQ(block, expected);
    EXPECT_EQ(CheckBlockCrc(block, InfoWithDataLen(41)), 0);
}

TEST(SettingsBlock, CheckIgnoresUncoveredBytesAndRejectsSwappedCrc)
{
    common::Bytes block = DigitsBlock();
    ASSERT_EQ(StampBlockCrc(block, InfoWithDataLen(41)), 0);
    block[0] = 0x11;
    block[19] = 0x22;
    block[24] = 0x33;
    block[27] = 0x44;
    block[30] = 0x99;
    block[31] = 0x98;
    block[41] = 0xEE;
    EXPECT_EQ(CheckBlockCrc(block, InfoWithDataLen(41)), 0);

    std::swap(block[28], block[29]);
    EXPECT_EQ(CheckBlockCrc(block, InfoWithDataLen(41)), 1);
    std::swap(block[28], block[29]);
    block[40] ^= 1;
    EXPECT_EQ(CheckBlockCrc(block, InfoWithDataLen(41)), 1);
}

TEST(SettingsBlock, WrongLengthFieldFailsBothAndStampWritesNothing)
{
    struct Case {
        const char* what;
        int dataLen;
        int lengthByte22;
        int lengthLow;
    };
    const Case cases[] = {
        {"high word not zero", 41, 1, 9},
        {"length one short", 41, 0, 8},
        {"all zero length", 41, 0, 0},
        {"DataLen of 32", 32, 0, 0},
        {"DataLen below header", 20, 0, 0},
    };
    for (const Case& c : cases) {
        common::Bytes block = DigitsBlock();
        block[20] = static_cast<uint8_t>(c.lengthLow);
        block[22] = static_cast<uint8_t>(c.lengthByte22);
        block[30] = 0x12;
        const common::Bytes before = block;
        EXPECT_EQ(StampBlockCrc(block, InfoWithDataLen(c.dataLen)), 1) << c.what;
        EXPECT_EQ(block, before) << c.what;
        EXPECT_EQ(CheckBlockCrc(block, InfoWithDataLen(c.dataLen)), 1) << c.what;
    }
}

TEST(SettingsBlock, SingleBytePayloadAndAllZeroBlock)
{
    common::Bytes block(34, 0);
    EXPECT_EQ(CheckBlockCrc(block, InfoWithDataLen(33)), 1);
    EXPECT_EQ(StampBlockCrc(block, InfoWithDataLen(33)), 1);
    EXPECT_EQ(block, common::Bytes(34, 0));

    block[20] = 1;
    block[32] = 0x5A;
    EXPECT_EQ(StampBlockCrc(block, InfoWithDataLen(33)), 0);
    EXPECT_EQ(CheckBlockCrc(block, InfoWithDataLen(33)), 0);
}

TEST(SettingsBlock, BlockShorterThanDataLenFailsWithoutReadingPastIt)
{
    common::Bytes block = DigitsBlock();
    ASSERT_EQ(StampBlockCrc(block, InfoWithDataLen(41)), 0);
    block.resize(40);
    const common::Bytes before = block;
    EXPECT_EQ(CheckBlockCrc(block, InfoWithDataLen(41)), 1);
    EXPECT_EQ(StampBlockCrc(block, InfoWithDataLen(41)), 1);
    EXPECT_EQ(block, before);
    common::Bytes tiny(10, 0);
    EXPECT_EQ(CheckBlockCrc(tiny, InfoWithDataLen(41)), 1);
    EXPECT_EQ(StampBlockCrc(tiny, InfoWithDataLen(41)), 1);
}

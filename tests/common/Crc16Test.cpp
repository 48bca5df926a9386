#include "common/Crc16.h"

#include <gtest/gtest.h>
#include <string>

using common::Crc16;

TEST(Crc16, GivesTheModbusCheckValueHighByteInCRCLo)
{
    const std::string digits = "123456789";
    auto r = Crc16(reinterpret_cast<const uint8_t*>(digits.data()), digits.size(), 0, digits.size());
    EXPECT_EQ(r.CRCLo, 0x4B);
    EXPECT_EQ(r.CRCHi, 0x37);
}

TEST(Crc16, KnownFramesAndEmptyRange)
{
    const uint8_t f0[] = {0x01, 0xF0, 0x00};
    auto r = Crc16(f0, 3, 0, 3);
    EXPECT_EQ(r.Value(), 0x0064);
    const uint8_t fe[] = {0x01, 0xFE, 0x44, 0x33, 0x22, 0x11};
    EXPECT_EQ(Crc16(fe, 6, 0, 6).Value(), 0x4D14);
    auto empty = Crc16(f0, 3, 1, 0);
    EXPECT_EQ(empty.CRCLo, 0xFF);
    EXPECT_EQ(empty.CRCHi, 0xFF);
    // A count reaching past the buffer stops at its end.
    EXPECT_EQ(Crc16(f0, 3, 0, 100).Value(), 0x0064);
}

#include "common/Numbers.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace common;

TEST(ReadNumber, ReadsTheLeadingNumberIgnoringBlanks)
{
    struct Case { const char* text; double expected; };
    const Case cases[] = {
        {"12", 12}, {"  -3.5xyz", -3.5}, {"1 2\t3\n4", 1234}, {"+.5", 0.5},
        {"1.5E2", 150}, {"2e-1abc", 0.2}, {"7e", 7}, {"abc", 0}, {"", 0},
        {"&H21", 33}, {"&hff", 255}, {"&H10000", 65536}, {"&O17", 15},
        {"12abc", 12}, {"1.2.3", 1.2}, {"- 4", -4}, {".", 0},
        // Hexadecimal and octal texts are unsigned up to 31 bits; a value filling 32 bits
        // is the bit pattern of a negative Long.
        {"&HFFFF", 65535}, {"&HFF00", 65280}, {"&H8000", 32768}, {"&H7FFFFFFF", 2147483647},
        {"&H80000000", -2147483648.0}, {"&H8000000F", -2147483633.0}, {"&HFFFFFFFF", -1},
        {"&H100000000", 4294967296.0}, {"&O177777", 65535}, {"&O17777777777", 2147483647},
        {"&O37777777777", -1}, {"&H 1 f", 31},
        // Only E starts an exponent, and only ASCII digits count.
        {"3d1", 3}, {"1e2", 100}, {"1E+2", 100}, {"1e400", HUGE_VAL}, {"&H2１", 2}, {"2１", 2}, {"&O78", 7}, {"&HG", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(ReadNumber(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(IsNumeric, AcceptsOnlyWholeNumbers)
{
    for (const char* yes : {"12", " 12 ", "-1.5", "1e3", "&H1F", ".5", "+3"})
        EXPECT_TRUE(IsNumeric(QString::fromUtf8(yes))) << yes;
    for (const char* no : {"", "  ", "12abc", "1,5", "-", "&H", "1 2", "abc", "1e", "1d1", "&H2１", "１"})
        EXPECT_FALSE(IsNumeric(QString::fromUtf8(no))) << no;
}

TEST(StoringNumbers, RoundsHalvesToEvenAndRefusesOutOfRange)
{
    EXPECT_EQ(ToInteger(2.5), 2);
    EXPECT_EQ(ToInteger(3.5), 4);
    EXPECT_EQ(ToInteger(-2.5), -2);
    EXPECT_EQ(ToInteger(32767.4), 32767);
    EXPECT_FALSE(ToInteger(32767.5).has_value());
    EXPECT_EQ(ToInteger(-32768), -32768);
    EXPECT_EQ(ToByte(255.4), 255);
    EXPECT_EQ(ToByte(0.5), 0);
    EXPECT_FALSE(ToByte(-0.6).has_value());
    EXPECT_FALSE(ToByte(256).has_value());
    EXPECT_EQ(ToLong(2147483647.0), 2147483647);
    EXPECT_FALSE(ToLong(2147483648.0).has_value());
    EXPECT_FALSE(ToLong(std::nan("")).has_value());
}

TEST(FormatFixed, RoundsHalvesAwayFromZero)
{
    struct Case { double value; int decimals; const char* expected; };
    const Case cases[] = {
        {12.346, 0, "12"}, {12.346, 1, "12.3"}, {12.346, 2, "12.35"}, {12.346, 3, "12.346"},
        {12.346, 4, "12.3460"}, {12.346, 5, "12.34600"}, {2.5, 0, "3"}, {-2.5, 0, "-3"},
        {0.5, 0, "1"}, {0.05, 1, "0.1"}, {-0.04, 1, "0.0"}, {9.995, 2, "10.00"},
        {0, 2, "0.00"}, {0.001, 0, "0"}, {123456789, 0, "123456789"}, {2.675, 2, "2.68"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.decimals), QString::fromUtf8(c.expected)) << c.value << " " << c.decimals;
    // A single carries binary noise that the significant-digit step removes.
    EXPECT_EQ(FormatFixed(static_cast<double>(12.345f), 2, 7), "12.35");
}

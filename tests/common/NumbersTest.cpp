#include "common/Numbers.h"

#include <gtest/gtest.h>

using namespace common;

TEST(ReadNumber, ReadsTheLeadingNumberIgnoringBlanks)
{
    struct Case { const char* text; double expected; };
    const Case cases[] = {
        {"12", 12}, {"  -3.5xyz", -3.5}, {"1 2\t3\n4", 1234}, {"+.5", 0.5},
        {"1.5E2", 150}, {"2e-1abc", 0.2}, {"7e", 7}, {"abc", 0}, {"", 0},
        {"&H21", 33}, {"&hff", 255}, {"&HFFFF", -1}, {"&H10000", 65536}, {"&O17", 15},
        {"12abc", 12}, {"1.2.3", 1.2}, {"- 4", -4}, {".", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(ReadNumber(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(IsNumeric, AcceptsOnlyWholeNumbers)
{
    for (const char* yes : {"12", " 12 ", "-1.5", "1e3", "&H1F", ".5", "+3"})
        EXPECT_TRUE(IsNumeric(QString::fromUtf8(yes))) << yes;
    for (const char* no : {"", "  ", "12abc", "1,5", "-", "&H", "1 2", "abc", "1e"})
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

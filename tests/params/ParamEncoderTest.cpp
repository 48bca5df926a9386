#include "params/ParamEncoder.h"

#include "RowRecords.h"
#include "common/LittleEndian.h"
#include "support/ScriptedDialogs.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using paramtest::MakeRow;
using paramtest::RowFields;
using params::EncodeSetting;

namespace {

struct Encode : ::testing::Test {
    common::Bytes data = common::Bytes(65, 0);
    testsupport::ScriptedDialogs dialogs;

    // Encodes into row 1 (fields) and gives the result; data holds the bytes afterwards.
    int Run(const RowFields& fields, const QString& text)
    {
        const std::vector<params::ProtoRowRecord> table{MakeRow({.offset = 0}), MakeRow(fields),
                                                        params::NewProtoRow()};
        return EncodeSetting(text, data, table, 1, dialogs);
    }

    template <typename T>
    T At(int offset) const
    {
        return *common::ReadLE<T>(data, offset - 1);
    }
};

}  // namespace

TEST_F(Encode, TypedNumbersRoundHalvesToEvenAndIgnoreTheDivisor)
{
    Run({}, "12.5");
    EXPECT_EQ(At<uint8_t>(33), 12);
    Run({}, "13.5");
    EXPECT_EQ(At<uint8_t>(33), 14);
    Run({.byteSize = 2}, "1000");
    EXPECT_EQ(data[32], 0xE8);
    EXPECT_EQ(data[33], 0x03);
    Run({.byteSize = 2, .isList = 1, .options = "5 units||x", .optionValues = "0||1"}, "5 units");
    EXPECT_EQ(At<int16_t>(33), 5);
    Run({.byteSize = 4, .decimals = 1, .divisor = 10}, "12.6");
    EXPECT_EQ(At<int32_t>(33), 13);
    Run({.byteSize = 4, .isFloat = 1, .divisor = 10}, "2.5");
    EXPECT_EQ(At<float>(33), 2.5f);
}

TEST_F(Encode, NumbersThatDoNotFitWriteNothing)
{
    data.assign(65, 0x5A);
    const common::Bytes before = data;
    Run({}, "300");
    Run({}, "255.5");
    Run({.byteSize = 2}, "32768");
    Run({.byteSize = 4}, "3000000000");
    Run({.byteSize = 2}, "&H8000");
    Run({.byteSize = 2}, "&HFFFF");
    EXPECT_EQ(data, before);
    Run({}, "255.4");
    EXPECT_EQ(At<uint8_t>(33), 255);
}

TEST_F(Encode, HexadecimalTextIsUnsignedUpTo31Bits)
{
    data.assign(65, 0x5A);
    Run({.byteSize = 4}, "&HFFFF");
    EXPECT_EQ(common::Bytes(data.begin() + 32, data.begin() + 36), (common::Bytes{0xFF, 0xFF, 0x00, 0x00}));
    Run({.byteSize = 4}, "&HFFFFFFFE");
    EXPECT_EQ(At<int32_t>(33), -2);
    Run({.byteSize = 4, .isList = 1, .isFloat = 1, .options = "Full", .optionValues = "&HFFFF"}, "Full");
    EXPECT_EQ(At<float>(33), 65535.0f);
}

TEST_F(Encode, SinglesBeyondTheirRangeBecomeInfinity)
{
    const RowFields single{.byteSize = 4, .isFloat = 1};
    Run(single, "1E39");
    EXPECT_EQ(At<float>(33), std::numeric_limits<float>::infinity());
    Run(single, "-1E39");
    EXPECT_EQ(At<float>(33), -std::numeric_limits<float>::infinity());
    Run(single, "3.4028235E38");
    EXPECT_EQ(At<float>(33), std::numeric_limits<float>::max());
}

TEST_F(Encode, ListChoicesByContainmentIgnoringCase)
{
    const RowFields level{.isList = 1, .options = "Very Low||Low||High||", .optionValues = "7||8||9||10"};
    Run(level, "Low");
    EXPECT_EQ(At<uint8_t>(33), 7);
    Run(level, "high");
    EXPECT_EQ(At<uint8_t>(33), 9);
    Run(level, "");
    EXPECT_EQ(At<uint8_t>(33), 7);
    data[32] = 1;
    Run(level, "Medium");
    EXPECT_EQ(At<uint8_t>(33), 1);

    Run({.byteSize = 4, .isList = 1, .isFloat = 1, .options = "Slow||Fast", .optionValues = "0.5||2.25"}, "fast");
    EXPECT_EQ(At<float>(33), 2.25f);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Encode, BitRowsChangeOnlyTheirBit)
{
    const RowFields bit1{.byteSize = 4, .bitNo = 1, .isList = 1, .options = "Off||On", .optionValues = "0||1"};
    common::WriteLE<int32_t>(data, 32, 6);
    Run(bit1, "On");
    EXPECT_EQ(At<int32_t>(33), 7);
    Run(bit1, "Off");
    EXPECT_EQ(At<int32_t>(33), 6);
    common::WriteLE<int32_t>(data, 32, 7);
    Run(bit1, "On");
    EXPECT_EQ(At<int32_t>(33), 7);

    common::WriteLE<int32_t>(data, 32, 0);
    Run({.byteSize = 4, .bitNo = 31, .options = "Off||On", .optionValues = "0||1"}, "On");
    EXPECT_EQ(At<int32_t>(33), 1 << 30);
    Run({.byteSize = 4, .bitNo = 31, .options = "Off||On", .optionValues = "0||1"}, "Off");
    EXPECT_EQ(At<int32_t>(33), 0);
    Run({.byteSize = 4, .bitNo = 32, .options = "Off||On", .optionValues = "0||1"}, "On");
    Run({.byteSize = 4, .bitNo = 2, .options = "Off||On", .optionValues = "0||2"}, "On");
    EXPECT_EQ(At<int32_t>(33), 0);
}

TEST_F(Encode, MismatchedListsShowTheMessageAndWriteNothing)
{
    data.assign(65, 0x5A);
    const common::Bytes before = data;
    EXPECT_EQ(Run({.isList = 1, .options = "A||B||C", .optionValues = "0||1"}, "A"), 1);
    EXPECT_EQ(Run({.byteSize = 4, .bitNo = 2, .isList = 1, .options = "Off||On", .optionValues = "0"}, "On"), 1);
    EXPECT_EQ(Run({.byteSize = 4, .bitNo = 2, .isList = 1, .options = "On", .optionValues = "0||1"}, "On"), 1);
    EXPECT_EQ(data, before);
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("解析协议表错误，列表和对应值不匹配。"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("警告！"));
    // A typed row's limits are never looked up.
    EXPECT_EQ(Run({.options = "0||100||x", .optionValues = "0||1"}, "5"), 0);
    EXPECT_EQ(At<uint8_t>(33), 5);
}

TEST_F(Encode, RowsWithoutAPlaceInTheBufferOrOfUnknownKindWriteNothing)
{
    data.assign(65, 0x5A);
    const common::Bytes before = data;
    struct Case {
        const char* what;
        RowFields fields;
    };
    const Case cases[] = {
        {"offset beyond the buffer", {.offset = 66}},
        {"four bytes reaching past the end", {.offset = 63, .byteSize = 4}},
        {"negative offset", {.offset = -1, .byteSize = 2}},
        {"no value", {.offset = 0}},
        {"three bytes", {.byteSize = 3}},
        {"IsFloat 2", {.byteSize = 4, .isFloat = 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(Run(c.fields, "7"), 0) << c.what;
    EXPECT_EQ(data, before);
    const std::vector<params::ProtoRowRecord> table{MakeRow({})};
    EXPECT_EQ(EncodeSetting("7", data, table, 5, dialogs), 0);
    EXPECT_EQ(EncodeSetting("7", data, table, -1, dialogs), 0);
    EXPECT_EQ(data, before);
}

TEST(EncodeFit, TypedNumbersAgainstTheirField)
{
    EXPECT_TRUE(params::TypedNumberFits(MakeRow({}), 255.4));
    EXPECT_FALSE(params::TypedNumberFits(MakeRow({}), 255.5));
    EXPECT_FALSE(params::TypedNumberFits(MakeRow({.byteSize = 2}), -32769));
    EXPECT_TRUE(params::TypedNumberFits(MakeRow({.byteSize = 4, .isFloat = 1}), 1e30));
    const auto range = params::TypedFieldRange(MakeRow({.byteSize = 2}));
    ASSERT_TRUE(range);
    EXPECT_EQ(range->lowest, -32768);
    EXPECT_EQ(range->highest, 32767);
    EXPECT_FALSE(params::TypedFieldRange(MakeRow({.byteSize = 4, .isFloat = 1})));
}

#include "params/ParamDecoder.h"

#include "RowRecords.h"
#include "common/LittleEndian.h"
#include "params/GridColors.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using paramtest::MakeRow;
using paramtest::RowFields;
using params::FillParamGrid;
using params::FlexGrid;

namespace {

const QString kOld = "old";

struct Decode : ::testing::Test {
    FlexGrid grid;
    common::Bytes data = common::Bytes(65, 0);
    std::vector<params::ProtoRowRecord> table;
    params::ProtoInfoRecord info;
    testsupport::ScriptedDialogs dialogs;

    void SetUp() override
    {
        grid.SetRows(10);
        grid.SetCols(4);
        for (int r = 0; r < 10; ++r) grid.SetTextMatrix(r, 3, kOld);
    }

    // Decodes one row (grid row 1) holding `raw` at its offset and gives its cell's text.
    template <typename T>
    QString DecodeOne(const RowFields& fields, T raw)
    {
        common::WriteLE<T>(data, fields.offset - 1, raw);
        table = {MakeRow({.offset = 0}), MakeRow(fields), params::NewProtoRow()};
        info.RowCount = 2;
        EXPECT_EQ(FillParamGrid(grid, data, table, info, dialogs), 0);
        const QString shown = grid.TextMatrix(1, 3);
        grid.SetTextMatrix(1, 3, kOld);
        return shown;
    }
};

}  // namespace

TEST_F(Decode, WholeNumbersScaleWithHalvesToEvenAndFallBackToTheRawValue)
{
    EXPECT_EQ(DecodeOne<uint8_t>({.divisor = 2}, 7), "4");
    EXPECT_EQ(DecodeOne<uint8_t>({.divisor = 2}, 5), "2");
    EXPECT_EQ(DecodeOne<uint8_t>({.divisor = -1}, 7), "7");
    EXPECT_EQ(DecodeOne<uint8_t>({.divisor = 0}, 200), "200");
    EXPECT_EQ(DecodeOne<int16_t>({.byteSize = 2}, -1000), "-1000");
    EXPECT_EQ(DecodeOne<int16_t>({.byteSize = 2, .divisor = 10}, -1000), "-100");
    EXPECT_EQ(DecodeOne<int16_t>({.byteSize = 2, .divisor = 0}, 32767), "32767");
}

TEST_F(Decode, FourByteValuesUseTheirDecimalsFormat)
{
    const RowFields longRow{.byteSize = 4, .decimals = 2, .divisor = 100};
    EXPECT_EQ(DecodeOne<int32_t>(longRow, 12345), "123.45");
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .decimals = 0, .divisor = 100}, 12345), "123");
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .decimals = 1, .divisor = 100}, 12345), "123.5");
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .decimals = 5, .divisor = 1000}, -12346), "-12.34600");
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .decimals = 6}, 5), kOld);
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .decimals = 7, .divisor = 100}, 12345), kOld);
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .divisor = 0}, 42), "42");
    // Held as a single: seven significant digits, but every integer digit is shown.
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4}, 16777217), "16777216");

    const RowFields single{.byteSize = 4, .isFloat = 1};
    EXPECT_EQ(DecodeOne<float>(single, 2.5f), "3");
    EXPECT_EQ(DecodeOne<float>(single, -2.5f), "-3");
    EXPECT_EQ(DecodeOne<float>({.byteSize = 4, .decimals = 2, .isFloat = 1}, 2.675f), "2.68");
    EXPECT_EQ(DecodeOne<float>({.byteSize = 4, .decimals = 1, .isFloat = 1, .divisor = 4}, 3.0f), "0.8");
    EXPECT_EQ(DecodeOne<float>({.byteSize = 4, .decimals = 3, .isFloat = 1, .divisor = 0}, 1.5f), "1.500");
}

TEST_F(Decode, ListRowsFindTheirNameByContainment)
{
    const RowFields mode{.isList = 1, .options = "Off||On|| Auto ", .optionValues = "0||1||02"};
    EXPECT_EQ(DecodeOne<uint8_t>(mode, 2), "Auto");
    EXPECT_EQ(DecodeOne<uint8_t>(mode, 1), "On");
    EXPECT_EQ(DecodeOne<uint8_t>(mode, 3), kOld);
    EXPECT_EQ(DecodeOne<uint8_t>({.isList = 1, .options = "Ten||One", .optionValues = "10||1"}, 1), "Ten");
    EXPECT_EQ(DecodeOne<uint8_t>({.isList = 1, .divisor = 2, .options = "A||B", .optionValues = "0||2.0"}, 4), "B");

    const RowFields single{.byteSize = 4, .isList = 1, .isFloat = 1, .options = "Low||Mid||High",
                         .optionValues = "-1||2||5"};
    EXPECT_EQ(DecodeOne<float>(single, 2.7f), "Mid");
    EXPECT_EQ(DecodeOne<float>(single, -0.5f), "Low");
    EXPECT_EQ(DecodeOne<float>(single, 7.0f), kOld);
    // Whole-number kinds ignore IsList.
    EXPECT_EQ(DecodeOne<int16_t>({.byteSize = 2, .isList = 1, .options = "A||B", .optionValues = "0||1"}, 1), "1");
}

TEST_F(Decode, BitRowsShowOneOfTwoNames)
{
    const RowFields bit3{.byteSize = 4, .bitNo = 3, .isList = 1, .options = "Off||On", .optionValues = "0||1"};
    EXPECT_EQ(DecodeOne<int32_t>(bit3, 4), "On");
    EXPECT_EQ(DecodeOne<int32_t>(bit3, 3), "Off");
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .bitNo = 31, .options = "Off||On"}, 1 << 30), "On");
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .bitNo = 31, .options = "Off||On"}, INT32_MIN), "Off");
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .bitNo = 2, .options = "A||B||C"}, 2), kOld);
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .bitNo = 32, .options = "Off||On"}, -1), kOld);
}

TEST_F(Decode, UnknownKindsAndValuesBeyondTheBufferKeepTheirText)
{
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 4, .isFloat = 2}, 5), kOld);
    EXPECT_EQ(DecodeOne<int32_t>({.byteSize = 3}, 5), kOld);
    EXPECT_EQ(DecodeOne<uint8_t>({.offset = 0}, 5), kOld);
    EXPECT_EQ(DecodeOne<uint8_t>({.offset = 65}, 9), "9");  // the last byte of the buffer

    data.assign(65, 0x11);
    table = {MakeRow({.offset = 0}), MakeRow({.offset = 66}), MakeRow({.offset = 63, .byteSize = 4}),
             MakeRow({.offset = -3, .byteSize = 2}), MakeRow({.offset = 62, .byteSize = 4})};
    info.RowCount = 5;
    EXPECT_EQ(FillParamGrid(grid, data, table, info, dialogs), 0);
    EXPECT_EQ(grid.TextMatrix(1, 3), kOld);
    EXPECT_EQ(grid.TextMatrix(2, 3), kOld);
    EXPECT_EQ(grid.TextMatrix(3, 3), kOld);
    EXPECT_EQ(grid.TextMatrix(4, 3), "286331168");  // 0x11111111 held as a single
}

TEST_F(Decode, MismatchedListStopsTheFillWithOneMessage)
{
    data[32] = 1;
    data[33] = 1;
    data[34] = 1;
    table = {MakeRow({.offset = 0}), MakeRow({.offset = 33}),
             MakeRow({.offset = 34, .isList = 1, .options = "A||B||C", .optionValues = "0||1"}),
             MakeRow({.offset = 35}), params::NewProtoRow()};
    info.RowCount = 4;
    grid.SetRow(5);
    grid.SetCol(3);
    grid.SetCellForeColor(params::RGB(250, 0, 0));

    EXPECT_EQ(FillParamGrid(grid, data, table, info, dialogs), 1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("解析协议表错误，列表和对应值不匹配。"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("警告！"));
    EXPECT_EQ(dialogs.messages[0].icon, common::MsgIcon::Exclamation);
    EXPECT_EQ(dialogs.messages[0].buttons, common::MsgButtons::Ok);
    EXPECT_EQ(grid.TextMatrix(1, 3), "1");
    EXPECT_EQ(grid.TextMatrix(3, 3), kOld);
    EXPECT_EQ(grid.CellForeColor(), params::RGB(250, 0, 0));
}

TEST_F(Decode, OnlyTheCurrentCellTurnsBlackAfterAFill)
{
    for (int row : {1, 2}) {
        grid.SetRow(row);
        grid.SetCol(3);
        grid.SetCellForeColor(params::RGB(250, 0, 0));
    }
    table = {MakeRow({.offset = 0}), MakeRow({.offset = 33}), MakeRow({.offset = 34})};
    info.RowCount = 2;
    EXPECT_EQ(FillParamGrid(grid, data, table, info, dialogs), 0);
    EXPECT_EQ(grid.CellForeColor(), 0);
    grid.SetRow(1);
    EXPECT_EQ(grid.CellForeColor(), params::RGB(250, 0, 0));
    EXPECT_TRUE(dialogs.messages.empty());
}

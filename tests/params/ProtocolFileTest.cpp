#include "params/ProtocolFile.h"

#include "TableFiles.h"
#include "params/GridColors.h"

#include <gtest/gtest.h>

using paramtest::Cell;
using paramtest::WriteTableFile;
using params::FlexGrid;
using params::ParseProtocolFile;
using params::ProtoInfoRecord;
using params::ProtoRowRecord;

namespace {

const QString kTitleRow = "No.><4><0><255><300><9\\/Name><4><0><255><300><9\\/Unit><4><0><255><300><9\\/"
                          "Value><4><0><255><300><9";
const QString kModeRow = "x><1><0><255><300><9\\/Mode><1><0><255><300><9\\/-><1><0><255><300><9\\/><1><0><255>"
                         "<300><9\\/List:><33><1><0><0><1><0><1><Off||On||Auto><0||1||2";

QString Padded(const QString& text) { return text.leftJustified(60, ' '); }

struct Parse : ::testing::Test {
    testsupport::TempFolder folder;
    FlexGrid grid;
    std::vector<ProtoRowRecord> table;
    ProtoInfoRecord info;

    void SetUp() override
    {
        grid.SetRows(45);
        grid.SetCols(4);
    }

    int Run(const QStringList& lines) { return ParseProtocolFile(grid, WriteTableFile(folder, lines), table, info); }

    // A table whose row 1 is the given line.
    int RunRow(const QString& row) { return Run({"1\\/64", "500\\/900\\/400\\/600", kTitleRow, row, "End"}); }
};

}  // namespace

TEST_F(Parse, WorkedExampleFillsGridTableAndInfo)
{
    ASSERT_EQ(Run({"1\\/64", "500\\/900\\/400\\/600", kTitleRow, kModeRow, "End"}), 0);
    EXPECT_EQ(info.HeaderValue, 1);
    EXPECT_EQ(info.DataLen, 64);
    EXPECT_EQ(info.RowCount, 2);
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.Cols(), 4);
    EXPECT_EQ(grid.ColWidth(0), 500);
    EXPECT_EQ(grid.ColWidth(3), 600);
    EXPECT_EQ(grid.RowHeight(0), 300);
    EXPECT_EQ(grid.RowHeight(1), 300);
    EXPECT_TRUE(grid.MergeCol(1));
    ASSERT_EQ(table.size(), 3u);

    EXPECT_EQ(grid.TextMatrix(0, 0), "No.");
    EXPECT_EQ(grid.TextMatrix(0, 3), "Value");
    EXPECT_EQ(grid.TextMatrix(1, 0), "1");
    EXPECT_EQ(grid.TextMatrix(1, 1), "Mode");
    EXPECT_EQ(grid.TextMatrix(1, 2), "-");
    EXPECT_EQ(grid.TextMatrix(1, 3), "");
    // The current cell is the last displayed cell of the last row.
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 3);
    EXPECT_EQ(grid.CellAlignment(), 1);
    EXPECT_EQ(grid.CellForeColor(), 0);
    EXPECT_EQ(grid.CellBackColor(), params::RGB(255, 0, 0));
    EXPECT_FLOAT_EQ(grid.CellFontSize(), 9.0f);
    grid.SetRow(0);
    EXPECT_EQ(grid.CellAlignment(), 4);

    EXPECT_EQ(table[0].Offset, 0);
    EXPECT_EQ(table[0].Divisor, 1);
    EXPECT_EQ(table[0].Options, QString(60, ' '));
    const ProtoRowRecord& mode = table[1];
    EXPECT_EQ(mode.Offset, 33);
    EXPECT_EQ(mode.ByteSize, 1);
    EXPECT_EQ(mode.Decimals, 0);
    EXPECT_EQ(mode.BitNo, 0);
    EXPECT_EQ(mode.IsList, 1);
    EXPECT_EQ(mode.IsFloat, 0);
    EXPECT_EQ(mode.Divisor, 1);
    EXPECT_EQ(mode.Options, Padded("Off||On||Auto"));
    EXPECT_EQ(mode.OptionValues, Padded("0||1||2"));
    EXPECT_EQ(table[2].Offset, 0);
    EXPECT_EQ(table[2].Divisor, 0);
    EXPECT_EQ(table[2].Options, QString(60, QChar(0)));
}

TEST_F(Parse, HeaderLineRangesAndRounding)
{
    struct Case {
        QString line;
        int result;
        int headerValue;
        int dataLen;
    };
    const Case cases[] = {
        {"60\\/480", 0, 60, 480},   {" 12.5 \\/ 64", 0, 12, 64}, {"13.5\\/64\\/junk", 0, 14, 64},
        {"&H10\\/64", 0, 16, 64},   {"61\\/480", 1, 61, -1},     {"60\\/481", 1, 60, 481},
        {"0\\/64", 1, 0, -1},       {"1\\/0", 1, 1, 0},          {"12abc\\/64", 1, -1, -1},
        {"100000\\/64", 1, -1, -1}, {"5", 1, -1, -1},            {"\\/64", 1, -1, -1},
        {"1d1\\/64", 1, -1, -1},
    };
    for (const Case& c : cases) {
        grid.SetRows(45);
        info = ProtoInfoRecord{};
        info.HeaderValue = -1;
        info.DataLen = -1;
        EXPECT_EQ(Run({c.line, "500\\/900\\/400\\/600", kTitleRow, "End"}), c.result) << c.line.toStdString();
        EXPECT_EQ(info.HeaderValue, c.headerValue) << c.line.toStdString();
        EXPECT_EQ(info.DataLen, c.dataLen) << c.line.toStdString();
        if (c.result == 1) EXPECT_EQ(grid.Rows(), 1) << c.line.toStdString();
    }
}

TEST_F(Parse, ShortLinesAreSkippedAndOnlyAnExactEndEndsTheRows)
{
    const QString elevenChars = "abcdefghijk";
    ASSERT_EQ(Run({"1\\/64", "500\\/900\\/400\\/600", "", kTitleRow, "1234567890", "end", "End ", elevenChars,
                   kModeRow}),
              0);
    EXPECT_EQ(info.RowCount, 3);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(grid.TextMatrix(1, 0), "");  // the 11-character row shows nothing
    EXPECT_EQ(table[1].Offset, 0);
    EXPECT_EQ(table[1].Divisor, 0);
    EXPECT_EQ(table[1].Options, QString(60, QChar(0)));
    EXPECT_EQ(grid.TextMatrix(2, 0), "2");  // the file's "x" gives way to the row number
    EXPECT_EQ(table[2].Offset, 33);
}

TEST_F(Parse, NoRowBeforeEndFailsKeepingColumnsButNoTable)
{
    EXPECT_EQ(Run({"1\\/64", "500\\/900\\/400", "End", kTitleRow}), 1);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Cols(), 3);
    EXPECT_EQ(grid.ColWidth(2), 400);
    EXPECT_EQ(info.RowCount, 0);
    EXPECT_TRUE(table.empty());

    EXPECT_EQ(Run({"1\\/64", "500\\/900\\/400", "short"}), 1);
    EXPECT_EQ(Run({"1\\/64", "500\\/900\\/400"}), 1);
}

TEST_F(Parse, HiddenCellAttributeCounts)
{
    const QString shown = Cell("x") + "\\/" + Cell("Name") + "\\/";
    struct Case {
        QString row;
        QString optionValues;
    };
    const Case cases[] = {
        {shown + "List:><40><1><0><0><1><0><1><A||B><0||1", Padded("0||1")},
        {shown + "List:><40><1><0><0><1><0><1><A||B", QString(60, ' ')},
        {shown + "List:><40><1><0><0><1><0><1><A||B><0||1><extra", QString(60, ' ')},
        {"List:><40><1><0><0><1><0><1><A||B", QString(60, QChar(0))},
    };
    for (const Case& c : cases) {
        table.clear();
        ASSERT_EQ(RunRow(c.row), 0) << c.row.toStdString();
        EXPECT_EQ(table[1].Offset, 40) << c.row.toStdString();
        EXPECT_EQ(table[1].Options, Padded("A||B")) << c.row.toStdString();
        EXPECT_EQ(table[1].OptionValues, c.optionValues) << c.row.toStdString();
    }
}

TEST_F(Parse, HiddenCellBeforeADisplayedCellIsLostAndLongTextsAreCut)
{
    ASSERT_EQ(RunRow("List:><40><1><0><0><1><0><5><A||B><0||1\\/" + Cell("x")), 0);
    EXPECT_EQ(table[1].Offset, 0);
    EXPECT_EQ(table[1].Divisor, 1);

    const QString seventy = QString(35, 'a') + QString(35, 'b');
    ASSERT_EQ(RunRow(Cell("x") + "\\/List:><&H21><1><0><0><0><0><1><" + seventy + "><"), 0);
    EXPECT_EQ(table[1].Offset, 33);
    EXPECT_EQ(table[1].Options, seventy.left(60));
    EXPECT_EQ(table[1].OptionValues, QString(60, ' '));

    // A hidden cell may stand beyond the grid's columns.
    ASSERT_EQ(RunRow(Cell("x") + "\\/a\\/b\\/c\\/d\\/List:><7><2><0><0><0><0><1><0||9><"), 0);
    EXPECT_EQ(table[1].Offset, 7);
}

TEST_F(Parse, ErrorsInRowsKeepWhatWasFilledBefore)
{
    const QString good = Cell("x") + "\\/" + Cell("Speed") + "\\/List:><35><2><0><0><0><0><1><0||100><";
    struct Case {
        const char* what;
        QString badRow;
    };
    const Case cases[] = {
        {"ByteSize 300", Cell("x") + "\\/List:><36><300><0><0><0><0><1><0||1><"},
        {"ByteSize -1", Cell("x") + "\\/List:><36><-1><0><0><0><0><1><0||1><"},
        {"Offset 40000", Cell("x") + "\\/List:><40000><1><0><0><0><0><1><0||1><"},
        {"Offset &HFFFF", Cell("x") + "\\/List:><&HFFFF><1><0><0><0><0><1><0||1><"},
        {"Offset &H8000", Cell("x") + "\\/List:><&H8000><1><0><0><0><0><1><0||1><"},
        {"hidden cell of six", Cell("x") + "\\/List:><36><1><0><0><0"},
        {"hidden cell of eight", Cell("x") + "\\/List:><36><1><0><0><0><0><1"},
        {"column beyond the grid", Cell("x") + "\\/a\\/b\\/c\\/" + Cell("extra")},
        {"alignment the grid refuses", "x><12><0><0><300><9"},
        {"colour the grid refuses", "x><1><&H1000000><0><300><9"},
        {"font size 0", "x><1><0><0><300><0"},
    };
    for (const Case& c : cases) {
        table.clear();
        info.RowCount = 0;
        EXPECT_EQ(Run({"1\\/64", "500\\/900\\/400\\/600", kTitleRow, good, c.badRow, "End"}), 1) << c.what;
        EXPECT_EQ(info.RowCount, 2) << c.what;
        EXPECT_EQ(grid.Rows(), 3) << c.what;
        ASSERT_EQ(table.size(), 4u) << c.what;
        EXPECT_EQ(table[1].Offset, 35) << c.what;
        EXPECT_EQ(grid.TextMatrix(1, 1), "Speed") << c.what;
    }
}

TEST_F(Parse, RowsBeyondTheLargestRowCountFailKeepingThoseBefore)
{
    constexpr int kMostRows = 32767;
    // Lines of eleven characters make rows of their own without touching a cell.
    QStringList lines{"1\\/64", "500\\/900\\/400\\/600", kTitleRow};
    for (int r = 1; r < kMostRows; ++r) lines << QStringLiteral("no cells...");
    EXPECT_EQ(Run(lines + QStringList{"End"}), 0);
    EXPECT_EQ(info.RowCount, kMostRows);
    EXPECT_EQ(grid.Rows(), kMostRows);
    EXPECT_EQ(table.size(), static_cast<size_t>(kMostRows) + 1);

    lines << QStringLiteral("one too many") << "End";
    EXPECT_EQ(Run(lines), 1);
    EXPECT_EQ(info.RowCount, kMostRows);
    EXPECT_EQ(grid.Rows(), kMostRows);
    EXPECT_EQ(table.size(), static_cast<size_t>(kMostRows) + 1);
    EXPECT_EQ(grid.TextMatrix(0, 1), "Name");
}

TEST_F(Parse, HexadecimalColoursAndMeasuresAreTheNumbersTheySpell)
{
    ASSERT_EQ(Run({"1\\/64", "500\\/&HFFFF\\/400\\/600", kTitleRow,
                   "x><1><&HFF00><&HFFFF><&HFFFF><9\\/y><1><&H80000012><&H8000000F><300><9"}),
              0);
    grid.SetRow(1);
    grid.SetCol(0);
    EXPECT_EQ(grid.CellForeColor(), params::RGB(0, 255, 0));
    EXPECT_EQ(grid.CellBackColor(), params::RGB(255, 255, 0));
    grid.SetCol(1);
    EXPECT_EQ(grid.CellForeColor(), static_cast<int32_t>(0x80000012u));
    EXPECT_EQ(grid.CellBackColor(), static_cast<int32_t>(0x8000000Fu));
    EXPECT_EQ(grid.ColWidth(1), 65535);
    EXPECT_EQ(grid.RowHeight(1), 300);  // the last cell's height counts

    ASSERT_EQ(RunRow("x><1><0><0><&HFFFF><9"), 0);
    EXPECT_EQ(grid.RowHeight(1), 65535);
}

TEST_F(Parse, PartiallyReadHiddenCellKeepsTheFieldsBeforeTheGap)
{
    EXPECT_EQ(RunRow(Cell("x") + "\\/List:><36><4><2><0><1"), 1);
    EXPECT_EQ(table[1].Offset, 36);
    EXPECT_EQ(table[1].ByteSize, 4);
    EXPECT_EQ(table[1].IsList, 1);
    EXPECT_EQ(table[1].Divisor, 1);
}

TEST_F(Parse, MissingFileOrShortNameTouchesNothing)
{
    info.DataLen = 77;
    EXPECT_EQ(ParseProtocolFile(grid, folder.file("Nothing.For"), table, info), 1);
    EXPECT_EQ(ParseProtocolFile(grid, "a.F", table, info), 1);
    EXPECT_EQ(ParseProtocolFile(grid, folder.path(), table, info), 1);
    EXPECT_EQ(grid.Rows(), 45);
    EXPECT_EQ(info.DataLen, 77);
}

TEST_F(Parse, ChineseTextsAndCrOnlyLinesLoad)
{
    ASSERT_EQ(Run({"1\\/64", "500\\/900\\/400\\/600", Cell("序号") + "\\/" + Cell("参数名称"),
                   Cell("x") + "\\/" + Cell("运行模式")}),
              0);
    EXPECT_EQ(grid.TextMatrix(0, 0), "序号");
    EXPECT_EQ(grid.TextMatrix(1, 1), "运行模式");

    const QByteArray crOnly = common::ToCodePage("2\\/64\r500\\/900\\/400\\/600\r" + kTitleRow + "\rEnd\r");
    EXPECT_EQ(ParseProtocolFile(grid, folder.write("Cr.For", crOnly), table, info), 0);
    EXPECT_EQ(info.HeaderValue, 2);
}

// Editors may leave a lone line feed (or carriage return) inside a line of a CR LF table.
TEST_F(Parse, InACrLfTableALoneLineFeedOrReturnStaysInsideItsLine)
{
    // Line feeds inside a number are ignored: the worked example's offset still reads 33.
    ASSERT_EQ(RunRow(QString(kModeRow).replace("List:><33", "List:><3\n3")), 0);
    EXPECT_EQ(info.RowCount, 2);
    EXPECT_EQ(table[1].Offset, 33);
    EXPECT_EQ(table[1].Options, Padded("Off||On||Auto"));

    for (const QString lone : {QString("\n"), QString("\r")}) {
        SCOPED_TRACE(lone == "\n" ? "LF" : "CR");
        ASSERT_EQ(RunRow(QString(kModeRow).replace("Off||On", "Off||O" + lone + "n")), 0);
        EXPECT_EQ(info.RowCount, 2);
        EXPECT_EQ(grid.Rows(), 2);
        EXPECT_EQ(table[1].Offset, 33);
        EXPECT_EQ(table[1].Options, Padded("Off||O" + lone + "n||Auto"));
        EXPECT_EQ(table[1].OptionValues, Padded("0||1||2"));
    }
}

TEST_F(Parse, TablesWithoutCrLfEndTheirLinesAtEachLineFeedOrReturn)
{
    const QStringList lines = {"1\\/64", "500\\/900\\/400\\/600", kTitleRow, "", kModeRow, "End", "ignored"};
    for (const QString lineEnd : {QString("\n"), QString("\r")}) {
        SCOPED_TRACE(lineEnd == "\n" ? "LF only" : "CR only");
        const QString path = folder.write("Table.For", common::ToCodePage(lines.join(lineEnd) + lineEnd));
        ASSERT_EQ(ParseProtocolFile(grid, path, table, info), 0);
        EXPECT_EQ(info.DataLen, 64);
        EXPECT_EQ(info.RowCount, 2);
        EXPECT_EQ(grid.Cols(), 4);
        EXPECT_EQ(grid.TextMatrix(1, 1), "Mode");
        EXPECT_EQ(table[1].Offset, 33);
        EXPECT_EQ(table[1].OptionValues, Padded("0||1||2"));
    }
}

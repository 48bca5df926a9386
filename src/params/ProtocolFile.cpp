#include "params/ProtocolFile.h"

#include "common/Codepage.h"
#include "common/Numbers.h"
#include "params/ProtoRows.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <limits>
#include <optional>

namespace params {
namespace {

constexpr int kShortestFileName = 4;
constexpr int kLongestSkippedLine = 10;
constexpr int kHiddenCellAttributes = 10;
constexpr int kLeastCellAttributes = 6;
// RowCount is a 16-bit field: a table with more row lines cannot be described.
constexpr int kMostRows = std::numeric_limits<int16_t>::max();
const QString kEndLine = QStringLiteral("End");
const QString kHiddenCellTag = QStringLiteral("List:");

using Pieces = QList<QStringView>;

// Lines end with CR LF. In a text that holds a CR LF anywhere, only CR LF ends a line:
// a lone LF or CR that an editor left inside a line stays part of it (numbers ignore line
// feeds). A text without any CR LF has lone LF or lone CR line ends, each ending a line.
// A break at the very end of the text opens no further line. The lines are views into
// the text.
Pieces SplitLines(QStringView text)
{
    const bool onlyCrLfEndsALine = text.contains(u"\r\n");
    Pieces lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != '\r' && c != '\n') continue;
        const bool crLf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (onlyCrLfEndsALine && !crLf) continue;
        lines.append(text.sliced(start, i - start));
        if (crLf) ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.append(text.sliced(start));
    return lines;
}

template <typename T>
bool StoreRounded(QStringView text, std::optional<T> (*round)(double), T& field)
{
    const std::optional<T> value = round(common::ReadNumber(text));
    if (!value) return false;
    field = *value;
    return true;
}

class ProtocolFileParser {
public:
    ProtocolFileParser(FlexGrid& grid, Pieces lines, std::vector<ProtoRowRecord>& table, ProtoInfoRecord& info)
        : grid_(grid), lines_(std::move(lines)), table_(table), info_(info)
    {
    }

    // Whether the file was read without error; rowsLoaded() then tells how many rows.
    bool Parse()
    {
        return ReadHeaderLine() && ReadColumnLine() && ReadRowLines();
    }

    int RowsLoaded() const { return rows_; }

private:
    bool NextLine(QStringView& line)
    {
        if (next_ >= lines_.size()) return false;
        line = lines_[next_++];
        return true;
    }

    bool AtEnd() const { return next_ >= lines_.size(); }

    bool ReadHeaderLine()
    {
        QStringView line;
        if (!NextLine(line)) return false;
        const Pieces fields = SplitLiteralViews(line, kCellSeparator);
        if (fields.size() < 2) return false;
        return ReadBoundedInteger(fields[0], 1, 60, info_.HeaderValue) &&
               ReadBoundedInteger(fields[1], 1, 480, info_.DataLen);
    }

    static bool ReadBoundedInteger(QStringView field, int lowest, int highest, int16_t& target)
    {
        if (!common::IsNumeric(field)) return false;
        if (!StoreRounded<int16_t>(field, common::ToInteger, target)) return false;
        return target >= lowest && target <= highest;
    }

    bool ReadColumnLine()
    {
        QStringView line;
        if (!NextLine(line)) return false;
        const Pieces widths = SplitLiteralViews(line, kCellSeparator);
        if (!grid_.SetCols(static_cast<int>(widths.size())) || !grid_.SetRow(0)) return false;
        for (int col = 0; col < widths.size(); ++col) {
            int32_t width = 0;
            if (!StoreRounded<int32_t>(widths[col], common::ToLong, width) || !grid_.SetColWidth(col, width))
                return false;
        }
        return true;
    }

    bool ReadRowLines()
    {
        info_.RowCount = 0;
        QStringView line;
        for (;;) {
            if (!NextLine(line)) return false;
            if (line == kEndLine) break;
            if (line.size() > kLongestSkippedLine) {
                if (rows_ >= kMostRows) return false;
                if (grid_.Rows() <= rows_ && !grid_.SetRows(grid_.Rows() + 1)) return false;
                table_.resize(static_cast<size_t>(rows_) + 2, NewProtoRow());
                if (!ReadRow(line)) return false;
                ++rows_;
                info_.RowCount = static_cast<int16_t>(rows_);
            }
            if (AtEnd()) break;
        }
        return true;
    }

    bool ReadRow(QStringView line)
    {
        if (!grid_.SetRow(rows_)) return false;
        const Pieces cells = SplitLiteralViews(line, kCellSeparator);
        for (int col = 0; col < cells.size(); ++col) {
            const Pieces attributes = SplitLiteralViews(cells[col], kAttributeSeparator);
            if (attributes.size() < kLeastCellAttributes) continue;
            ProtoRowRecord& record = table_[static_cast<size_t>(rows_)];
            const bool done = attributes[0] == kHiddenCellTag ? ReadHiddenCell(attributes, record)
                                                              : ReadDisplayedCell(attributes, col, record);
            if (!done) return false;
        }
        return true;
    }

    // Fields are stored one after the other, so a cell cut short keeps those before the gap.
    static bool ReadHiddenCell(const Pieces& a, ProtoRowRecord& record)
    {
        const auto has = [&a](int index) { return index < a.size(); };
        if (!StoreRounded<int16_t>(a[1], common::ToInteger, record.Offset)) return false;
        if (!StoreRounded<uint8_t>(a[2], common::ToByte, record.ByteSize)) return false;
        if (!StoreRounded<uint8_t>(a[3], common::ToByte, record.Decimals)) return false;
        if (!StoreRounded<uint8_t>(a[4], common::ToByte, record.BitNo)) return false;
        if (!StoreRounded<uint8_t>(a[5], common::ToByte, record.IsList)) return false;
        if (!has(6) || !StoreRounded<uint8_t>(a[6], common::ToByte, record.IsFloat)) return false;
        if (!has(7) || !StoreRounded<int32_t>(a[7], common::ToLong, record.Divisor)) return false;
        if (!has(8)) return false;
        record.Options = FitOptionText(a[8]);
        if (a.size() == kHiddenCellAttributes) record.OptionValues = FitOptionText(a[9]);
        return true;
    }

    bool ReadDisplayedCell(const Pieces& a, int col, ProtoRowRecord& record)
    {
        ResetToRowDefaults(record);
        if (!grid_.SetCol(col)) return false;
        const bool showsRowNumber = col == 0 && rows_ > 0;
        if (!grid_.SetText(showsRowNumber ? QString::number(rows_) : a[0].toString())) return false;
        int16_t alignment = 0;
        int32_t foreColor = 0;
        int32_t backColor = 0;
        int32_t height = 0;
        const double fontSize = common::ReadNumber(a[5]);
        return StoreRounded<int16_t>(a[1], common::ToInteger, alignment) && grid_.SetCellAlignment(alignment) &&
               StoreRounded<int32_t>(a[2], common::ToLong, foreColor) && grid_.SetCellForeColor(foreColor) &&
               StoreRounded<int32_t>(a[3], common::ToLong, backColor) && grid_.SetCellBackColor(backColor) &&
               StoreRounded<int32_t>(a[4], common::ToLong, height) && grid_.SetRowHeight(rows_, height) &&
               std::fabs(fontSize) <= std::numeric_limits<float>::max() &&
               grid_.SetCellFontSize(static_cast<float>(fontSize));
    }

    FlexGrid& grid_;
    const Pieces lines_;
    std::vector<ProtoRowRecord>& table_;
    ProtoInfoRecord& info_;
    qsizetype next_ = 0;
    int rows_ = 0;
};

}  // namespace

int ParseProtocolFile(FlexGrid& grid, const QString& fileName, std::vector<ProtoRowRecord>& table,
                      ProtoInfoRecord& info)
{
    if (fileName.size() < kShortestFileName || !QFileInfo(fileName).isFile()) return 1;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return 1;
    const QByteArray bytes = file.readAll();
    file.close();

    grid.SetRows(1);
    const QString text = common::FromCodePage(bytes);
    ProtocolFileParser parser(grid, SplitLines(text), table, info);
    if (!parser.Parse()) return 1;
    grid.SetMergeCol(1, true);
    return parser.RowsLoaded() == 0 ? 1 : 0;
}

}  // namespace params

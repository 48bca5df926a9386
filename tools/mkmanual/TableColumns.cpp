#include "TableColumns.h"

#include "PagedPrint.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QVector>
#include <algorithm>

namespace manual {

namespace {

// Width of a text in half-width columns: wide (CJK and full-width) characters count twice.
int DisplayWidth(const QString& text)
{
    int width = 0;
    for (QChar c : text) width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

// The text of a table cell.
QString CellText(const QTextTableCell& cell) { return CellContents(cell).selectedText(); }

// Width on `device` of the widest run of text in the cell that holds no blank: a file name,
// a quoted control text, a Chinese caption. The column must not be narrower, or the run is
// broken in the middle.
qreal WidestUnbrokenRun(const QTextTableCell& cell, const QFont& defaultFont, QPaintDevice* device)
{
    qreal widest = 0;
    for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
        const QTextBlock block = it.currentBlock();
        qreal run = 0;
        for (QTextBlock::iterator piece = block.begin(); !piece.atEnd(); ++piece) {
            const QTextFragment fragment = piece.fragment();
            const QFontMetricsF metrics(fragment.charFormat().font().resolve(defaultFont), device);
            const QString text = fragment.text();
            qsizetype start = 0;
            for (qsizetype i = 0; i <= text.size(); ++i) {
                if (i < text.size() && !text.at(i).isSpace()) continue;
                run += metrics.horizontalAdvance(text.mid(start, i - start));
                if (i < text.size()) {
                    widest = std::max(widest, run);
                    run = 0;
                }
                start = i + 1;
            }
        }
        widest = std::max(widest, run);
    }
    return widest;
}

struct ColumnNeeds {
    QVector<qreal> least;    // share of the table width below which a run would break
    QVector<int> weights;    // length of the longest text, for sharing out the rest
};

ColumnNeeds MeasureColumns(const QTextTable& table, const QFont& defaultFont, QPaintDevice* device,
                           qreal tableWidth, qreal cellAllowance)
{
    constexpr int kLongestCounted = 60;
    constexpr int kMinimumWeight = 10;
    // A longer run is a Chinese sentence, which may wrap between any two characters.
    constexpr qreal kLongestKeptWhole = 0.4;
    ColumnNeeds needs{QVector<qreal>(table.columns(), 0), QVector<int>(table.columns(), kMinimumWeight)};
    for (int row = 0; row < table.rows(); ++row) {
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            const qreal run = std::min(WidestUnbrokenRun(cell, defaultFont, device), kLongestKeptWhole * tableWidth);
            const qreal least = (run + cellAllowance) / tableWidth;
            needs.least[column] = std::max(needs.least[column], least);
            needs.weights[column] =
                std::max(needs.weights[column], std::min(DisplayWidth(CellText(cell)), kLongestCounted));
        }
    }
    return needs;
}

// Every column gets at least the room of its widest unbroken run. The rest of the width is
// shared out by the length of the longest text in each column, so that short key columns
// leave room for descriptions; a column whose share would fall below its least keeps its
// least, and the others share what remains.
QVector<QTextLength> ColumnWidths(const ColumnNeeds& needs)
{
    const int columns = needs.least.size();
    qreal leastTotal = 0;
    for (qreal least : needs.least) leastTotal += least;
    QVector<qreal> shares(columns);
    if (leastTotal >= 1) {
        for (int column = 0; column < columns; ++column) shares[column] = needs.least[column] / leastTotal;
    } else {
        QVector<bool> atLeast(columns, false);
        for (bool settled = false; !settled;) {
            settled = true;
            qreal left = 1;
            int weightLeft = 0;
            for (int column = 0; column < columns; ++column) {
                if (atLeast[column]) left -= needs.least[column];
                else weightLeft += needs.weights[column];
            }
            for (int column = 0; column < columns; ++column) {
                if (atLeast[column]) continue;
                shares[column] = left * needs.weights[column] / weightLeft;
                if (shares[column] < needs.least[column]) {
                    atLeast[column] = true;
                    shares[column] = needs.least[column];
                    settled = false;
                }
            }
        }
    }
    QVector<QTextLength> widths;
    for (qreal share : shares) widths << QTextLength(QTextLength::PercentageLength, 100 * share);
    return widths;
}

void FitTableColumns(QTextTable& table, const QFont& defaultFont, QPaintDevice* device, qreal tableWidth)
{
    constexpr int kCellPadding = 3;
    // Padding and border on both sides of a cell, given in pixels of a 96 dpi screen.
    const qreal cellAllowance = (2 * kCellPadding + 2) * device->logicalDpiX() / 96.0;
    QTextTableFormat format = table.format();
    format.setColumnWidthConstraints(
        ColumnWidths(MeasureColumns(table, defaultFont, device, tableWidth, cellAllowance)));
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setCellPadding(kCellPadding);
    format.setBorderCollapse(true);
    table.setFormat(format);
}

// The width the tables get on the page: the print margin is kept clear on either side; a
// little more is held back for rounding.
qreal PrintedTableWidth(const QPdfWriter& writer)
{
    constexpr qreal kHeldBack = 0.97;
    return (writer.width() - 2 * kPrintMarginInches * writer.logicalDpiX()) * kHeldBack;
}

}  // namespace

void FitAllTables(QTextDocument& document, QPdfWriter& writer)
{
    const qreal tableWidth = PrintedTableWidth(writer);
    for (QTextFrame* frame : document.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame))
            FitTableColumns(*table, document.defaultFont(), &writer, tableWidth);
}

}  // namespace manual

#include "PagedPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextTable>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace manual {

namespace {

// The print margin in whole pixels of a 96 dpi screen, the unit of frame margins, which the
// layout scales to the device.
const int kPrintMarginScreenPixels = static_cast<int>(kPrintMarginInches * 96);

struct Extent {
    qreal top = std::numeric_limits<qreal>::max();
    qreal bottom = std::numeric_limits<qreal>::lowest();
};

// From the top of the row's first line to the bottom of its last, over all its cells.
Extent RowExtent(const QTextTable& table, int row, const QAbstractTextDocumentLayout& layout)
{
    Extent extent;
    for (int column = 0; column < table.columns(); ++column) {
        const QTextTableCell cell = table.cellAt(row, column);
        for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
            if (!it.currentBlock().isValid()) continue;
            const QRectF rect = layout.blockBoundingRect(it.currentBlock());
            extent.top = std::min(extent.top, rect.top());
            extent.bottom = std::max(extent.bottom, rect.bottom());
        }
    }
    return extent;
}

int PageOf(qreal y, qreal pageHeight) { return static_cast<int>(std::floor(y / pageHeight)); }

bool StartsAPage(const QTextTable& table)
{
    return table.format().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
}

struct RowToMove {
    QTextTable* table;
    int row;
};

// The first table row that should begin a page: one that runs from one page onto the next
// (and would fit on a page of its own), or one that the layout has moved to the next page
// whole, leaving the row above it drawn down to the page's bottom without its border.
std::optional<RowToMove> FirstRowToMove(const QTextDocument& document)
{
    const QAbstractTextDocumentLayout& layout = *document.documentLayout();
    const qreal pageHeight = document.pageSize().height();
    layout.documentSize();  // lays the whole document out
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) continue;
        std::optional<int> pageAbove;  // the page the row above ends on
        for (int row = 0; row < table->rows(); ++row) {
            const Extent extent = RowExtent(*table, row, layout);
            if (extent.bottom <= extent.top) continue;
            const int first = PageOf(extent.top, pageHeight);
            const int last = PageOf(extent.bottom, pageHeight);
            const bool across = first != last && extent.bottom - extent.top < pageHeight;
            const bool dropped = pageAbove && first > *pageAbove;
            pageAbove = last;
            if (!across && !dropped) continue;
            // With nothing but the head row above it, the whole table moves, once.
            if (row <= 1 && StartsAPage(*table)) continue;
            return RowToMove{table, row};
        }
    }
    return std::nullopt;
}

void CopyCell(const QTextTableCell& from, QTextTableCell to)
{
    to.setFormat(from.format());
    QTextCursor target = to.firstCursorPosition();
    target.setBlockFormat(from.firstCursorPosition().blockFormat());
    target.insertFragment(QTextDocumentFragment(CellContents(from)));
}

void CopyRow(const QTextTable& from, int fromRow, QTextTable& to, int toRow)
{
    for (int column = 0; column < from.columns(); ++column)
        CopyCell(from.cellAt(fromRow, column), to.cellAt(toRow, column));
}

// Rows fromRow.. leave the table for a new table just after it, which starts a new page
// under a copy of the head row.
void MoveRowsToNewTable(QTextTable& table, int fromRow)
{
    const int moved = table.rows() - fromRow;
    QTextTableFormat format = table.format();
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor cursor(table.document());
    cursor.setPosition(table.lastPosition() + 1);
    QTextTable* rest = cursor.insertTable(1 + moved, table.columns(), format);
    CopyRow(table, 0, *rest, 0);
    for (int row = 0; row < moved; ++row) CopyRow(table, fromRow + row, *rest, 1 + row);
    table.removeRows(fromRow, moved);
}

}  // namespace

QTextCursor CellContents(const QTextTableCell& cell)
{
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return cursor;
}

void PaginateOn(QTextDocument& document, QPdfWriter& writer)
{
    document.documentLayout()->setPaintDevice(&writer);
    const qreal margin = kPrintMarginScreenPixels;
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    root.setLeftMargin(margin);
    root.setRightMargin(margin);
    root.setTopMargin(margin);
    root.setBottomMargin(margin);
    document.rootFrame()->setFrameFormat(root);
    document.setPageSize(QSizeF(writer.width(), writer.height()));
}

void KeepTableRowsOnOnePage(QTextDocument& document)
{
    while (const std::optional<RowToMove> move = FirstRowToMove(document)) {
        if (move->row <= 1) {
            QTextTableFormat format = move->table->format();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            move->table->setFormat(format);
        } else {
            MoveRowsToNewTable(*move->table, move->row);
        }
        // The layout follows an edit only near it; what comes after must move as well.
        document.markContentsDirty(0, document.characterCount());
    }
}

void PrintPages(const QTextDocument& document, QPdfWriter& writer)
{
    const QSizeF page = document.pageSize();
    const QFontMetricsF metrics(document.defaultFont(), &writer);
    // The page number stands right-aligned at the text's right edge, just below its bottom.
    const QPointF numberAt(page.width() - kPrintMarginScreenPixels * writer.logicalDpiX() / 96.0,
                           page.height() - kPrintMarginScreenPixels * writer.logicalDpiY() / 96.0 +
                               metrics.ascent() + 5.0 * writer.logicalDpiY() / 72);
    QPainter painter(&writer);
    for (int index = 0; index < document.pageCount(); ++index) {
        if (index > 0) writer.newPage();
        const QRectF view(0, index * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        const QString number = QString::number(index + 1);
        painter.setFont(document.defaultFont());
        painter.drawText(QPointF(numberAt.x() - painter.fontMetrics().horizontalAdvance(number), numberAt.y()), number);
    }
}

}  // namespace manual

#include "PagedPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace manual {

namespace {

// The print margin in whole pixels of a 96 dpi screen, the unit of frame margins, which the
// layout scales to the device.
const int kPrintMarginScreenPixels = static_cast<int>(kPrintMarginInches * 96);

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

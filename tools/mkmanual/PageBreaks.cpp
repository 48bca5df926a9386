#include "PageBreaks.h"

#include "PagedPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace manual {

namespace {

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

// A block of the root frame that holds text, or a table. The empty block that closes a table
// takes no room and is left out.
struct Element {
    QTextBlock block;
    QTextTable* table = nullptr;

    bool IsHeading() const { return !table && block.blockFormat().headingLevel() > 0; }
};

std::vector<Element> Elements(const QTextDocument& document)
{
    std::vector<Element> elements;
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame()))
            elements.push_back({QTextBlock(), table});
        else if (it.currentBlock().isValid() && it.currentBlock().length() > 1)
            elements.push_back({it.currentBlock(), nullptr});
    }
    return elements;
}

bool BreaksBefore(const Element& element)
{
    const QTextFormat::PageBreakFlags flags = element.table ? element.table->format().pageBreakPolicy()
                                                            : element.block.blockFormat().pageBreakPolicy();
    return flags & QTextFormat::PageBreak_AlwaysBefore;
}

void BreakBefore(const Element& element)
{
    if (element.table) {
        QTextTableFormat format = element.table->format();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        element.table->setFormat(format);
    } else {
        QTextCursor cursor(element.block);
        QTextBlockFormat format = cursor.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.setBlockFormat(format);
    }
}

// An element moves to the next page together with the headings right above it.
size_t FirstOfItsGroup(const std::vector<Element>& elements, size_t index)
{
    while (index > 0 && elements[index - 1].IsHeading()) --index;
    return index;
}

// The top of the block's first line.
qreal FirstLineTop(const QTextBlock& block, const QAbstractTextDocumentLayout& layout)
{
    const QTextLayout* lines = block.layout();
    if (lines->lineCount() == 0) return layout.blockBoundingRect(block).top();
    return lines->position().y() + lines->lineAt(0).y();
}

// The bottom of the block's line `line` (counted from 0), or of its last line if it has fewer.
qreal LineBottom(const QTextBlock& block, int line, const QAbstractTextDocumentLayout& layout)
{
    const QTextLayout* lines = block.layout();
    if (lines->lineCount() == 0) return layout.blockBoundingRect(block).bottom();
    const QTextLine chosen = lines->lineAt(std::min(line, lines->lineCount() - 1));
    return lines->position().y() + chosen.y() + chosen.height();
}

// Where the part of an element that must stand on its heading's page ends.
qreal KeptWithAHeading(const Element& element, const QAbstractTextDocumentLayout& layout)
{
    if (element.table) return RowExtent(*element.table, 0, layout).bottom;
    return LineBottom(element.block, kLeastLinesAfterAHeading - 1, layout);
}

// The first table row that does not fit where it stands: one that runs from one page onto
// the next (and would fit on a page of its own), or one that the layout has moved to the next
// page whole, leaving the row above it drawn down to the page's bottom without its border.
// Rows that could not fit under the head row anyway are passed over on a table that begins
// a page.
std::optional<int> FirstRowThatDoesNotFit(const QTextTable& table, bool beginsAPage,
                                          const QAbstractTextDocumentLayout& layout, qreal pageHeight)
{
    std::optional<int> pageAbove;  // the page the row above ends on
    for (int row = 0; row < table.rows(); ++row) {
        const Extent extent = RowExtent(table, row, layout);
        if (extent.bottom <= extent.top) continue;
        const int first = PageOf(extent.top, pageHeight);
        const int last = PageOf(extent.bottom, pageHeight);
        const bool across = first != last && extent.bottom - extent.top < pageHeight;
        const bool dropped = pageAbove && first > *pageAbove;
        pageAbove = last;
        if ((across || dropped) && !(row <= 1 && beginsAPage)) return row;
    }
    return std::nullopt;
}

// The row to begin the next page with, so that either part keeps its least body rows; 0 when
// the table had rather move whole.
int SplitRow(int rows, int firstThatDoesNotFit, bool beginsAPage)
{
    const int split = std::min(firstThatDoesNotFit, rows - kLeastBodyRowsOnAPage);
    if (split - 1 >= kLeastBodyRowsOnAPage) return split;
    return beginsAPage ? firstThatDoesNotFit : 0;
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

// A heading whose text would start on a later page than the heading begins (a heading of
// more lines than one is not split either) moves there with the headings right above it.
bool MendHeading(const std::vector<Element>& elements, size_t index, const QAbstractTextDocumentLayout& layout,
                 qreal pageHeight)
{
    size_t text = index + 1;
    while (text < elements.size() && elements[text].IsHeading()) ++text;
    if (text == elements.size()) return false;
    const int headingPage = PageOf(FirstLineTop(elements[index].block, layout), pageHeight);
    if (PageOf(KeptWithAHeading(elements[text], layout), pageHeight) <= headingPage) return false;
    const Element& group = elements[FirstOfItsGroup(elements, index)];
    if (BreaksBefore(group)) return false;
    BreakBefore(group);
    return true;
}

// A table that does not fit where it stands is split, or moves whole with its headings.
bool MendTable(const std::vector<Element>& elements, size_t index, const QAbstractTextDocumentLayout& layout,
               qreal pageHeight)
{
    QTextTable& table = *elements[index].table;
    const Element& group = elements[FirstOfItsGroup(elements, index)];
    const bool beginsAPage = BreaksBefore(group);
    const std::optional<int> row = FirstRowThatDoesNotFit(table, beginsAPage, layout, pageHeight);
    if (!row) return false;
    const int split = SplitRow(table.rows(), *row, beginsAPage);
    if (split == 0) BreakBefore(group);
    else MoveRowsToNewTable(table, split);
    return true;
}

// Mends the first place, in document order, that breaks a rule; false when there is none.
bool MendFirstBadBreak(QTextDocument& document)
{
    const QAbstractTextDocumentLayout& layout = *document.documentLayout();
    const qreal pageHeight = document.pageSize().height();
    layout.documentSize();  // lays the whole document out
    const std::vector<Element> elements = Elements(document);
    for (size_t index = 0; index < elements.size(); ++index) {
        if (elements[index].IsHeading() && MendHeading(elements, index, layout, pageHeight)) return true;
        if (elements[index].table && MendTable(elements, index, layout, pageHeight)) return true;
    }
    return false;
}

}  // namespace

void PlacePageBreaks(QTextDocument& document)
{
    while (MendFirstBadBreak(document)) {
        // The layout follows an edit only near it; what comes after must move as well.
        document.markContentsDirty(0, document.characterCount());
    }
}

}  // namespace manual

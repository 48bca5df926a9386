#pragma once
// Lays the manual out page by page on the PDF writer, keeps each table row on one page, and
// prints the pages with their numbers, as QTextDocument::print() would lay them out.

class QPdfWriter;
class QTextCursor;
class QTextDocument;
class QTextTableCell;

namespace manual {

// A cursor that selects all of a table cell's text.
QTextCursor CellContents(const QTextTableCell& cell);

// Clear room inside the page's own margins on either side, as QTextDocument::print() keeps.
constexpr double kPrintMarginInches = 2 / 2.54;

// The document is laid out on the writer's pages from now on.
void PaginateOn(QTextDocument& document, QPdfWriter& writer);

// A row that would start on one page and end on the next begins the next page instead: the
// table is split there, and its rest, headed by a copy of its first row, starts a new page.
// A row taller than a page is left to break.
void KeepTableRowsOnOnePage(QTextDocument& document);

// Prints the paginated document, each page with its number at the bottom right.
void PrintPages(const QTextDocument& document, QPdfWriter& writer);

}  // namespace manual

#pragma once
// Lays the manual out page by page on the PDF writer and prints the pages with their numbers,
// as QTextDocument::print() would lay them out.

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

// Prints the paginated document, each page with its number at the bottom right.
void PrintPages(const QTextDocument& document, QPdfWriter& writer);

}  // namespace manual

#pragma once
// Where the manual's pages break: a heading stays with the start of its text, a table row
// stays on one page, and a table split across pages keeps enough rows on either side.

class QTextDocument;

namespace manual {

// Body rows that either part of a table split across pages holds at least.
constexpr int kLeastBodyRowsOnAPage = 2;
// Lines of the text after a heading that stand on the heading's page at least (all of a
// shorter paragraph; of a table, its head row, which brings its first body rows with it).
constexpr int kLeastLinesAfterAHeading = 2;

// On a paginated document, moves to the next page what would break these rules, first to
// last, until none is broken:
// - a heading (or a run of headings) whose text would start on a later page begins the next
//   page itself;
// - a table row that would start on one page and end on the next begins the next page: the
//   table is split there, and its rest, headed by a copy of its first row, starts a new page.
//   A row taller than a page is left to break;
// - the split moves up so that the rest holds kLeastBodyRowsOnAPage body rows; when the part
//   left above would then hold fewer, the whole table begins the next page instead, with the
//   headings right above it. A table that begins a page already is split where it must be.
void PlacePageBreaks(QTextDocument& document);

}  // namespace manual

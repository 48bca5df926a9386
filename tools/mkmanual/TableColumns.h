#pragma once
// The widths of the manual's table columns.

class QPdfWriter;
class QTextDocument;

namespace manual {

// Every table spans the text's width. Each column gets at least the room of its widest run
// of text without a blank, so that a name or a quoted control text is never broken; the
// rest is shared out by the length of the longest text in each column.
void FitAllTables(QTextDocument& document, QPdfWriter& writer);

}  // namespace manual

#pragma once
// The manual's pages: the PDF writer's set-up, and the steps that lay the guide out on it.

class QPdfWriter;
class QTextDocument;

namespace manual {

// A4 portrait at 300 dpi with the manual's margins, its title and creator.
void SetUpWriter(QPdfWriter& writer);

// Styles the guide, fits its tables, lays it out on the writer's pages and places the page
// breaks; what is left is to print it.
void LayOutManual(QTextDocument& document, QPdfWriter& writer);

}  // namespace manual

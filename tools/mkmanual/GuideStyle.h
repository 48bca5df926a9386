#pragma once
// The manual's type: the body font, names set in monospace, and the space above headings.

#include <QFont>

class QTextDocument;

namespace manual {

// The body font: one that holds the Chinese control texts, the first one installed of a
// short list, at the body size.
QFont BodyFont();

// Names that the guide sets in monospace take the body's size, in place of the fixed
// font's own size that the Markdown reader gives them, which is larger; and the body
// family's own monospace face where one is installed, whose lines stand on the body's
// baseline (else the system's fixed font).
void SetCodeInBodySize(QTextDocument& document);

// A heading right after a table gets the space above it that it has after a paragraph:
// the paragraph's bottom margin. A table leaves none below itself.
void SpaceHeadingsAfterTables(QTextDocument& document);

}  // namespace manual

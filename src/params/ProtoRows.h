#pragma once
// Building and reading protocol-table rows: the two fresh states of a row record, the
// 60-character list fields and the separators of the table texts.

#include "params/ParamTypes.h"

#include <QString>
#include <QStringList>

namespace params {

constexpr int kOptionTextLength = 60;

inline const QString kCellSeparator = QStringLiteral("\\/");
inline const QString kAttributeSeparator = QStringLiteral("><");
inline const QString kListSeparator = QStringLiteral("||");

// A record as added to a table: numbers 0 and both texts 60 zero characters.
ProtoRowRecord NewProtoRow();

// The defaults that each displayed cell of a row sets: no value, Divisor 1, blank texts.
void ResetToRowDefaults(ProtoRowRecord& row);

// The text placed at the left of a 60-character field: cut or padded with blanks.
QString FitOptionText(QStringView text);

// All pieces of a text split at a literal separator, empty ones included.
QStringList SplitLiteral(const QString& text, const QString& separator);

// The same pieces as views into the text, for reading it without copies; they stay
// valid as long as the text does.
QList<QStringView> SplitLiteralViews(QStringView text, QStringView separator);

// The text without the blanks at its end.
QString WithoutTrailingBlanks(const QString& text);

}  // namespace params

#include "params/ProtoRows.h"

namespace params {

ProtoRowRecord NewProtoRow()
{
    ProtoRowRecord row;
    row.Options = QString(kOptionTextLength, QChar(0));
    row.OptionValues = QString(kOptionTextLength, QChar(0));
    return row;
}

void ResetToRowDefaults(ProtoRowRecord& row)
{
    row.Offset = 0;
    row.ByteSize = 0;
    row.Decimals = 0;
    row.BitNo = 0;
    row.IsList = 0;
    row.IsFloat = 0;
    row.Divisor = 1;
    row.Options.fill(QChar(' '), kOptionTextLength);  // keeps the text's storage
    row.OptionValues.fill(QChar(' '), kOptionTextLength);
}

QString FitOptionText(QStringView text)
{
    return text.left(kOptionTextLength).toString().leftJustified(kOptionTextLength, QChar(' '));
}

QStringList SplitLiteral(const QString& text, const QString& separator)
{
    QStringList pieces;
    for (QStringView piece : SplitLiteralViews(text, separator)) pieces.append(piece.toString());
    return pieces;
}

QList<QStringView> SplitLiteralViews(QStringView text, QStringView separator)
{
    QList<QStringView> pieces;
    qsizetype start = 0;
    // Searching for the separator's first character, then checking the rest, is several
    // times faster than a search for the whole separator; a table splits every line.
    for (qsizetype at = text.indexOf(separator.front()); at >= 0; at = text.indexOf(separator.front(), at)) {
        if (!text.sliced(at).startsWith(separator)) {
            ++at;
            continue;
        }
        pieces.append(text.sliced(start, at - start));
        at += separator.size();
        start = at;
    }
    pieces.append(text.sliced(start));
    return pieces;
}

QString WithoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QChar(' ')) --end;
    return text.left(end);
}

}  // namespace params

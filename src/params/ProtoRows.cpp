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
    return text.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QList<QStringView> SplitLiteralViews(QStringView text, QStringView separator)
{
    return text.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QString WithoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QChar(' ')) --end;
    return text.left(end);
}

}  // namespace params

#include "WholePaths.h"

#include <QList>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace manual {

void KeepPathsWhole(QTextDocument& document)
{
    static const QRegularExpression path(QStringLiteral("[^\\s]*[/\\\\][^\\s]*"));
    constexpr QChar kWordJoiner(0x2060);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        QList<int> joins;  // offsets in the block before which a joiner goes
        for (auto match = path.globalMatch(text); match.hasNext();) {
            const QRegularExpressionMatch run = match.next();
            for (int i = int(run.capturedStart()) + 1; i < run.capturedEnd(); ++i) joins << i;
        }
        QTextCursor cursor(block);
        for (auto it = joins.crbegin(); it != joins.crend(); ++it) {
            cursor.setPosition(block.position() + *it);
            cursor.insertText(QString(kWordJoiner));
        }
    }
}

}  // namespace manual

#include "GuideStyle.h"

#include <QFontDatabase>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <algorithm>
#include <vector>

namespace manual {

namespace {

constexpr qreal kBodyPointSize = 10.5;

bool Installed(const QString& family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

// The monospace face for names in `body`'s text: the body family's own monospace face
// where one is installed (its lines stand on the body's baseline), else the system's
// fixed font; at the body's size.
QFont CodeFont(const QFont& body)
{
    const QString ownMonospace = body.family() + QStringLiteral(" Mono");
    QFont font = Installed(ownMonospace) ? QFont(ownMonospace) : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(body.pointSizeF());
    return font;
}

struct Range {
    int position;
    int length;
};

// Where the document's text is set in a fixed-pitch font.
std::vector<Range> CodeRanges(const QTextDocument& document)
{
    std::vector<Range> ranges;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (QTextBlock::iterator piece = block.begin(); !piece.atEnd(); ++piece)
            if (piece.fragment().charFormat().fontFixedPitch())
                ranges.push_back({piece.fragment().position(), piece.fragment().length()});
    return ranges;
}

}  // namespace

QFont BodyFont()
{
    // When none of these is installed, Qt's own font fallback still picks whatever CJK
    // font the system has.
    const QStringList preferred = {
        QStringLiteral("SimSun"),           QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("AR PL UMing CN"),   QStringLiteral("Droid Sans Fallback"),
    };
    QFont font;
    for (const QString& family : preferred) {
        if (Installed(family)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPointSizeF(kBodyPointSize);
    return font;
}

void SetCodeInBodySize(QTextDocument& document)
{
    const QFont code = CodeFont(document.defaultFont());
    QTextCharFormat format;
    format.setFontFamilies(QStringList{code.family()});
    format.setFontPointSize(code.pointSizeF());
    format.setFontFixedPitch(true);
    QTextCursor cursor(&document);
    for (const Range& range : CodeRanges(document)) {
        cursor.setPosition(range.position);
        cursor.setPosition(range.position + range.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
}

void SpaceHeadingsAfterTables(QTextDocument& document)
{
    qreal paragraphGap = 0;
    bool afterTable = false;
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (qobject_cast<QTextTable*>(it.currentFrame())) {
            afterTable = true;
            continue;
        }
        const QTextBlock block = it.currentBlock();
        if (!block.isValid()) continue;
        QTextBlockFormat format = block.blockFormat();
        if (format.headingLevel() == 0) {
            // The block that closes a table is empty and takes no room.
            if (block.length() > 1) {
                paragraphGap = format.bottomMargin();
                afterTable = false;
            }
            continue;
        }
        if (afterTable) {
            format.setTopMargin(std::max(format.topMargin(), paragraphGap));
            QTextCursor(block).setBlockFormat(format);
        }
        afterTable = false;
    }
}

}  // namespace manual

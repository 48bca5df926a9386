// The manual's layout: a table row stays on one page (the rest of the table starts the next
// page under its head row), and a path stays on one line.
#include "PagedPrint.h"
#include "WholePaths.h"

#include "support/TempFolder.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <cmath>
#include <gtest/gtest.h>

namespace {

struct RowOnPages {
    QString text;
    int firstPage;
    int lastPage;
};

// Every row of every table in document order, with the pages its lines stand on.
std::vector<RowOnPages> TableRows(const QTextDocument& document)
{
    const QAbstractTextDocumentLayout& layout = *document.documentLayout();
    const qreal pageHeight = document.pageSize().height();
    std::vector<RowOnPages> rows;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) continue;
        for (int row = 0; row < table->rows(); ++row) {
            RowOnPages entry{QString(), INT_MAX, -1};
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                entry.text += manual::CellContents(cell).selectedText() + '|';
                for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
                    const QRectF rect = layout.blockBoundingRect(it.currentBlock());
                    entry.firstPage = std::min(entry.firstPage, int(std::floor(rect.top() / pageHeight)));
                    entry.lastPage = std::max(entry.lastPage, int(std::floor(rect.bottom() / pageHeight)));
                }
            }
            rows.push_back(entry);
        }
    }
    return rows;
}

TEST(ManualLayout, ATableRowStaysOnOnePageAndTheRestOfTheTableRepeatsItsHead)
{
    testsupport::TempFolder folder;
    QPdfWriter writer(folder.file("manual.pdf"));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A6), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                     QPageLayout::Millimeter));
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("Before the table"));
    QTextTable* table = cursor.insertTable(31, 2);
    table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("Entry"));
    table->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("What it does"));
    QStringList expected{QStringLiteral("Entry|What it does|")};
    for (int row = 1; row < table->rows(); ++row) {
        const QString entry = QStringLiteral("\"%1\"").arg(row);
        const QString lines = QStringLiteral("line one\nline two\nline three of %1").arg(row);
        table->cellAt(row, 0).firstCursorPosition().insertText(entry);
        table->cellAt(row, 1).firstCursorPosition().insertText(lines);
        expected << entry + '|' + QString(lines).replace('\n', QChar::ParagraphSeparator) + '|';
    }
    manual::PaginateOn(document, writer);
    manual::KeepTableRowsOnOnePage(document);

    QStringList texts;
    int lastPage = 0;
    for (const RowOnPages& row : TableRows(document)) {
        EXPECT_EQ(row.firstPage, row.lastPage) << row.text.toStdString();
        // A row on a new page is the head row of the rest of the table.
        if (row.firstPage > lastPage) EXPECT_EQ(row.text, expected.first()) << row.text.toStdString();
        else texts << row.text;
        lastPage = row.lastPage;
    }
    EXPECT_GE(lastPage, 2);  // the table runs over several pages
    EXPECT_EQ(texts, expected);
}

TEST(ManualLayout, APathIsNotBrokenAtItsSlashesOrBackslashes)
{
    for (const QString& path : {QStringLiteral("/dev/ttyACM*"), QStringLiteral("\"D:\\ProRecord(M0)\")")}) {
        SCOPED_TRACE(path.toStdString());
        QTextDocument document;
        document.setPlainText(QStringLiteral("then all the devices ") + path + QStringLiteral(" in order"));
        manual::KeepPathsWhole(document);
        // Wide enough for the path, but not for the path behind the words before it.
        const QFontMetricsF metrics(document.defaultFont());
        document.setTextWidth(metrics.horizontalAdvance(QStringLiteral("then all the devices ") + path.left(3)) +
                              document.documentMargin() * 2);
        document.size();  // lays the text out
        const QTextBlock block = document.firstBlock();
        QTextLayout* layout = block.layout();
        const QString shown = block.text().remove(QChar(0x2060));
        EXPECT_EQ(shown, QStringLiteral("then all the devices ") + path + QStringLiteral(" in order"));
        QStringList lines;
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << block.text().mid(line.textStart(), line.textLength()).remove(QChar(0x2060));
        }
        EXPECT_EQ(lines.filter(path).size(), 1) << lines.join(QStringLiteral(" | ")).toStdString();
    }
}

}  // namespace

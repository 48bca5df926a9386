// The manual's layout: a table row stays on one page (the rest of the table starts the next
// page under its head row), a path stays on one line, names in monospace are set in the
// body's size on its baseline, and a heading after a table has space above it.
#include "GuideStyle.h"
#include "PageBreaks.h"
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
#include <QTextFrame>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <algorithm>
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
    manual::PlacePageBreaks(document);

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

// A guide in Markdown, styled as the manual is and laid out on A4 pages.
struct LaidOutGuide {
    explicit LaidOutGuide(const QString& markdown) : writer(folder.file("guide.pdf"))
    {
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 16, 18, 16),
                                         QPageLayout::Millimeter));
        document.setDefaultFont(manual::BodyFont());
        document.setMarkdown(markdown);
        manual::SetCodeInBodySize(document);
        manual::SpaceHeadingsAfterTables(document);
        manual::PaginateOn(document, writer);
        document.documentLayout()->documentSize();  // lays the whole document out
    }

    QRectF TextRect(const QTextBlock& block) const { return document.documentLayout()->blockBoundingRect(block); }

    QTextTable* FirstTable() const
    {
        for (QTextFrame* frame : document.rootFrame()->childFrames())
            if (auto* table = qobject_cast<QTextTable*>(frame)) return table;
        return nullptr;
    }

    testsupport::TempFolder folder;
    QPdfWriter writer;
    QTextDocument document;
};

struct FirstLine {
    qreal baseline;
    qreal height;
    QList<QGlyphRun> runs;
};

FirstLine FirstLineOf(const LaidOutGuide& guide, const QTextTableCell& cell)
{
    const QTextBlock block = cell.firstCursorPosition().block();
    const QTextLine line = block.layout()->lineAt(0);
    return {guide.TextRect(block).top() + line.y() + line.ascent(), line.height(), line.glyphRuns()};
}

TEST(ManualLayout, ANameInMonospaceInATableIsTheBodysSizeAndStandsOnItsBaseline)
{
    const LaidOutGuide guide(QStringLiteral("| File | Purpose |\n|---|---|\n| `Config.For` | protocol table |\n"));
    QTextTable* table = guide.FirstTable();
    ASSERT_NE(table, nullptr);
    const QTextTableCell codeCell = table->cellAt(1, 0);
    EXPECT_TRUE(codeCell.firstCursorPosition().block().begin().fragment().charFormat().fontFixedPitch());

    const FirstLine name = FirstLineOf(guide, codeCell);
    const FirstLine body = FirstLineOf(guide, table->cellAt(1, 1));
    ASSERT_EQ(name.runs.size(), 1);
    ASSERT_EQ(body.runs.size(), 1);
    EXPECT_EQ(name.runs[0].rawFont().pixelSize(), body.runs[0].rawFont().pixelSize());
    EXPECT_NEAR(name.baseline, body.baseline, body.height / 100);
}

// Runs of rows of the laid-out first page that hold ink, top to bottom, as [first, last].
std::vector<std::pair<int, int>> InkBands(const LaidOutGuide& guide)
{
    constexpr double kInchesPerMetre = 1 / 0.0254;
    const QSizeF page = guide.document.pageSize();
    QImage image(page.toSize(), QImage::Format_Grayscale8);
    image.setDotsPerMeterX(int(guide.writer.resolution() * kInchesPerMetre));
    image.setDotsPerMeterY(int(guide.writer.resolution() * kInchesPerMetre));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, Qt::black);
        guide.document.documentLayout()->draw(&painter, context);
    }
    std::vector<std::pair<int, int>> bands;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        if (std::none_of(row, row + image.width(), [](uchar grey) { return grey < 160; })) continue;
        if (!bands.empty() && bands.back().second == y - 1)
            bands.back().second = y;
        else
            bands.emplace_back(y, y);
    }
    return bands;
}

TEST(ManualLayout, AHeadingAfterATableHasTheSpaceAboveItThatItHasAfterAParagraph)
{
    // Ink, top to bottom: the paragraph, the first heading, the table (its borders join it
    // into one run), the second heading.
    const LaidOutGuide guide(QStringLiteral("A paragraph.\n\n### After a paragraph\n\n| a | b |\n|---|---|\n"
                                            "| 1 | 2 |\n\n### After a table\n"));
    const auto bands = InkBands(guide);
    ASSERT_EQ(bands.size(), 4u);
    const int afterParagraph = bands[1].first - bands[0].second;
    const int afterTable = bands[3].first - bands[2].second;
    EXPECT_GE(afterTable, afterParagraph * 9 / 10) << afterParagraph;
}

}  // namespace

// Where the manual's pages break: wherever a page ends, a heading stays with the start of its
// text, and a table split across pages keeps two body rows on either side, its heading with it.
#include "GuideStyle.h"
#include "ManualLayout.h"
#include "PageBreaks.h"
#include "PagedPrint.h"

#include "support/TempFolder.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// A guide in Markdown on small pages, `lead` one-line paragraphs before `rest`, so that over a
// range of leads every place of `rest` on a page comes up.
struct SmallPages {
    SmallPages(int lead, const QString& rest) : writer(folder.file("pages.pdf"))
    {
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A6), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                         QPageLayout::Millimeter));
        QString markdown;
        for (int i = 0; i < lead; ++i) markdown += QStringLiteral("Lead %1.\n\n").arg(i);
        document.setMarkdown(markdown + rest);
        manual::PaginateOn(document, writer);
        manual::PlacePageBreaks(document);
        document.documentLayout()->documentSize();
    }

    testsupport::TempFolder folder;
    QPdfWriter writer;
    QTextDocument document;
};

int PageOf(const QTextDocument& document, qreal y) { return int(std::floor(y / document.pageSize().height())); }

// The page of the block's line `line`.
int LinePage(const QTextBlock& block, int line)
{
    const QTextLayout* layout = block.layout();
    return PageOf(*block.document(), layout->position().y() + layout->lineAt(line).y());
}

QTextBlock BlockStartingWith(const QTextDocument& document, const QString& text)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (block.text().startsWith(text)) return block;
    return {};
}

bool BeginsAPage(const QTextBlock& block)
{
    return block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
}

std::vector<QTextTable*> Tables(const QTextDocument& document)
{
    std::vector<QTextTable*> tables;
    for (QTextFrame* frame : document.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame)) tables.push_back(table);
    return tables;
}

QString CellText(const QTextTable& table, int row, int column)
{
    return manual::CellContents(table.cellAt(row, column)).selectedText();
}

// The pages the row's lines stand on, first and last.
std::pair<int, int> RowPages(const QTextTable& table, int row)
{
    const QAbstractTextDocumentLayout& layout = *table.document()->documentLayout();
    int first = INT_MAX, last = -1;
    for (int column = 0; column < table.columns(); ++column) {
        const QTextTableCell cell = table.cellAt(row, column);
        for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
            const QRectF rect = layout.blockBoundingRect(it.currentBlock());
            first = std::min(first, PageOf(*table.document(), rect.top()));
            last = std::max(last, PageOf(*table.document(), rect.bottom()));
        }
    }
    return {first, last};
}

// The one page all of the table's rows stand on, or -1 when they stand on more.
int TablePage(const QTextTable& table)
{
    const int page = RowPages(table, 0).first;
    for (int row = 0; row < table.rows(); ++row)
        if (RowPages(table, row) != std::make_pair(page, page)) return -1;
    return page;
}

bool NoTextBetween(const QTextTable& first, const QTextTable& second)
{
    QTextCursor between(first.document());
    // From just after the first table's end mark to just before the second's start mark.
    between.setPosition(first.lastPosition() + 1);
    between.setPosition(second.firstPosition() - 1, QTextCursor::KeepAnchor);
    QString text = between.selectedText();
    // The marks that stand for block ends and for a frame's start and end.
    for (QChar mark : {QChar(QChar::ParagraphSeparator), QChar(0xFDD0), QChar(0xFDD1)}) text.remove(mark);
    return text.trimmed().isEmpty();
}

TEST(ManualPageBreaks, AHeadingStaysWithTheStartOfItsTextWhereverThePageEnds)
{
    const QString rest = QStringLiteral(
        "## 5. Setting parameters\n\n### 5.1 The grids\n\n"
        "The setting grid and the display grid share one place; the tool brings the one that an operation "
        "needs to the front. Each row is one parameter; column 3 holds its value, and a value that differs "
        "from the stored one turns red.\n");
    int moved = 0;
    for (int lead = 0; lead < 40; ++lead) {
        SCOPED_TRACE(lead);
        const SmallPages pages(lead, rest);
        const QTextBlock section = BlockStartingWith(pages.document, QStringLiteral("5. "));
        const QTextBlock grids = BlockStartingWith(pages.document, QStringLiteral("5.1 "));
        const QTextBlock text = BlockStartingWith(pages.document, QStringLiteral("The setting grid"));
        ASSERT_GE(text.layout()->lineCount(), manual::kLeastLinesAfterAHeading + 1);
        EXPECT_EQ(LinePage(section, 0), LinePage(grids, 0));
        EXPECT_EQ(LinePage(grids, 0), LinePage(text, manual::kLeastLinesAfterAHeading - 1));
        EXPECT_FALSE(BeginsAPage(grids));  // the run of headings moves as one
        if (BeginsAPage(section)) ++moved;
    }
    EXPECT_GT(moved, 0);  // some lead left the headings at a page's foot
}

TEST(ManualPageBreaks, ASplitTableKeepsTwoBodyRowsOnEitherSideAndItsHeadingWhereverThePageEnds)
{
    QString rest = QStringLiteral("### Messages\n\n| Message | Meaning |\n|---|---|\n");
    QStringList bodyRows;
    for (int row = 1; row <= 5; ++row) {
        rest += QStringLiteral("| \"Row %1\" | what the message of row %1 means, told at some length |\n").arg(row);
        bodyRows << QStringLiteral("\"Row %1\"").arg(row);
    }
    int splits = 0, moves = 0;
    for (int lead = 0; lead < 40; ++lead) {
        SCOPED_TRACE(lead);
        const SmallPages pages(lead, rest);
        const std::vector<QTextTable*> parts = Tables(pages.document);
        ASSERT_FALSE(parts.empty());
        QStringList shown;
        for (const QTextTable* part : parts) {
            EXPECT_NE(TablePage(*part), -1);
            EXPECT_EQ(CellText(*part, 0, 0), QStringLiteral("Message"));
            if (parts.size() > 1) EXPECT_GE(part->rows() - 1, manual::kLeastBodyRowsOnAPage);
            for (int row = 1; row < part->rows(); ++row) shown << CellText(*part, row, 0);
        }
        EXPECT_EQ(shown, bodyRows);
        const QTextBlock heading = BlockStartingWith(pages.document, QStringLiteral("Messages"));
        EXPECT_EQ(LinePage(heading, 0), TablePage(*parts.front()));
        if (parts.size() > 1) ++splits;
        if (BeginsAPage(heading)) ++moves;
    }
    // Some lead split the table, and some left too few rows for a split above the page's foot.
    EXPECT_GT(splits, 0);
    EXPECT_GT(moves, 0);
}

TEST(ManualPageBreaks, TheManualsSplitTablesKeepTwoBodyRowsOnEitherSide)
{
    QFile guide(QStringLiteral(TOLVEXAN_MANUAL_SOURCE));
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    testsupport::TempFolder folder;
    QPdfWriter writer(folder.file("manual.pdf"));
    QTextDocument document;
    document.setDefaultFont(manual::BodyFont());
    document.setMarkdown(QString::fromUtf8(guide.readAll()));
    manual::SetUpWriter(writer);
    manual::LayOutManual(document, writer);
    document.documentLayout()->documentSize();

    int splits = 0;
    const std::vector<QTextTable*> tables = Tables(document);
    for (size_t index = 0; index < tables.size(); ++index) {
        const QTextTable& table = *tables[index];
        SCOPED_TRACE(CellText(table, 0, 0).toStdString());
        EXPECT_NE(TablePage(table), -1);
        // A part of a split table follows the one before it at once, under the same head row.
        if (index == 0) continue;
        const QTextTable& before = *tables[index - 1];
        if (!NoTextBetween(before, table)) continue;
        if (CellText(before, 0, 0) != CellText(table, 0, 0)) continue;
        ++splits;
        EXPECT_GE(before.rows() - 1, manual::kLeastBodyRowsOnAPage);
        EXPECT_GE(table.rows() - 1, manual::kLeastBodyRowsOnAPage);
    }
    EXPECT_GT(splits, 0);  // the manual has tables split across pages
}

}  // namespace

// The built manual's text, as pdftotext reads it out of the PDF, says only what the tool
// does, and no page ends with a heading.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// The manual's text as pdftotext reads it; with `layout`, each page's lines as they stand.
QString ManualText(bool layout = false)
{
    QStringList arguments{"-enc", "UTF-8", QStringLiteral(TOLVEXAN_MANUAL), "-"};
    if (layout) arguments.prepend(QStringLiteral("-layout"));
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), arguments);
    EXPECT_TRUE(pdftotext.waitForFinished(60000)) << pdftotext.errorString().toStdString();
    EXPECT_EQ(pdftotext.exitCode(), 0) << pdftotext.readAllStandardError().toStdString();
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).remove(QChar(0x2060));  // the joiners that keep paths whole
}

// The manual's text with every run of white space made one blank, as sentences.
QStringList ManualSentences()
{
    const QString text = ManualText().replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
    return text.split(QRegularExpression(QStringLiteral("(?<=[.;:]) ")));
}

// The headings of the guide the manual is made from, as the manual shows them.
QStringList GuideHeadings()
{
    QFile guide(QStringLiteral(TOLVEXAN_MANUAL_SOURCE));
    EXPECT_TRUE(guide.open(QIODevice::ReadOnly));
    QStringList headings;
    for (const QString& line : QString::fromUtf8(guide.readAll()).split('\n'))
        if (line.startsWith('#')) headings << line.section(' ', 1).trimmed();
    return headings;
}

TEST(ManualText, PanelOneIsDescribedAsTheUserSeesIt)
{
    const QStringList sentences = ManualSentences();
    ASSERT_GT(sentences.size(), 100);
    // The first tick replaces the status bar's design text before the window shows.
    EXPECT_EQ(sentences.filter(QStringLiteral("串口未打开")), QStringList{});
    EXPECT_FALSE(sentences.filter(QStringLiteral("\"Open port first！\"")).isEmpty());
}

TEST(ManualText, EraseWithThePortClosedIsDescribedAsTheUserSeesIt)
{
    // The engine's port check writes panel 1 on every tick: the erase entry's own text
    // stands there for less than one.
    const QStringList sentences = ManualSentences().filter(QStringLiteral("请先打开串口！"));
    ASSERT_FALSE(sentences.isEmpty());
    for (const QString& sentence : sentences)
        EXPECT_TRUE(sentence.contains(QStringLiteral("\"Open port first！\""))) << sentence.toStdString();
}

TEST(ManualText, NoPageEndsWithAHeading)
{
    const QStringList headings = GuideHeadings();
    ASSERT_GT(headings.size(), 10);
    const QStringList pages = ManualText(true).split('\f', Qt::SkipEmptyParts);
    ASSERT_GT(pages.size(), 1);
    for (int index = 0; index < pages.size(); ++index) {
        QStringList lines;
        for (const QString& line : pages[index].split('\n'))
            if (!line.trimmed().isEmpty()) lines << line.simplified();
        if (!lines.isEmpty() && lines.last() == QString::number(index + 1)) lines.removeLast();  // its number
        ASSERT_FALSE(lines.isEmpty()) << "page " << index + 1;
        EXPECT_FALSE(headings.contains(lines.last())) << "page " << index + 1 << ": " << lines.last().toStdString();
    }
}

TEST(ManualText, NoMessageIsPromisedForAManualThatNoViewerShows)
{
    // Handing the manual to the desktop's opener has no result that the tool looks at.
    for (const QString& sentence : ManualSentences().filter(QStringLiteral("Open the help documentation errors!")))
        EXPECT_FALSE(sentence.contains(QStringLiteral("viewer"))) << sentence.toStdString();
}

}  // namespace

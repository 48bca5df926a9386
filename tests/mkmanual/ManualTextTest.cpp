// The built manual's text, as pdftotext reads it out of the PDF, says only what the tool
// does.
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// The manual's text with every run of white space made one blank, as sentences.
QStringList ManualSentences()
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-enc", "UTF-8", QStringLiteral(TOLVEXAN_MANUAL), "-"});
    EXPECT_TRUE(pdftotext.waitForFinished(60000)) << pdftotext.errorString().toStdString();
    EXPECT_EQ(pdftotext.exitCode(), 0) << pdftotext.readAllStandardError().toStdString();
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput())
                             .remove(QChar(0x2060))  // the joiners that keep paths whole
                             .replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
    return text.split(QRegularExpression(QStringLiteral("(?<=[.;:]) ")));
}

TEST(ManualText, PanelOneIsDescribedAsTheUserSeesIt)
{
    const QStringList sentences = ManualSentences();
    ASSERT_GT(sentences.size(), 100);
    // The first tick replaces the status bar's design text before the window shows.
    EXPECT_EQ(sentences.filter(QStringLiteral("串口未打开")), QStringList{});
    EXPECT_FALSE(sentences.filter(QStringLiteral("\"Open port first！\"")).isEmpty());
}

TEST(ManualText, NoMessageIsPromisedForAManualThatNoViewerShows)
{
    // Handing the manual to the desktop's opener has no result that the tool looks at.
    for (const QString& sentence : ManualSentences().filter(QStringLiteral("Open the help documentation errors!")))
        EXPECT_FALSE(sentence.contains(QStringLiteral("viewer"))) << sentence.toStdString();
}

}  // namespace

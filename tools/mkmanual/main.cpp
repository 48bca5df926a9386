// Turns the user guide (Markdown or HTML, UTF-8) into the PDF manual that sits beside
// the program. Usage: mkmanual <guide.md|guide.html> <output.pdf>

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QVector>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kResolution = 300;
constexpr qreal kBodyPointSize = 10.5;

// A font that holds the Chinese control texts; the first one installed wins. When none
// is, Qt's own font fallback still picks whatever CJK font the system has.
QFont ManualFont()
{
    const QStringList preferred = {
        QStringLiteral("SimSun"),           QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("AR PL UMing CN"),   QStringLiteral("Droid Sans Fallback"),
    };
    const QStringList installed = QFontDatabase::families();
    QFont font;
    for (const QString& family : preferred) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPointSizeF(kBodyPointSize);
    return font;
}

bool ReadGuide(const QString& path, QTextDocument& document)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QString text = QString::fromUtf8(file.readAll());
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        document.setHtml(text);
    else
        document.setMarkdown(text);
    return true;
}

// Width of a text in half-width columns: wide (CJK and full-width) characters count twice.
int DisplayWidth(const QString& text)
{
    int width = 0;
    for (QChar c : text) width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

// Markdown tables come with equal columns; give each column a share of the width that
// follows the longest text in it, so short key columns leave room for descriptions.
void FitTableColumns(QTextTable& table)
{
    constexpr int kLongestCounted = 60;
    constexpr int kMinimumWeight = 10;
    QVector<int> weights(table.columns(), kMinimumWeight);
    for (int row = 0; row < table.rows(); ++row) {
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            QTextCursor cursor = cell.firstCursorPosition();
            cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            const int length = std::min(DisplayWidth(cursor.selectedText()), kLongestCounted);
            weights[column] = std::max(weights[column], length);
        }
    }
    int total = 0;
    for (int weight : weights) total += weight;
    QVector<QTextLength> widths;
    for (int weight : weights)
        widths << QTextLength(QTextLength::PercentageLength, 100.0 * weight / total);

    QTextTableFormat format = table.format();
    format.setColumnWidthConstraints(widths);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setCellPadding(3);
    format.setBorderCollapse(true);
    table.setFormat(format);
}

void FitAllTables(QTextDocument& document)
{
    for (QTextFrame* frame : document.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame)) FitTableColumns(*table);
}

bool WritePdf(QTextDocument& document, const QString& path)
{
    QPdfWriter writer(path);
    writer.setResolution(kResolution);
    writer.setTitle(QStringLiteral("Tolvexan User Guide"));
    writer.setCreator(QStringLiteral("Tolvexan"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(18, 16, 18, 16), QPageLayout::Millimeter));
    document.print(&writer);
    return QFileInfo(path).size() > 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkmanual <guide.md|guide.html> <output.pdf>\n");
        return 2;
    }
    const QString guidePath = QString::fromLocal8Bit(argv[1]);
    const QString pdfPath = QString::fromLocal8Bit(argv[2]);

    QTextDocument document;
    document.setDefaultFont(ManualFont());
    if (!ReadGuide(guidePath, document)) {
        std::fprintf(stderr, "mkmanual: cannot read %s\n", argv[1]);
        return 1;
    }
    FitAllTables(document);
    if (!WritePdf(document, pdfPath)) {
        std::fprintf(stderr, "mkmanual: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

// Turns the user guide (Markdown or HTML, UTF-8) into the PDF manual that sits beside
// the program. Usage: mkmanual <guide.md|guide.html> <output.pdf>

#include "GuideStyle.h"
#include "ManualLayout.h"
#include "PagedPrint.h"

#include "common/RuntimeFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

namespace {

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

}  // namespace

int main(int argc, char** argv)
{
    common::ProvideRuntimeFolder(QDir::tempPath());
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkmanual <guide.md|guide.html> <output.pdf>\n");
        return 2;
    }
    const QString guidePath = QString::fromLocal8Bit(argv[1]);
    const QString pdfPath = QString::fromLocal8Bit(argv[2]);

    QTextDocument document;
    document.setDefaultFont(manual::BodyFont());
    if (!ReadGuide(guidePath, document)) {
        std::fprintf(stderr, "mkmanual: cannot read %s\n", argv[1]);
        return 1;
    }
    {
        QPdfWriter writer(pdfPath);
        manual::SetUpWriter(writer);
        manual::LayOutManual(document, writer);
        manual::PrintPages(document, writer);
    }
    if (QFileInfo(pdfPath).size() == 0) {
        std::fprintf(stderr, "mkmanual: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

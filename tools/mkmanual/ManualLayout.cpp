#include "ManualLayout.h"

#include "GuideStyle.h"
#include "PageBreaks.h"
#include "PagedPrint.h"
#include "TableColumns.h"
#include "WholePaths.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace manual {

namespace {

constexpr int kResolution = 300;

}  // namespace

void SetUpWriter(QPdfWriter& writer)
{
    writer.setResolution(kResolution);
    writer.setTitle(QStringLiteral("Tolvexan User Guide"));
    writer.setCreator(QStringLiteral("Tolvexan"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(18, 16, 18, 16), QPageLayout::Millimeter));
}

void LayOutManual(QTextDocument& document, QPdfWriter& writer)
{
    SetCodeInBodySize(document);
    SpaceHeadingsAfterTables(document);
    KeepPathsWhole(document);
    FitAllTables(document, writer);
    PaginateOn(document, writer);
    PlacePageBreaks(document);
}

}  // namespace manual

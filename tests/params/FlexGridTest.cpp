#include "params/FlexGrid.h"
#include "params/GridColors.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using params::FlexGrid;
using params::RGB;

namespace {

struct ShownGrid : ::testing::Test {
    QWidget host;
    FlexGrid* grid = new FlexGrid(&host);
    void SetUp() override
    {
        host.resize(800, 600);
        grid->SetRows(10);
        grid->SetCols(4);
        grid->SetLeft(300);
        grid->SetTop(150);
        grid->SetWidth(6000);
        grid->SetHeight(3000);
        for (int c = 0; c < 4; ++c) grid->SetColWidth(c, 900);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    }
    QPoint CellCentre(int row, int col) const
    {
        return grid->visualRect(grid->model()->index(row, col)).center();
    }
};

}  // namespace

TEST(FlexGrid, MeasuresInTwipsReadBackAsSet)
{
    FlexGrid grid;
    grid.SetCols(3);
    grid.SetHeight(1234);
    grid.SetLeft(100);
    EXPECT_EQ(grid.Height(), 1234);
    EXPECT_EQ(grid.height(), 82);
    EXPECT_EQ(grid.Left(), 100);
    ASSERT_TRUE(grid.SetRowHeight(1, 310));
    EXPECT_EQ(grid.RowHeight(1), 310);
    EXPECT_EQ(grid.rowHeight(1), 21);
    ASSERT_TRUE(grid.SetColWidth(2, 1000));
    EXPECT_EQ(grid.ColWidth(2), 1000);
    EXPECT_EQ(grid.columnWidth(2), 67);
    grid.setColumnWidth(2, 10);  // changed in pixels: read back from the pixels
    EXPECT_EQ(grid.ColWidth(2), 150);
    EXPECT_FALSE(grid.SetColWidth(3, 100));
    EXPECT_FALSE(grid.SetRowHeight(0, -2));
}

TEST(FlexGrid, CellFormatActsOnTheCurrentCellOnly)
{
    FlexGrid grid;
    grid.SetRows(3);
    grid.SetCols(3);
    ASSERT_TRUE(grid.SetRow(1) && grid.SetCol(2));
    ASSERT_TRUE(grid.SetCellForeColor(RGB(250, 0, 0)));
    ASSERT_TRUE(grid.SetCellBackColor(RGB(150, 100, 100)));
    ASSERT_TRUE(grid.SetCellAlignment(params::flexAlignCenterCenter));
    ASSERT_TRUE(grid.SetCellFontSize(12));
    ASSERT_TRUE(grid.SetText("x"));

    EXPECT_EQ(grid.item(1, 2)->foreground().color(), QColor(250, 0, 0));
    EXPECT_EQ(grid.item(1, 2)->background().color(), QColor(150, 100, 100));
    EXPECT_EQ(grid.TextMatrix(1, 2), "x");
    EXPECT_EQ(grid.CellForeColor(), 250);
    EXPECT_EQ(grid.CellBackColor(), 150 + 100 * 256 + 100 * 65536);
    EXPECT_EQ(grid.CellAlignment(), 4);
    EXPECT_FLOAT_EQ(grid.CellFontSize(), 12.0f);

    grid.SetCol(1);
    EXPECT_EQ(grid.CellForeColor(), params::LongFromColor(grid.palette().color(QPalette::Text)));
    EXPECT_EQ(grid.CellAlignment(), params::flexAlignGeneral);
    EXPECT_FLOAT_EQ(grid.CellFontSize(), 9.0f);
    EXPECT_EQ(grid.item(1, 1), nullptr);
}

TEST(FlexGrid, RefusedValuesChangeNothing)
{
    FlexGrid grid;
    grid.SetRows(2);
    grid.SetCols(2);
    grid.SetRow(1);
    grid.SetCol(1);
    EXPECT_FALSE(grid.SetCol(2));
    EXPECT_FALSE(grid.SetRow(-1));
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_FALSE(grid.SetCellAlignment(10));
    EXPECT_FALSE(grid.SetCellAlignment(-1));
    EXPECT_FALSE(grid.SetCellForeColor(0x01000000));
    EXPECT_TRUE(grid.SetCellBackColor(static_cast<int32_t>(0x8000000F)));  // a system colour
    EXPECT_FALSE(grid.SetCellFontSize(0));
    EXPECT_FALSE(grid.SetTextMatrix(5, 0, "x"));
    EXPECT_EQ(grid.CellAlignment(), params::flexAlignGeneral);
}

TEST(FlexGrid, AlignmentCodesMapOntoQt)
{
    EXPECT_EQ(params::QtAlignmentOf(0, ""), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(params::QtAlignmentOf(1, ""), Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(params::QtAlignmentOf(4, ""), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(params::QtAlignmentOf(5, ""), Qt::AlignHCenter | Qt::AlignBottom);
    EXPECT_EQ(params::QtAlignmentOf(8, ""), Qt::AlignRight | Qt::AlignBottom);
    EXPECT_EQ(params::QtAlignmentOf(9, "12.5"), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(params::QtAlignmentOf(9, "Mode"), Qt::AlignLeft | Qt::AlignVCenter);
}

TEST(FlexGrid, RaisingRowsKeepsRowsAndFixedRowsFollowAShrink)
{
    FlexGrid grid;
    grid.SetRows(2);
    grid.SetTextMatrix(1, 1, "kept");
    grid.SetRowHeight(1, 400);
    grid.SetRows(5);
    EXPECT_EQ(grid.TextMatrix(1, 1), "kept");
    EXPECT_EQ(grid.RowHeight(1), 400);
    EXPECT_EQ(grid.Rows(), 5);
    grid.SetRows(0);
    EXPECT_EQ(grid.FixedRows(), 0);
    EXPECT_EQ(grid.TextMatrix(1, 1), "");
    grid.SetRows(1);
    EXPECT_EQ(grid.TextMatrix(0, 0), "");
}

TEST(FlexGrid, AShrinkForgetsTheSizesOfTheRowsAndColumnsItDrops)
{
    FlexGrid grid;
    grid.SetRows(5);
    grid.SetCols(5);
    // Sizes that show as the default pixels, so only the remembered twips tell them apart.
    ASSERT_TRUE(grid.SetRowHeight(3, 245));
    ASSERT_TRUE(grid.SetColWidth(3, 965));
    ASSERT_TRUE(grid.SetRowHeight(1, 245));
    grid.SetRows(8);
    grid.SetCols(8);
    EXPECT_EQ(grid.RowHeight(3), 245);
    EXPECT_EQ(grid.ColWidth(3), 965);
    grid.SetRows(3);
    grid.SetCols(3);
    grid.SetRows(5);
    grid.SetCols(5);
    EXPECT_EQ(grid.RowHeight(3), 240);
    EXPECT_EQ(grid.ColWidth(3), 960);
    EXPECT_EQ(grid.RowHeight(1), 245);
}

TEST(FlexGrid, CellsSetWhileHiddenShowOnceShownAndAShownGridTellsItsViews)
{
    QWidget host;
    host.resize(400, 300);
    FlexGrid* grid = new FlexGrid(&host);
    grid->SetWidth(4500);
    grid->SetHeight(3000);
    grid->SetRows(3);
    grid->SetCols(3);
    grid->SetRow(1);
    grid->SetCol(1);
    grid->SetCellBackColor(RGB(0, 200, 0));
    grid->SetRow(2);  // the current cell is drawn with the style's highlight
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    const auto shownColour = [grid](int row, int col) {
        const QPoint centre = grid->visualRect(grid->model()->index(row, col)).center();
        return grid->viewport()->grab().toImage().pixelColor(centre);
    };
    EXPECT_EQ(shownColour(1, 1), QColor(0, 200, 0));

    QSignalSpy cellChanges(grid->model(), &QAbstractItemModel::dataChanged);
    QSignalSpy currentChanges(grid->selectionModel(), &QItemSelectionModel::currentChanged);
    grid->SetCol(2);
    grid->SetCellBackColor(RGB(0, 0, 200));
    grid->SetText("x");
    EXPECT_EQ(currentChanges.count(), 1);
    EXPECT_GE(cellChanges.count(), 3);
    grid->SetRow(0);
    EXPECT_EQ(shownColour(2, 2), QColor(0, 0, 200));
}

TEST_F(ShownGrid, PositionsAddUpToTheCellsEdgeInTheParent)
{
    const QRect cell = grid->visualRect(grid->model()->index(2, 3));
    const QPoint inHost = grid->viewport()->mapTo(&host, cell.topLeft());
    EXPECT_EQ(params::TwipsToPixels(grid->Left() + grid->ColPos(3)), inHost.x());
    EXPECT_EQ(params::TwipsToPixels(grid->Top() + grid->RowPos(2)), inHost.y());
    EXPECT_EQ(grid->ColPos(1) - grid->ColPos(0), 900);
}

TEST_F(ShownGrid, ClickMakesTheCellCurrentAndADoubleClickRaisesOneClickFirst)
{
    QStringList seen;
    QObject::connect(grid, &FlexGrid::Click, [&] { seen << QString("Click %1,%2").arg(grid->Row()).arg(grid->Col()); });
    QObject::connect(grid, &FlexGrid::DblClick,
                     [&] { seen << QString("DblClick %1,%2").arg(grid->Row()).arg(grid->Col()); });
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(2, 3));
    // Through the window, as the platform delivers it: press, release, press, double-click, release.
    const QPoint inWindow = grid->viewport()->mapTo(&host, CellCentre(4, 1));
    QTest::mouseDClick(host.windowHandle(), Qt::LeftButton, {}, inWindow);
    EXPECT_EQ(seen, (QStringList{"Click 2,3", "Click 4,1", "DblClick 4,1"}));
}

TEST_F(ShownGrid, ScrollFocusAndMouseMoveEvents)
{
    QSignalSpy scroll(grid, &FlexGrid::Scroll);
    QSignalSpy got(grid, &FlexGrid::GotFocus);
    QSignalSpy lost(grid, &FlexGrid::LostFocus);
    QSignalSpy moved(grid, &FlexGrid::MouseMove);
    grid->SetRows(100);
    grid->scrollToBottom();
    EXPECT_GE(scroll.count(), 1);

    auto* other = new QWidget(&host);
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    other->setFocus();
    got.clear();
    lost.clear();
    grid->SetFocus();
    other->setFocus();
    EXPECT_EQ(got.count(), 1);
    EXPECT_EQ(lost.count(), 1);

    QTest::mouseMove(grid->viewport(), QPoint(10, 20));
    ASSERT_GE(moved.count(), 1);
    const QPoint inGrid = grid->viewport()->mapTo(grid, QPoint(10, 20));
    EXPECT_EQ(moved.last().at(2).toInt(), inGrid.x() * 15);
    EXPECT_EQ(moved.last().at(3).toInt(), inGrid.y() * 15);
}

TEST_F(ShownGrid, PageDownMovesTheCurrentCellByAPage)
{
    grid->SetRows(100);
    grid->SetRow(1);
    grid->SetCol(3);
    grid->SetFocus();
    QTest::keyClick(grid, Qt::Key_PageDown);
    EXPECT_GT(grid->Row(), 5);
    EXPECT_EQ(grid->Col(), 3);
}

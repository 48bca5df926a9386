#include "params/GridEditor.h"

#include "RowRecords.h"
#include "params/GridColors.h"
#include "support/ScriptedDialogs.h"

#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

using paramtest::MakeRow;
using params::FlexGrid;
using params::GridEditor;
using params::RGB;
using params::TwipsToPixels;

namespace {

constexpr int kRowHeight = 300;

// The main window: counts the wheel events that reach it.
class HostWindow : public QWidget {
public:
    int wheelEvents = 0;

protected:
    void wheelEvent(QWheelEvent* event) override
    {
        ++wheelEvents;
        event->accept();
    }
};

void SetUpSettingLikeGrid(FlexGrid* grid, const QString& hint)
{
    grid->SetRows(30);
    grid->SetCols(4);
    grid->SetLeft(150);
    grid->SetTop(150);
    grid->SetWidth(4500);
    grid->SetHeight(3000);
    grid->SetColWidth(0, 500);
    grid->SetColWidth(1, 1500);
    grid->SetColWidth(2, 600);
    grid->SetColWidth(3, 1200);
    for (int r = 0; r < grid->Rows(); ++r) grid->SetRowHeight(r, kRowHeight);
    grid->SetToolTipText(hint);
}

struct Editing : ::testing::Test {
    HostWindow host;
    FlexGrid* grid = new FlexGrid(&host);
    FlexGrid* displayGrid = new FlexGrid(&host);
    QLineEdit* editor = new QLineEdit(&host);
    FlexGrid* list = new FlexGrid(&host);
    params::ParamState state;
    testsupport::ScriptedDialogs dialogs;
    QStringList hints;
    int menuEnabled = 0;
    std::unique_ptr<GridEditor> gridEditor;

    void SetUp() override
    {
        host.resize(600, 400);
        SetUpSettingLikeGrid(displayGrid, QStringLiteral("显示参数"));
        SetUpSettingLikeGrid(grid, QStringLiteral("设置参数"));
        list->SetFixedRows(0);
        list->SetFixedCols(0);
        list->SetCols(1);
        list->hide();
        editor->hide();
        grid->raise();  // the setting grid in front of the display grid at the same place

        state.SetData.assign(65, 0);
        state.SetTable.assign(31, params::NewProtoRow());
        state.SetTable[1] = MakeRow({.offset = 33, .options = "0||100"});
        state.SetTable[2] = MakeRow({.offset = 34, .isList = 1, .options = "Off||On||", .optionValues = "0||1||2"});
        state.SetTable[3] = MakeRow({.offset = 35, .options = "100"});
        state.SetTable[4] = MakeRow({.offset = 36, .options = "0||1000"});
        state.SetTable[9] = MakeRow({.offset = 37, .isList = 1, .options = "A||B||C", .optionValues = "0||1||2"});
        state.SetData[33] = 1;
        grid->SetTextMatrix(1, 3, "5.0");
        grid->SetTextMatrix(2, 3, "On");
        grid->SetTextMatrix(9, 3, "A");
        grid->SetRow(1);
        grid->SetCol(3);
        grid->SetCellBackColor(RGB(10, 20, 30));

        gridEditor = std::make_unique<GridEditor>(
            params::GridEditorControls{grid, displayGrid, editor, list, &host}, state, dialogs,
            params::GridEditorCallbacks{[this](const QString& text) { hints << text; }, [this] { ++menuEnabled; }});
        host.show();
        // Activated at once rather than waited for: a wait bounded by the clock fails
        // when a loaded machine stalls the process past it.
        QApplication::setActiveWindow(&host);
        ASSERT_TRUE(host.isActiveWindow());
    }

    QPoint CellCentre(FlexGrid* g, int row, int col) const
    {
        return g->viewport()->mapTo(&host, g->visualRect(g->model()->index(row, col)).center());
    }

    QRect CellRectInHost(int row, int col) const
    {
        const QRect cell = grid->visualRect(grid->model()->index(row, col));
        return QRect(grid->viewport()->mapTo(&host, cell.topLeft()), cell.size());
    }

    void DoubleClick(FlexGrid* g, int row, int col)
    {
        QTest::mouseDClick(host.windowHandle(), Qt::LeftButton, {}, CellCentre(g, row, col));
    }

    void ClickListEntry(int entry)
    {
        const QPoint at = list->visualRect(list->model()->index(entry, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    void TypeAndEnter(const QString& text)
    {
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    void Wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF at(10, 10);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        // Delivered as from the platform (sendEvent would make it a synthetic one), so it goes
        // on to the parents that the widget under the mouse leaves it to.
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(target, &wheel);
        QCoreApplication::processEvents();
    }
};

}  // namespace

TEST_F(Editing, DoubleClickOpensOnlyOnAValueCellOfTheSettingGrid)
{
    DoubleClick(grid, 0, 3);
    EXPECT_EQ(grid->Row(), 0);
    DoubleClick(grid, 1, 2);
    EXPECT_EQ(grid->Col(), 2);
    displayGrid->raise();
    DoubleClick(displayGrid, 1, 3);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_FALSE(list->isVisible());
}

TEST_F(Editing, RowsWithoutATableRecordOpenNothing)
{
    state.SetTable.resize(2);  // the grid has more rows than the table describes
    DoubleClick(grid, 5, 3);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_FALSE(list->isVisible());
    state.SetTable.clear();  // no table loaded at all
    DoubleClick(grid, 1, 3);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Editing, RowPlacedBeyondTheSettingBlockOpensNothing)
{
    state.SetTable[1].Offset = 66;  // byte 65: one past the 65-byte buffer
    state.SetTable[2].Offset = 66;
    DoubleClick(grid, 1, 3);
    DoubleClick(grid, 2, 3);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_FALSE(list->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("解析协议错误！"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("警告！"));
    EXPECT_EQ(grid->TextMatrix(1, 3), "5.0");
}

TEST_F(Editing, TypedRowOpensOverTheCellWithItsTextSelected)
{
    DoubleClick(grid, 1, 3);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(gridEditor->EditRow(), 1);
    EXPECT_EQ(gridEditor->EditCol(), 3);
    EXPECT_EQ(editor->geometry().topLeft(), CellRectInHost(1, 3).topLeft());
    EXPECT_EQ(editor->geometry().size(), QSize(grid->columnWidth(3), grid->rowHeight(1)));
    EXPECT_EQ(editor->text(), "5.0");
    EXPECT_EQ(editor->selectedText(), "5.0");
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_EQ(editor->palette().color(QPalette::Base), QColor(10, 20, 30));
    EXPECT_FALSE(list->isVisible());
}

TEST_F(Editing, ChangedTextCommitsRedAndEnablesTheStoreMenu)
{
    DoubleClick(grid, 1, 3);
    TypeAndEnter("5");
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(grid->TextMatrix(1, 3), "5");
    EXPECT_EQ(grid->CellForeColor(), RGB(250, 0, 0));
    EXPECT_EQ(menuEnabled, 1);
    EXPECT_EQ(state.SetData[32], 5);
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_TRUE(dialogs.messages.empty());

    DoubleClick(grid, 1, 3);
    TypeAndEnter("5");
    EXPECT_EQ(grid->CellForeColor(), RGB(0, 0, 0));
    EXPECT_EQ(menuEnabled, 1);
}

TEST_F(Editing, BothLimitsAreAcceptedAndValuesBeyondShowTheRange)
{
    DoubleClick(grid, 1, 3);
    TypeAndEnter("100");
    EXPECT_EQ(state.SetData[32], 100);
    DoubleClick(grid, 1, 3);
    TypeAndEnter("0");
    EXPECT_EQ(state.SetData[32], 0);
    EXPECT_TRUE(dialogs.messages.empty());

    DoubleClick(grid, 1, 3);
    TypeAndEnter("100.5");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("设置超出范围，有效范围：0-100") + QString(54, ' '));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("提示！"));
    EXPECT_EQ(dialogs.messages[0].icon, common::MsgIcon::Exclamation);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->selectedText(), "100.5");
    EXPECT_EQ(state.SetData[32], 0);
    EXPECT_EQ(grid->TextMatrix(1, 3), "0");
}

TEST_F(Editing, KeyFilterPassesDigitsPointAndBackspaceOnly)
{
    DoubleClick(grid, 1, 3);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, "-, aZ\x1b");
    QTest::keyClick(editor, Qt::Key_Escape);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "5.0");
    QTest::keyClicks(editor, "1.2");
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(editor->text(), "5.01.");
    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClick(editor, Qt::Key_Delete);
    EXPECT_EQ(editor->text(), ".01.");
    EXPECT_TRUE(editor->isVisible());
}

TEST_F(Editing, EnterWithoutANumberStaysOpenSilently)
{
    DoubleClick(grid, 1, 3);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
    TypeAndEnter("1.2.3");
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->selectedText(), "1.2.3");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(state.SetData[32], 0);
}

TEST_F(Editing, RowWithoutTwoLimitsCannotBeCommitted)
{
    DoubleClick(grid, 3, 3);
    TypeAndEnter("7");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("解析协议错误！"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("警告！"));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(state.SetData[34], 0);
}

TEST_F(Editing, ValueInsideTheLimitsButBeyondItsFieldIsRefused)
{
    DoubleClick(grid, 4, 3);
    TypeAndEnter("300");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("设置超出范围，有效范围：0-255"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("提示！"));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->selectedText(), "300");
    EXPECT_EQ(state.SetData[35], 0);
    EXPECT_EQ(menuEnabled, 0);
}

TEST_F(Editing, ListRowOffersItsChoicesBelowTheCell)
{
    DoubleClick(grid, 2, 3);
    ASSERT_TRUE(list->isVisible());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(grid->hasFocus());
    ASSERT_EQ(list->Rows(), 3);
    EXPECT_EQ(list->TextMatrix(0, 0), "Off");
    EXPECT_EQ(list->TextMatrix(1, 0), "On");
    EXPECT_EQ(list->TextMatrix(2, 0), "");
    EXPECT_EQ(list->Height(), 3 * kRowHeight + 20);
    EXPECT_EQ(list->Width(), 1200);
    EXPECT_EQ(list->ColWidth(0), 1200);
    const int editorTop = grid->Top() + grid->RowPos(2);
    EXPECT_EQ(list->Left(), grid->Left() + grid->ColPos(3));
    EXPECT_EQ(list->Top(), editorTop + kRowHeight - 20);
    for (int i = 0; i < 3; ++i) {
        list->SetRow(i);
        EXPECT_EQ(list->CellBackColor(), RGB(150, 100, 100));
        EXPECT_EQ(list->RowHeight(i), kRowHeight);
    }
}

TEST_F(Editing, ChoosingTheShownEntryColoursBlackAndAnotherRed)
{
    grid->SetCellForeColor(RGB(250, 0, 0));
    DoubleClick(grid, 2, 3);
    ClickListEntry(1);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(grid->TextMatrix(2, 3), "On");
    EXPECT_EQ(grid->CellForeColor(), RGB(0, 0, 0));
    EXPECT_EQ(menuEnabled, 0);
    EXPECT_EQ(state.SetData[33], 1);
    EXPECT_TRUE(grid->hasFocus());

    DoubleClick(grid, 2, 3);
    ClickListEntry(0);
    EXPECT_EQ(grid->TextMatrix(2, 3), "Off");
    EXPECT_EQ(grid->CellForeColor(), RGB(250, 0, 0));
    EXPECT_EQ(menuEnabled, 1);
    EXPECT_EQ(state.SetData[33], 0);

    // The empty last choice is contained in every name: it stores entry 0's value.
    state.SetData[33] = 2;
    DoubleClick(grid, 2, 3);
    ClickListEntry(2);
    EXPECT_EQ(grid->TextMatrix(2, 3), "");
    EXPECT_EQ(state.SetData[33], 0);
}

TEST_F(Editing, ListNearTheBottomOpensUpward)
{
    DoubleClick(grid, 9, 3);
    ASSERT_TRUE(list->isVisible());
    const int editorTop = grid->Top() + grid->RowPos(9);
    ASSERT_GT(list->Height(), grid->Height() - editorTop);
    EXPECT_EQ(list->Top(), editorTop - list->Height() + 20);
}

TEST_F(Editing, ClickOrScrollOnEitherGridCancels)
{
    DoubleClick(grid, 1, 3);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(5, 1)).center());
    EXPECT_FALSE(editor->isVisible());

    DoubleClick(grid, 2, 3);
    ASSERT_TRUE(list->isVisible());
    grid->verticalScrollBar()->setValue(3);
    EXPECT_FALSE(list->isVisible());

    grid->verticalScrollBar()->setValue(0);
    DoubleClick(grid, 1, 3);
    emit displayGrid->Click();
    EXPECT_FALSE(editor->isVisible());
    DoubleClick(grid, 2, 3);
    emit displayGrid->Scroll();
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(state.SetData[32], 0);
    EXPECT_EQ(state.SetData[33], 1);
}

TEST_F(Editing, MouseOverAGridCopiesItsHint)
{
    const auto moveOver = [](QWidget* target) {
        QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), target->mapToGlobal(QPointF(20, 20)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    };
    moveOver(grid->viewport());
    moveOver(displayGrid->viewport());
    EXPECT_EQ(hints, (QStringList{QStringLiteral("设置参数"), QStringLiteral("显示参数")}));
}

TEST_F(Editing, SingleBareWheelNotchesPageTheFocusedSettingGrid)
{
    grid->SetRow(1);
    grid->SetFocus();
    ASSERT_TRUE(gridEditor->WheelHookInstalled());
    Wheel(grid->viewport(), -120);
    const int pagedDown = grid->Row();
    EXPECT_GT(pagedDown, 5);
    EXPECT_EQ(host.wheelEvents, 1);

    for (int delta : {-240, -60, 120 * 2})
        Wheel(grid->viewport(), delta);
    Wheel(grid->viewport(), -120, Qt::ControlModifier);
    Wheel(grid->viewport(), 120, Qt::ShiftModifier);
    EXPECT_EQ(grid->Row(), pagedDown);
    EXPECT_EQ(host.wheelEvents, 6);

    Wheel(&host, 120);
    EXPECT_LT(grid->Row(), pagedDown);
    EXPECT_EQ(host.wheelEvents, 7);
}

TEST_F(Editing, WheelPagesNothingWithoutTheSettingGridsFocus)
{
    grid->SetRow(1);
    grid->SetFocus();
    displayGrid->SetFocus();
    EXPECT_FALSE(gridEditor->WheelHookInstalled());
    Wheel(grid->viewport(), -120);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(host.wheelEvents, 1);

    // Installed once however often the focus arrives; one removal takes it away.
    gridEditor->MSFG_GotFocus(0);
    gridEditor->MSFG_GotFocus(0);
    gridEditor->MSFG_GotFocus(1);
    gridEditor->MSFG_LostFocus(1);
    EXPECT_TRUE(gridEditor->WheelHookInstalled());
    gridEditor->MSFG_LostFocus(0);
    EXPECT_FALSE(gridEditor->WheelHookInstalled());
    Wheel(&host, -120);
    EXPECT_EQ(grid->Row(), 1);
}

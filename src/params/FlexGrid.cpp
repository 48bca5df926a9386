#include "params/FlexGrid.h"

#include "common/Numbers.h"
#include "params/FlexCellDelegate.h"
#include "params/GridColors.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace params {
namespace {

constexpr int kDefaultColWidthPixels = 64;   // 960 twips
constexpr int kDefaultRowHeightPixels = 16;  // 240 twips
constexpr float kLargestFontSize = 2160.0f;

QFont GridFont()
{
    QFont font;
    font.setFamilies({"SimSun", QStringLiteral("宋体"), "NSimSun", "Noto Sans CJK SC", "Noto Serif CJK SC",
                      "WenQuanYi Zen Hei", "WenQuanYi Micro Hei", "AR PL UMing CN"});
    font.setPointSize(9);
    return font;
}

int ButtonMask(Qt::MouseButtons buttons)
{
    int mask = 0;
    if (buttons & Qt::LeftButton) mask |= flexLeftButton;
    if (buttons & Qt::RightButton) mask |= flexRightButton;
    if (buttons & Qt::MiddleButton) mask |= flexMiddleButton;
    return mask;
}

int ShiftMask(Qt::KeyboardModifiers modifiers)
{
    int mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= flexShiftMask;
    if (modifiers & Qt::ControlModifier) mask |= flexCtrlMask;
    if (modifiers & Qt::AltModifier) mask |= flexAltMask;
    return mask;
}

// The grid's row and column headers are never shown, so they have nothing to repaint
// when the current cell moves. Qt's header would still look up the position of the
// old and new section, and after a row was added or resized that walks every row:
// a table that fills row after row would grow slower with each row.
class HiddenHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    void currentChanged(const QModelIndex&, const QModelIndex&) override {}
};

}  // namespace

Qt::Alignment QtAlignmentOf(int code, const QString& text)
{
    if (code == flexAlignGeneral)
        return (common::IsNumeric(text) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    static const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    if (code < 0 || code > flexAlignRightBottom) return Qt::AlignLeft | Qt::AlignVCenter;
    return horizontal[code / 3] | vertical[code % 3];
}

FlexGrid::FlexGrid(QWidget* parent) : QTableWidget(2, 2, parent)
{
    setHorizontalHeader(new HiddenHeader(Qt::Horizontal, this));
    setVerticalHeader(new HiddenHeader(Qt::Vertical, this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultSectionSize(kDefaultColWidthPixels);
    verticalHeader()->setDefaultSectionSize(kDefaultRowHeightPixels);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setWordWrap(false);
    setTabKeyNavigation(false);  // Tab moves the focus on to the next control
    setFont(GridFont());
    setItemDelegate(new FlexCellDelegate(this));
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &FlexGrid::Scroll);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &FlexGrid::Scroll);
    setCurrentCell(fixedRows_, fixedCols_);
}

bool FlexGrid::SetRows(int rows)
{
    if (rows < 0) return false;
    // Growing leaves every remembered height in place, so only a shrink looks at them:
    // a table that adds its rows one at a time stays linear in its row count.
    if (rows < rowCount()) ForgetMeasuresFrom(rowHeights_, rows);
    setRowCount(rows);
    if (fixedRows_ > rows) fixedRows_ = rows;
    return true;
}

bool FlexGrid::SetCols(int cols)
{
    if (cols < 0) return false;
    if (cols < columnCount()) ForgetMeasuresFrom(colWidths_, cols);
    setColumnCount(cols);
    if (fixedCols_ > cols) fixedCols_ = cols;
    return true;
}

bool FlexGrid::SetFixedRows(int rows)
{
    if (rows < 0 || rows > rowCount()) return false;
    fixedRows_ = rows;
    viewport()->update();
    return true;
}

bool FlexGrid::SetFixedCols(int cols)
{
    if (cols < 0 || cols > columnCount()) return false;
    fixedCols_ = cols;
    viewport()->update();
    return true;
}

int FlexGrid::Row() const { return std::max(currentRow(), 0); }

int FlexGrid::Col() const { return std::max(currentColumn(), 0); }

bool FlexGrid::SetRow(int row)
{
    if (row < 0 || row >= rowCount()) return false;
    MoveCurrentCell(row, Col() < columnCount() ? Col() : 0);
    return true;
}

bool FlexGrid::SetCol(int col)
{
    if (col < 0 || col >= columnCount()) return false;
    MoveCurrentCell(Row() < rowCount() ? Row() : 0, col);
    return true;
}

void FlexGrid::MoveCurrentCell(int row, int col)
{
    // Setting the current cell from code leaves the grid scrolled as it is; only the
    // keys and the mouse bring the current cell into view.
    const bool scrolls = hasAutoScroll();
    setAutoScroll(false);
    const QSignalBlocker quiet(UnlessShown(selectionModel()));
    setCurrentCell(row, col);
    setAutoScroll(scrolls);
}

bool FlexGrid::IsCell(int row, int col) const
{
    return row >= 0 && row < rowCount() && col >= 0 && col < columnCount();
}

QTableWidgetItem* FlexGrid::CellItem(int row, int col)
{
    if (!IsCell(row, col)) return nullptr;
    QTableWidgetItem* cell = item(row, col);
    if (!cell) {
        cell = new QTableWidgetItem;
        const QSignalBlocker quiet(UnlessShown(model()));
        setItem(row, col, cell);
    }
    return cell;
}

QObject* FlexGrid::UnlessShown(QObject* notifier) const { return isVisible() ? nullptr : notifier; }

void FlexGrid::StoreCellData(QTableWidgetItem* cell, int role, const QVariant& value)
{
    const QSignalBlocker quiet(UnlessShown(model()));
    cell->setData(role, value);
}

QTableWidgetItem* FlexGrid::CurrentItem() { return CellItem(Row(), Col()); }

const QTableWidgetItem* FlexGrid::CurrentItemOrNull() const { return item(Row(), Col()); }

QString FlexGrid::TextMatrix(int row, int col) const
{
    const QTableWidgetItem* cell = IsCell(row, col) ? item(row, col) : nullptr;
    return cell ? cell->text() : QString();
}

bool FlexGrid::SetTextMatrix(int row, int col, const QString& text)
{
    QTableWidgetItem* cell = CellItem(row, col);
    if (!cell) return false;
    StoreCellData(cell, Qt::DisplayRole, text);
    return true;
}

int FlexGrid::ColWidth(int col) const
{
    if (col < 0 || col >= columnCount()) return 0;
    return colWidths_.value(col).Read(columnWidth(col));
}

bool FlexGrid::SetColWidth(int col, int twips)
{
    if (col < 0 || col >= columnCount() || twips < -1) return false;
    if (twips == -1) {
        colWidths_.remove(col);
        setColumnWidth(col, kDefaultColWidthPixels);
    } else {
        setColumnWidth(col, colWidths_[col].Remember(twips));
    }
    return true;
}

int FlexGrid::RowHeight(int row) const
{
    if (row < 0 || row >= rowCount()) return 0;
    return rowHeights_.value(row).Read(rowHeight(row));
}

bool FlexGrid::SetRowHeight(int row, int twips)
{
    if (row < 0 || row >= rowCount() || twips < -1) return false;
    if (twips == -1) {
        rowHeights_.remove(row);
        setRowHeight(row, kDefaultRowHeightPixels);
    } else {
        setRowHeight(row, rowHeights_[row].Remember(twips));
    }
    return true;
}

void FlexGrid::ForgetMeasuresFrom(QHash<int, TwipsMeasure>& measures, int first)
{
    for (auto it = measures.begin(); it != measures.end();)
        it = it.key() >= first ? measures.erase(it) : std::next(it);
}

int FlexGrid::CellAlignment() const
{
    const QTableWidgetItem* cell = CurrentItemOrNull();
    const QVariant code = cell ? cell->data(kAlignmentCodeRole) : QVariant();
    return code.isValid() ? code.toInt() : flexAlignGeneral;
}

bool FlexGrid::SetCellAlignment(int code)
{
    QTableWidgetItem* cell = CurrentItem();
    if (!cell || code < flexAlignLeftTop || code > flexAlignGeneral) return false;
    StoreCellData(cell, kAlignmentCodeRole, code);
    return true;
}

int32_t FlexGrid::CellForeColor() const
{
    const QTableWidgetItem* cell = CurrentItemOrNull();
    if (cell && cell->data(kForeColorRole).isValid()) return cell->data(kForeColorRole).toInt();
    const bool fixed = IsFixedCell(Row(), Col());
    return LongFromColor(palette().color(fixed ? QPalette::ButtonText : QPalette::Text));
}

bool FlexGrid::SetCellForeColor(int32_t color)
{
    return SetCurrentCellColor(color, kForeColorRole, Qt::ForegroundRole);
}

int32_t FlexGrid::CellBackColor() const
{
    const QTableWidgetItem* cell = CurrentItemOrNull();
    if (cell && cell->data(kBackColorRole).isValid()) return cell->data(kBackColorRole).toInt();
    const bool fixed = IsFixedCell(Row(), Col());
    return LongFromColor(palette().color(fixed ? QPalette::Button : QPalette::Base));
}

bool FlexGrid::SetCellBackColor(int32_t color)
{
    return SetCurrentCellColor(color, kBackColorRole, Qt::BackgroundRole);
}

bool FlexGrid::SetCurrentCellColor(int32_t color, int longRole, int brushRole)
{
    QTableWidgetItem* cell = CurrentItem();
    const auto shown = ColorFromLong(color);
    if (!cell || !shown) return false;
    StoreCellData(cell, longRole, color);  // read back as set, system colours included
    StoreCellData(cell, brushRole, QBrush(*shown));
    return true;
}

float FlexGrid::CellFontSize() const
{
    const QTableWidgetItem* cell = CurrentItemOrNull();
    const QFont shown = cell && cell->data(Qt::FontRole).isValid() ? cell->font() : font();
    return static_cast<float>(shown.pointSizeF());
}

bool FlexGrid::SetCellFontSize(float points)
{
    QTableWidgetItem* cell = CurrentItem();
    if (!cell || !(points > 0.0f) || points > kLargestFontSize) return false;
    QFont sized = font();
    sized.setPointSizeF(points);
    StoreCellData(cell, Qt::FontRole, sized);
    return true;
}

int FlexGrid::ColPos(int col) const
{
    return PixelsToTwips(viewport()->geometry().x() + columnViewportPosition(col));
}

int FlexGrid::RowPos(int row) const
{
    return PixelsToTwips(viewport()->geometry().y() + rowViewportPosition(row));
}

void FlexGrid::SetLeft(int twips) { move(left_.Remember(twips), y()); }

void FlexGrid::SetTop(int twips) { move(x(), top_.Remember(twips)); }

void FlexGrid::SetWidth(int twips) { resize(width_.Remember(twips), height()); }

void FlexGrid::SetHeight(int twips) { resize(width(), height_.Remember(twips)); }

void FlexGrid::ZOrder(int position)
{
    if (position == 0) raise();
    else lower();
}

void FlexGrid::SetScrollBars(int bars)
{
    setHorizontalScrollBarPolicy((bars & 1) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy((bars & 2) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    QTableWidget::mousePressEvent(event);  // makes the clicked cell current
    clickPending_ = true;
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableWidget::mouseReleaseEvent(event);
    if (!clickPending_) return;
    clickPending_ = false;
    emit Click();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click: the cell under it becomes current, and the
    // release that follows raises no second Click.
    QTableWidget::mousePressEvent(event);
    clickPending_ = false;
    emit DblClick();
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    QTableWidget::mouseMoveEvent(event);
    const QPoint inGrid = viewport()->mapTo(this, event->position().toPoint());
    emit MouseMove(ButtonMask(event->buttons()), ShiftMask(event->modifiers()), PixelsToTwips(inGrid.x()),
                   PixelsToTwips(inGrid.y()));
}

void FlexGrid::focusInEvent(QFocusEvent* event)
{
    QTableWidget::focusInEvent(event);
    emit GotFocus();
}

void FlexGrid::focusOutEvent(QFocusEvent* event)
{
    QTableWidget::focusOutEvent(event);
    emit LostFocus();
}

void FlexGrid::wheelEvent(QWheelEvent* event)
{
    // The grid does not scroll by the wheel itself; the event goes on to the window,
    // which may turn it into page keys.
    event->ignore();
}

}  // namespace params

#pragma once
// The flexible grid: a table of text cells addressed by row and column, with fixed rows
// and columns at the top and left, and a current cell that the cell-format properties
// act on. Measures are in twips, colours RGB Longs (see GridColors.h).
//
// A QTableWidget subclass rather than a wrapper: the grid raises its events from its own
// mouse, focus and wheel handlers, and the window places, shows and raises it like any
// other widget. While hidden it changes its cells without QTableWidget's change signals.

#include "params/Twips.h"

#include <QHash>
#include <QTableWidget>
#include <cstdint>

namespace params {

// The grid's alignment codes.
enum FlexAlignment : int16_t {
    flexAlignLeftTop = 0,
    flexAlignLeftCenter = 1,
    flexAlignLeftBottom = 2,
    flexAlignCenterTop = 3,
    flexAlignCenterCenter = 4,
    flexAlignCenterBottom = 5,
    flexAlignRightTop = 6,
    flexAlignRightCenter = 7,
    flexAlignRightBottom = 8,
    flexAlignGeneral = 9,  // text at the left, numbers at the right, centred vertically
};

// The Qt alignment that an alignment code stands for; `text` decides flexAlignGeneral.
Qt::Alignment QtAlignmentOf(int code, const QString& text);

// Mouse button and shift-key masks of the MouseMove event.
enum FlexMouseButton { flexLeftButton = 1, flexRightButton = 2, flexMiddleButton = 4 };
enum FlexShiftMask { flexShiftMask = 1, flexCtrlMask = 2, flexAltMask = 4 };

class FlexGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);

    // Setters that can refuse a value return false and change nothing.

    // Shape. Rows below FixedRows lower FixedRows with it; raising keeps the rows.
    int Rows() const { return rowCount(); }
    bool SetRows(int rows);
    int Cols() const { return columnCount(); }
    bool SetCols(int cols);
    int FixedRows() const { return fixedRows_; }
    bool SetFixedRows(int rows);
    int FixedCols() const { return fixedCols_; }
    bool SetFixedCols(int cols);

    // Current cell.
    int Row() const;
    bool SetRow(int row);
    int Col() const;
    bool SetCol(int col);

    QString Text() const { return TextMatrix(Row(), Col()); }
    bool SetText(const QString& text) { return SetTextMatrix(Row(), Col(), text); }
    QString TextMatrix(int row, int col) const;
    bool SetTextMatrix(int row, int col, const QString& text);

    // Sizes in twips; -1 restores the default size.
    int ColWidth(int col) const;
    bool SetColWidth(int col, int twips);
    int RowHeight(int row) const;
    bool SetRowHeight(int row, int twips);

    // Format of the current cell.
    int CellAlignment() const;
    bool SetCellAlignment(int code);
    int32_t CellForeColor() const;
    bool SetCellForeColor(int32_t color);
    int32_t CellBackColor() const;
    bool SetCellBackColor(int32_t color);
    float CellFontSize() const;
    bool SetCellFontSize(float points);

    // Edge of a column or row, in twips from the grid's own left or top edge, as scrolled.
    int ColPos(int col) const;
    int RowPos(int row) const;

    // Place in the parent, in twips.
    int Left() const { return left_.Read(x()); }
    void SetLeft(int twips);
    int Top() const { return top_.Read(y()); }
    void SetTop(int twips);
    int Width() const { return width_.Read(width()); }
    void SetWidth(int twips);
    int Height() const { return height_.Read(height()); }
    void SetHeight(int twips);

    bool Visible() const { return isVisible(); }
    void SetVisible(bool visible) { setVisible(visible); }
    QString ToolTipText() const { return toolTip(); }
    void SetToolTipText(const QString& text) { setToolTip(text); }
    // 0 brings the grid to the front of its siblings, 1 sends it to the back.
    void ZOrder(int position = 0);
    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    // 0 none, 1 horizontal, 2 vertical, 3 both.
    void SetScrollBars(int bars);

    // The per-index merge flags. They are kept and read back; the grid never merges
    // cells, since nothing asks it to.
    bool MergeRow(int index) const { return mergeRows_.value(index, false); }
    void SetMergeRow(int index, bool merge) { mergeRows_[index] = merge; }
    bool MergeCol(int index) const { return mergeCols_.value(index, false); }
    void SetMergeCol(int index, bool merge) { mergeCols_[index] = merge; }

    bool IsFixedCell(int row, int col) const { return row < fixedRows_ || col < fixedCols_; }

signals:
    void Click();
    void DblClick();
    void Scroll();
    void MouseMove(int button, int shift, int x, int y);
    void GotFocus();
    void LostFocus();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool IsCell(int row, int col) const;
    void MoveCurrentCell(int row, int col);
    QTableWidgetItem* CellItem(int row, int col);
    QTableWidgetItem* CurrentItem();
    const QTableWidgetItem* CurrentItemOrNull() const;
    bool SetCurrentCellColor(int32_t color, int longRole, int brushRole);
    // While the grid is hidden, its cells and current cell change without the model's
    // and the selection's change notices: those only bring what is on screen up to
    // date, Qt's views paint from the model when shown, and filling a table sets tens
    // of thousands of cell properties, each notice costing more than the change
    // itself. So a hidden grid raises no itemChanged, cellChanged or current-cell
    // signals. The notifier to silence, or null while the grid is shown.
    QObject* UnlessShown(QObject* notifier) const;
    void StoreCellData(QTableWidgetItem* cell, int role, const QVariant& value);
    static void ForgetMeasuresFrom(QHash<int, TwipsMeasure>& measures, int first);

    int fixedRows_ = 1;
    int fixedCols_ = 1;
    bool clickPending_ = false;
    TwipsMeasure left_, top_, width_, height_;
    QHash<int, TwipsMeasure> colWidths_;
    QHash<int, TwipsMeasure> rowHeights_;
    QHash<int, bool> mergeRows_;
    QHash<int, bool> mergeCols_;
};

}  // namespace params

#pragma once
// Paints the grid's cells: alignment by the cell's alignment code, and the fixed rows
// and columns in the button face colour unless a cell has a back colour of its own.

#include <QStyledItemDelegate>

namespace params {

class FlexGrid;

// Item data roles holding what the grid's cell-format properties were given.
constexpr int kAlignmentCodeRole = Qt::UserRole + 1;
constexpr int kForeColorRole = Qt::UserRole + 2;
constexpr int kBackColorRole = Qt::UserRole + 3;

class FlexCellDelegate : public QStyledItemDelegate {
public:
    explicit FlexCellDelegate(FlexGrid* grid);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    FlexGrid* grid_;
};

}  // namespace params

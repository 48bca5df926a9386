#include "params/FlexCellDelegate.h"

#include "params/FlexGrid.h"

namespace params {

FlexCellDelegate::FlexCellDelegate(FlexGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

void FlexCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant code = index.data(kAlignmentCodeRole);
    option->displayAlignment =
        QtAlignmentOf(code.isValid() ? code.toInt() : flexAlignGeneral, index.data(Qt::DisplayRole).toString());
    if (!index.data(kBackColorRole).isValid() && grid_->IsFixedCell(index.row(), index.column()))
        option->backgroundBrush = grid_->palette().brush(QPalette::Button);
}

}  // namespace params

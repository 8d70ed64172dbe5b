// TTemplateCellDelegate: draws the template editor's grid cells — the
// selected row in the highlight colours (grey while the grid has no focus),
// the service window's template in navy (yellow when selected), up to three
// lines per cell centred as a block, the name column bold and, in the ranges
// column, the default range bold.
#pragma once

#include <QStyledItemDelegate>

namespace k730 {

class TTemplateCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // How a column's text is aligned: right (3 px margin) for the row number
    // and the configuration, centred for response, luminance and field,
    // otherwise left (2 px margin).
    static Qt::Alignment ColumnAlignment(int column);
};

} // namespace k730

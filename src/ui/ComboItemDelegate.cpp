#include "ui/ComboItemDelegate.h"

#include <QComboBox>
#include <QPainter>
#include <QStyleOptionComboBox>

namespace k730 {

TComboItemDelegate::TComboItemDelegate(QComboBox* box) : QStyledItemDelegate(box), box_(box) {}

void TComboItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const QPalette& palette = box_->palette();
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    QColor text =
        palette.color(box_->isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    if (selected) {
        painter->fillRect(option.rect, palette.color(QPalette::Highlight));
        text = palette.color(QPalette::HighlightedText);
    } else {
        painter->fillRect(option.rect, palette.color(QPalette::Base));
    }
    QStyleOptionComboBox boxOption;
    boxOption.initFrom(box_);
    const QRect client =
        box_->style()->subControlRect(QStyle::CC_ComboBox, &boxOption, QStyle::SC_ComboBoxEditField, box_);
    const int margin = LeftMargin(box_->height(), client.height());
    painter->save();
    painter->setPen(text);
    painter->setFont(option.font);
    painter->drawText(option.rect.adjusted(margin, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

} // namespace k730

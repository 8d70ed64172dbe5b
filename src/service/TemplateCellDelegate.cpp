#include "service/TemplateCellDelegate.h"

#include "service/TemplateModel.h"

#include <QAbstractItemView>
#include <QPainter>

namespace k730 {

Qt::Alignment TTemplateCellDelegate::ColumnAlignment(int column) {
    if (column == 0 || column == 7) return Qt::AlignRight;
    if (column >= 3 && column <= 5) return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

void TTemplateCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const bool focused = view && view->hasFocus();
    const bool selected = option.state & QStyle::State_Selected;
    const bool current = index.data(TTemplateModel::CurrentRole).toBool();
    const QPalette& pal = option.palette;
    QColor back = pal.color(QPalette::Base);
    QColor text = current ? QColor(0, 0, 0x80) : pal.color(QPalette::Text);
    if (selected) {
        back = focused ? pal.color(QPalette::Highlight) : QColor(0x80, 0x80, 0x80);
        text = current && focused ? QColor(0xFF, 0xFF, 0) : pal.color(QPalette::HighlightedText);
    }
    painter->save();
    painter->fillRect(option.rect, back);
    painter->setPen(pal.color(QPalette::Mid));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());

    const QStringList lines = index.data(Qt::DisplayRole).toString().split("\r\n").mid(0, 3);
    const int boldLine = index.data(TTemplateModel::BoldLineRole).toInt();
    QFont plain = option.font;
    QFont bold = option.font;
    bold.setBold(true);
    const int lineHeight = QFontMetrics(option.font).height();
    const int top =
        option.rect.top() + (option.rect.height() - lineHeight * static_cast<int>(lines.size())) / 2;
    const Qt::Alignment align = ColumnAlignment(index.column());
    const QRect inner =
        option.rect.adjusted(align == Qt::AlignRight ? 0 : 2, 0, align == Qt::AlignRight ? -3 : 0, 0);
    painter->setPen(text);
    for (int i = 0; i < lines.size(); ++i) {
        painter->setFont(index.column() == 1 || i == boldLine ? bold : plain);
        const QRect line(inner.left(), top + i * lineHeight, inner.width(), lineHeight);
        painter->drawText(line, static_cast<int>(align | Qt::AlignVCenter), lines[i]);
    }
    painter->restore();
}

} // namespace k730

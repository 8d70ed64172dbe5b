// TComboItemDelegate: how the main window's combo boxes draw their list
// items — the selected one in the highlight colours, the others in the window
// text colour (grey while the box is disabled), the text centred vertically
// with a left margin of half the difference between the box's height and
// its client height.
#pragma once

#include <QStyledItemDelegate>

#include <algorithm>

class QComboBox;

namespace k730 {

class TComboItemDelegate : public QStyledItemDelegate {
public:
    explicit TComboItemDelegate(QComboBox* box);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Half of what the frame takes from the box's height.
    static int LeftMargin(int boxHeight, int clientHeight) {
        return std::max(0, (boxHeight - clientHeight) / 2);
    }

private:
    QComboBox* box_;
};

} // namespace k730

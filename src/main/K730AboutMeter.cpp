// The meter dialog.
#include "main/K730AboutMeter.h"

#include "ui/AccessibleNames.h"
#include "ui/LocaleSeparator.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <exception>

namespace k730 {

namespace {

int NextTabStop(int x, int tabStop) {
    return tabStop <= 0 ? x : (x / tabStop + 1) * tabStop;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The producer lines sit in a framed, scrolling box around a plain label:
// at most PRODUCER_MAX_LINES high, scroll bars when the text is longer or
// wider than that.
QLabel* ProducerLabel(const std::string& text) {
    auto* label = new QLabel(Q(text).replace("\r\n", "\n"));
    label->setObjectName("LabelProducer");
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setContentsMargins(3, 1, 3, 1);
    return label;
}

QSize ProducerBoxSize(const std::string& text) {
    QScrollArea area;
    QLabel* label = ProducerLabel(text);
    area.setWidget(label);
    const QSize content = label->sizeHint();
    const int frame = 2 * area.frameWidth();
    const int scrollBar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int maxWidth = 56 * label->fontMetrics().averageCharWidth();
    const int maxHeight = TFormAboutMeter::PRODUCER_MAX_LINES * label->fontMetrics().lineSpacing() + 2;
    int width = content.width() + frame;
    int height = std::min(content.height(), maxHeight) + frame;
    if (content.height() > maxHeight) width += scrollBar;
    if (width > maxWidth) {
        width = maxWidth;
        height += scrollBar;
    }
    return {width, height};
}

} // namespace

TFormAboutMeter::TLayout TFormAboutMeter::ComputeLayout(const std::vector<TAboutRow>& rows,
                                                        const TMetrics& m) {
    TLayout layout;
    int labelColumn = 0;
    for (const auto& row : rows)
        if (row.Kind != arType) labelColumn = std::max(labelColumn, m.TextWidth(row.Label));
    const int valueX = LEFT + NextTabStop(labelColumn, m.TabStop);

    int y = LEFT;
    int widest = 0;
    size_t typeIndex = rows.size();
    for (size_t i = 0; i < rows.size(); ++i) {
        const TAboutRow& row = rows[i];
        TPlacedRow placed;
        if (row.Kind == arType) {
            typeIndex = i; // placed below, once the widest line is known
            layout.Rows.push_back(placed);
            y += m.LineHeight;
            continue;
        }
        if (row.Kind == arHeader) y += HEADER_GAP;
        placed.Label = QRect(LEFT, y, m.TextWidth(row.Label), m.LineHeight);
        int height = m.LineHeight;
        if (row.Kind == arProducer) {
            const QSize box = m.BoxSize(row.Value);
            placed.Value = QRect(valueX, y, box.width(), box.height());
            height = std::max(height, box.height());
        } else if (row.Kind != arHeader) {
            placed.Value = QRect(valueX, y, m.TextWidth(row.Value), m.LineHeight);
        }
        widest = std::max({widest, placed.Label.right() + 1, placed.Value.right() + 1});
        layout.Rows.push_back(placed);
        y += height;
    }
    if (typeIndex < rows.size()) {
        // The descriptor follows the type text on the first line when both fit
        // in the width the other lines need; otherwise it gets a line of its own.
        const TAboutRow& type = rows[typeIndex];
        const int typeWidth = m.TextWidth(type.Label);
        const int besideX = LEFT + NextTabStop(typeWidth, m.TabStop);
        const int descriptorWidth = m.TextWidth(type.Value);
        TPlacedRow& placed = layout.Rows[typeIndex];
        placed.Label = QRect(LEFT, LEFT, typeWidth, m.LineHeight);
        layout.DescriptorBelowType = besideX + descriptorWidth > widest && widest > 0;
        if (layout.DescriptorBelowType) {
            placed.Value = QRect(LEFT, LEFT + m.LineHeight, descriptorWidth, m.LineHeight);
            for (size_t i = typeIndex + 1; i < layout.Rows.size(); ++i) {
                layout.Rows[i].Label.translate(0, m.LineHeight);
                if (!layout.Rows[i].Value.isNull()) layout.Rows[i].Value.translate(0, m.LineHeight);
            }
            y += m.LineHeight;
        } else {
            placed.Value = QRect(besideX, LEFT, descriptorWidth, m.LineHeight);
        }
        widest = std::max({widest, placed.Label.right() + 1, placed.Value.right() + 1});
    }
    layout.Client = QSize(widest + LEFT, y + BUTTON_GAP + BUTTON_HEIGHT + LEFT);
    layout.ButtonOK =
        QRect((layout.Client.width() - BUTTON_WIDTH) / 2, y + BUTTON_GAP, BUTTON_WIDTH, BUTTON_HEIGHT);
    return layout;
}

TFormAboutMeter::TFormAboutMeter(const TAboutMeterFacts& facts, TLanguage lang, QWidget* parent)
    : QDialog(parent) {
    setObjectName("FormAboutMeter");
    setWindowTitle(Q(AboutMeterCaption(lang)));
    const QFontMetrics fm = fontMetrics();
    const char separator = LocaleDecimalSeparator();
    std::vector<TAboutRow> rows = AboutMeterRows(facts, lang, separator ? separator : '.');
    const auto width = [&fm](const std::string& text) { return fm.horizontalAdvance(Q(text)); };
    PadLabels(rows, width);
    const TMetrics metrics{width, fm.height() + 2, 8 * fm.averageCharWidth(),
                           [](const std::string& text) { return ProducerBoxSize(text); }};
    const TLayout layout = ComputeLayout(rows, metrics);

    for (size_t i = 0; i < rows.size(); ++i) {
        auto* label = new QLabel(Q(rows[i].Label), this);
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(layout.Rows[i].Label.adjusted(0, 0, 2, 0));
        if (rows[i].Kind == arProducer) {
            auto* box = new QScrollArea(this);
            box->setObjectName("MemoProducer");
            box->setWidget(ProducerLabel(rows[i].Value));
            box->setGeometry(layout.Rows[i].Value);
        } else if (rows[i].Kind != arHeader) {
            // Qt labels show '&' as it is, so the meter's texts need no doubling here.
            auto* value = new QLabel(Q(rows[i].Value), this);
            value->setTextFormat(Qt::PlainText);
            value->setGeometry(layout.Rows[i].Value.adjusted(0, 0, 2, 0));
        }
    }
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("BtnOK");
    ok->setGeometry(layout.ButtonOK);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ApplyAccessibleNames(this);
    setFixedSize(layout.Client);
    PlaceOverParent();
}

void TFormAboutMeter::PlaceOverParent() {
    QRect frame(QPoint(0, 0), size());
    const QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
    if (over) frame.moveCenter(over->frameGeometry().center());
    const QScreen* screen = over ? over->screen() : QApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        if (!over) frame.moveCenter(area.center());
        frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
        frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    }
    move(frame.topLeft());
}

bool TFormAboutMeter::Execute(const TAboutMeterFacts& facts, TLanguage lang, QWidget* parent) {
    try {
        TFormAboutMeter dialog(facts, lang, parent);
        dialog.exec();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace k730

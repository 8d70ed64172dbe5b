#include "service/K730FrameRes.h"
#include "service/ServicePageKit.h"

#include "service/ResultsBlock.h"

#include <QGridLayout>

namespace k730 {

using namespace svcqt;

namespace {

constexpr int FIRST_BYTE_COLUMN = 1;

QLabel* Cell(QWidget* parent, const QString& name, Qt::Alignment align) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(align | Qt::AlignVCenter);
    return label;
}

} // namespace

TFrameRes::TFrameRes(char decimalSeparator, QWidget* parent) : QFrame(parent), sep_(decimalSeparator) {
    setObjectName("FrameRes");
    setAccessibleName("Wyniki");
    setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(1);
    QFont mono("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    for (int c = 0; c < 4; ++c) {
        auto* head = Cell(this, QString("LabelStrByte%1").arg(c), Qt::AlignHCenter);
        head->setText(QString::number(c));
        grid->addWidget(head, 0, FIRST_BYTE_COLUMN + 3 - c);
    }
    const auto layout = ResultsRows({}, std::nullopt, std::nullopt, sep_);
    for (size_t r = 0; r < layout.size(); ++r) {
        TRowLabels row;
        const int line = static_cast<int>(r) + 1;
        row.caption = Cell(this, QString("LabelStrRes%1").arg(r), Qt::AlignLeft);
        row.caption->setText(Q(layout[r].caption));
        grid->addWidget(row.caption, line, 0);
        for (int c = 0; c < 4; ++c) {
            QLabel* cell = Cell(this, QString("LabelRes%1_%2").arg(r).arg(c), Qt::AlignHCenter);
            cell->setFont(mono);
            cell->setMinimumWidth(cell->fontMetrics().horizontalAdvance("Błąd") + 4);
            row.bytes[static_cast<size_t>(c)] = cell;
            grid->addWidget(cell, line, FIRST_BYTE_COLUMN + 3 - c);
        }
        row.decoded = Cell(this, QString("LabelResVal%1").arg(r), Qt::AlignRight);
        row.decoded->setMinimumWidth(row.decoded->fontMetrics().horizontalAdvance("-0,0000000E+00") + 8);
        grid->addWidget(row.decoded, line, FIRST_BYTE_COLUMN + 4);
        rows_.push_back(row);
    }
    grid->setColumnStretch(FIRST_BYTE_COLUMN + 4, 1);
    Show({}, std::nullopt, std::nullopt);
}

void TFrameRes::Show(const TBytes& block, std::optional<uint8_t> modBusAddress,
                     std::optional<uint8_t> config) {
    const auto rows = ResultsRows(block, modBusAddress, config, sep_);
    for (size_t r = 0; r < rows.size() && r < rows_.size(); ++r) {
        const TResultsRow& row = rows[r];
        TRowLabels& labels = rows_[r];
        // Bytes arrive most significant first; the "0" column takes the last.
        for (size_t c = 0; c < 4; ++c) {
            QLabel* cell = labels.bytes[c];
            const bool used = c < row.size;
            cell->setStyleSheet({});
            cell->setText(used && row.present ? Q(row.bytes[row.size - 1 - c]) : QString());
        }
        labels.decoded->setText(row.present ? Q(row.decoded) : QString());
        labels.decoded->setAccessibleName(labels.caption->text() + " " + labels.decoded->text());
        // Before the first block everything stays blank; a block too short says so.
        if (!row.present && row.offset != 0 && !block.empty()) {
            QLabel* first = labels.bytes[row.size - 1];
            first->setText(Q(RESULTS_MISSING));
            first->setStyleSheet("color: red;");
        }
    }
}

} // namespace k730

#include "history/HistTableModel.h"

#include "history/HistRecorder.h"
#include "history/HistTexts.h"

#include <QBrush>

namespace k730 {

THistTableModel::THistTableModel(const THistRecorder& recorder, TLanguage lang, char decimal, QObject* parent)
    : QAbstractTableModel(parent), recorder_(recorder), lang_(lang), decimal_(decimal),
      generation_(recorder.Generation()) {
    rows_ = static_cast<int>(recorder_.Data().Samples.size());
}

int THistTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int THistTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : HIST_COLUMN_COUNT;
}

QVariant THistTableModel::data(const QModelIndex& index, int role) const {
    const auto row = static_cast<size_t>(index.row());
    if (!index.isValid() || row >= recorder_.Data().Samples.size()) return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(HistCellText(recorder_.Data(), row, column, lang_, decimal_));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column == hcOver ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole: {
        // Over-range records are drawn in red from the mark to the maximum.
        const bool over = (recorder_.Data().Samples[row].Flags & HIST_OVERRANGE) != 0;
        if (over && column >= hcOver && column <= hcMax) return QBrush(Qt::red);
        return {};
    }
    default:
        return {};
    }
}

QVariant THistTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return QString::fromStdString(HistHeaderText(recorder_.Data(), section));
}

void THistTableModel::Sync() {
    const THistData& d = recorder_.Data();
    const int count = static_cast<int>(d.Samples.size());
    if (recorder_.Generation() != generation_ || count < rows_) {
        beginResetModel();
        generation_ = recorder_.Generation();
        rows_ = count;
        endResetModel();
    } else if (count > rows_) {
        beginInsertRows({}, rows_, count - 1);
        rows_ = count;
        endInsertRows();
    }
    if (d.MeterKind != kind_ || d.LumMode != lumMode_) {
        kind_ = d.MeterKind;
        lumMode_ = d.LumMode;
        emit headerDataChanged(Qt::Horizontal, hcAverage, hcMax);
    }
}

} // namespace k730

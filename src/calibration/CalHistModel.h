// TCalHistModel: the calibration history grid as a table model over the
// shown rows of TCalHistory; cells are made when the view asks for them, so
// a log of any length opens and scrolls at once.
#pragma once

#include "calibration/CalHistory.h"

#include <QAbstractTableModel>

namespace k730 {

class TCalHistModel : public QAbstractTableModel {
    Q_OBJECT

public:
    TCalHistModel(const TCalHistory& history, TLanguage lang, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The history's rows changed (filters, reload).
    void Refilled();

    // The two header lines of a column.
    static QString HeaderText(int column, TLanguage lang);

private:
    const TCalHistory& history_;
    const TLanguage lang_;
};

} // namespace k730

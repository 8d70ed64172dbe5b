// THistTableModel: the history grid's model over the recorder's records, so
// a day of 160 ms records costs no more than the rows on screen. Rows follow
// the recorder: new records are inserted at the end, anything else resets.
#pragma once

#include "main/K730Lang.h"

#include <QAbstractTableModel>

#include <cstdint>

namespace k730 {

class THistRecorder;

class THistTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    THistTableModel(const THistRecorder& recorder, TLanguage lang, char decimal, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Catches up with the recorder: appended records become rows; records
    // replaced or removed rebuild the model. The headers follow the kind.
    void Sync();

private:
    const THistRecorder& recorder_;
    const TLanguage lang_;
    const char decimal_;
    int rows_ = 0;
    uint64_t generation_ = 0;
    uint8_t kind_ = 0, lumMode_ = 0; // of the headers shown
};

} // namespace k730

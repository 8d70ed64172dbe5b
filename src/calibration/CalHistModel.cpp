#include "calibration/CalHistModel.h"

namespace k730 {
namespace {

constexpr TText headers[CAL_GRID_COLUMNS] = {
    {"Lp.", "No."},
    {"Data/czas\r\nkalibracji", "Calibration\r\nDate/Time"},
    {"Typ miernika\r\nNumer seryjny", "Meter type\r\nSerial number"},
    {"Współczynnik kalibracji\r\nwymuszenia 4mA", "Forcing 4mA current\r\ncalibration factor"},
    {"Współczynnik kalibracji\r\npętli prądowej", "Current loop\r\ncalibration factor"},
    {"Współczynnik kalibracji\r\nwyniku", "Result\r\ncalibration factor"},
    {"Temperatura\r\n[°C]", "Temperature\r\n[°C]"}};

} // namespace

TCalHistModel::TCalHistModel(const TCalHistory& history, TLanguage lang, QObject* parent)
    : QAbstractTableModel(parent), history_(history), lang_(lang) {}

int TCalHistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(history_.RowCount());
}

int TCalHistModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(CAL_GRID_COLUMNS);
}

QVariant TCalHistModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<size_t>(index.row()) >= history_.RowCount()) return {};
    const auto row = static_cast<size_t>(index.row());
    const auto column = static_cast<size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(history_.CellText(row, column));
    case Qt::TextAlignmentRole:
        if (column == 0) return int(Qt::AlignRight | Qt::AlignVCenter);
        if (column == CAL_GRID_COLUMNS - 1) return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TCalHistModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(CAL_GRID_COLUMNS))
        return {};
    if (role == Qt::DisplayRole) return HeaderText(section, lang_);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}

QString TCalHistModel::HeaderText(int column, TLanguage lang) {
    const std::string_view text = headers[column](lang);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).replace("\r\n", "\n");
}

void TCalHistModel::Refilled() {
    beginResetModel();
    endResetModel();
}

} // namespace k730

#include "service/TemplateModel.h"
#include "service/ServiceQt.h"

namespace k730 {

using svcqt::Q;
using svcqt::S;

TTemplateModel::TTemplateModel(const TTemplateEditor& editor, int language, char decimalSeparator,
                               QObject* parent)
    : QAbstractTableModel(parent), editor_(editor), lang_(language), separator_(decimalSeparator) {}

void TTemplateModel::Reload() {
    beginResetModel();
    endResetModel();
}

int TTemplateModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    // An empty library still shows one (empty) row under the header.
    return std::max<int>(1, static_cast<int>(editor_.Templates().size()));
}

int TTemplateModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(TEMPLATE_GRID_COLUMNS);
}

QVariant TTemplateModel::data(const QModelIndex& index, int role) const {
    const auto& all = editor_.Templates();
    const auto row = static_cast<size_t>(index.row());
    if (!index.isValid() || row >= all.size()) return role == LinesRole ? QVariant(1) : QVariant();
    const TTemplateRec& t = all[row];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return Q(TemplateCell(t, static_cast<size_t>(index.column()), row, lang_, separator_));
    case LinesRole:
        return TemplateRowLines(t);
    case CurrentRole:
        return index.row() == editor_.CurrentRow();
    case BoldLineRole: {
        int bold = -1;
        if (index.column() == 6) TemplateRangeLines(t, separator_, &bold);
        return bold;
    }
    default:
        return {};
    }
}

QVariant TTemplateModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(TEMPLATE_GRID_COLUMNS))
        return {};
    if (role == Qt::DisplayRole)
        return Q(std::string(TemplateHeader(static_cast<size_t>(section)))).replace("\r\n", "\n");
    if (role == Qt::TextAlignmentRole) return static_cast<int>(Qt::AlignCenter);
    return {};
}

} // namespace k730
